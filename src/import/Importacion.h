#pragma once
#include <string>

struct Aplicacion;

namespace Importacion {

// The import dialog's run (frmInterno's ProcesarArchivo): the shipment file
// becomes an interno of the work database, in one transaction, and is handed
// to the wizard. True when the interno was stored; on a failure the message is
// shown and the work database is as it was before the run.
bool ProcesarArchivo(Aplicacion& app, const std::string& ruta);

} // namespace Importacion
