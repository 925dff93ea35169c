#include "import/Importacion.h"

#include "app/Aplicacion.h"
#include "app/Operador.h"

namespace Importacion {

bool ProcesarArchivo(Aplicacion& app, const std::string&) {
    app.Op->MsgBox("La importación de archivos todavía no está disponible.", Operador::Icono::Exclamacion);
    return false;
}

} // namespace Importacion
