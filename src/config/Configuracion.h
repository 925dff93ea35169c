#pragma once
#include "config/RelacionPais.h"

#include <string>
#include <vector>

struct Aplicacion;

// Why `valor` cannot be stored under the setting `clave` ("" when it can).
// ORIGEN must be a country of `pais`, INTCAT a catalog of `catalogo`, INTDUN a
// unit of `unidades` (an empty table, a home still being set up, checks
// nothing), AA_MARCA at most 21 characters of a suffix value (letters in either
// case), MODELOVARIANTESINSPC 0 or 1; no value may hold a line break. A failing
// look-up raises its error.
std::string AjusteInvalido(Aplicacion& app, const std::string& clave, const std::string& valor);

// The settings dialog "Configuración" (frmConfig) as logic: what its controls
// show when it opens and what "Esc" saves. The window draws these fields and
// writes the operator's edits back into them before saving.
class FormConfig {
public:
    explicit FormConfig(Aplicacion& app) : m_app(app) {}

    // Fills every field from the settings store, the units (entity "INTERNOS"),
    // the relations and the catalogs (entity "CATALOGOS"). Query errors reach the caller.
    void Form_Load();
    // Esc: refuses an empty origin, and an origin or brand that
    // AjusteInvalido refuses, with its message (false: the dialog stays open); otherwise stores every setting, in the
    // store and in the running program, and returns true (the dialog closes). A store that cannot be written raises its
    // error after every value is in force in the program.
    bool GrabarySalir();

    // Relation list: Insert opens "Establecer Pais" for a new code and reloads;
    // Delete asks and removes the relation at `indice`. True when it went.
    void ORI_CargarListado();
    void Ori_Nuevo();
    bool ORI_Eliminar(int indice);

    int chkModeloyVariantesinespacio = 0; // 1 checked
    std::string txtMarca;
    std::string txtOrigen;
    std::vector<std::string> cboUnidad, cboIdUnidad;     // descriptions and ids, same positions
    int unidad = -1;                                     // selected position in cboUnidad
    std::vector<std::string> cboCatalogo, cboIdCatalogo; // "[id] descripcion" and ids
    int catalogo = -1;
    std::vector<RelacionPais::Relacion> lstRELPAIS;

private:
    Aplicacion& m_app;
};
