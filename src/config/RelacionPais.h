#pragma once
#include <string>
#include <vector>

struct Aplicacion;

// Country-origin relations (table ORG): the list of the settings dialog and
// the logic of the dialog "Establecer Pais" (frmRelPais), which the windows
// and the command-line runner both drive.
namespace RelacionPais {

struct Relacion {
    std::string PAI, ORI, ESM;
    std::string Pais; // the name of ORI in the country list ("" when it is not there)
};
struct Pais {
    std::string id, descripcion;
};

// "select * from ORG order by PAI", each with its country's name.
std::vector<Relacion> ORI_CargarListado(Aplicacion& app);
// Asks "Confirma eliminar la relación PAI - ORI"; on Yes deletes it. True when
// a row was deleted (the list item goes).
bool ORI_Eliminar(Aplicacion& app, const std::string& pai, const std::string& ori);

// The dialog's logic.
class FormRelPais {
public:
    explicit FormRelPais(Aplicacion& app) : m_app(app) {}
    // Load: txtValor takes the first return text, which is then emptied; the
    // countries fill the two combo boxes ("descripcion (id)" and the ids).
    // Errors show their message ( - seccion [Ostrevan.frmRelPais.Form_Load]).
    void Form_Load();
    // F11: validates, refuses a code that already has a relation, stores it and
    // hands ORI and ESM back. True when saved (the dialog closes).
    bool f_Grabar(const std::string& txtValor, int indicePais, const std::string& txtESM);
    // Esc: the first return text is emptied and the dialog closes.
    void Salir();

    std::string txtValor;               // the code to relate, as loaded
    std::vector<std::string> cboPais;   // "descripcion (id)"
    std::vector<std::string> cboidPais; // ids at the same positions
    int seleccion = -1;                 // none: the operator chooses the country
    // The position in cboPais of a country id (-1 when absent).
    int IndiceDe(const std::string& id) const;

private:
    Aplicacion& m_app;
};

} // namespace RelacionPais
