#pragma once
#include <string>

struct Aplicacion;

namespace Importacion {

// The import dialog's run (frmInterno's ProcesarArchivo): the shipment file
// becomes an interno of the work database, in one transaction, and is handed
// to the wizard. True when the interno was stored; on a failure the message is
// shown and the work database is as it was before the run (country relations
// the operator created meanwhile are kept).
bool ProcesarArchivo(Aplicacion& app, const std::string& ruta);

// What the last run that stored an interno did (the command line prints it).
struct Resumen {
    std::string Interno;
    std::string Tipo;
    long RegistrosH = 0, RegistrosP = 0;
    long Articulos = 0, Insumos = 0; // ART and ARTINS rows written
};
const Resumen& UltimoResumen();
void OlvidarResumen();

} // namespace Importacion
