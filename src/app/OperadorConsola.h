#pragma once
#include "comun/Operador.h"

#include <iosfwd>
#include <map>
#include <string>
#include <utility>
#include <vector>

// The operator of the command-line runner: every message box is printed as
// one block on standard output with its icon as a word in front, every
// question with the answer the runner took; status texts go to standard error.
class OperadorConsola : public Operador {
public:
    OperadorConsola(std::ostream& out, std::ostream& err);

    Respuesta MsgBox(const std::string& texto, Icono icono = Icono::Ninguno,
                     Botones botones = Botones::Aceptar) override;
    bool Preguntar(const std::string& id, const std::string& texto) override;
    std::string InputBox(const std::string& id, const std::string& prompt, const std::string& titulo,
                         const std::string& defecto) override;
    std::string ElegirOpcion(const std::string& id, const std::vector<std::string>& lineas,
                             const std::string& actual) override;
    // The command line names its files: no dialog, cancelled.
    std::string ElegirArchivo(const std::string&, const std::string&, bool, const std::string&) override { return {}; }
    std::string PreguntarTipo() override;
    void MostrarRelPais(Aplicacion& app) override;
    void PunteroEspera(bool) override {}
    void Estado(const std::string& texto) override;
    void ProgresoVisible(bool) override {}
    void ProgresoRango(int, int) override {}
    void ProgresoValor(int) override {}
    void ContadoresImportacion(long, long) override {}
    void ProcesarEventos() override {}

    // The answers the runner gives. A question, value or option without its
    // answer is asked on the terminal when there is one; otherwise the run
    // stops (Cancelacion) and undoes its own work.
    std::map<std::string, bool> Respuestas;      // yes/no questions by identifier (Operador::Preguntas)
    std::map<std::string, std::string> Valores;  // input boxes by identifier (suffix code)
    std::map<std::string, std::string> Opciones; // option pickers by group: the code chosen
    std::string Tipo;                            // the type question ("" = closed without a button)
    std::map<std::string, std::pair<std::string, std::string>> Relaciones; // PAI -> (ORI, ESM)
    bool Terminal = false; // missing answers may be asked on the terminal
    // A suffix question without its answer takes the default it offers, when
    // it offers one (editar --sugerencia: the suggestion's suffixes).
    bool TomarDefectos = false;

    static const char* NombreIcono(Icono icono);

private:
    // A missing answer read from the terminal; without one the run stops.
    std::string DelTerminal(const std::string& pedido, const std::string& faltante);

    std::ostream& m_out;
    std::ostream& m_err;
};
