#include "transfer/Transferencia.h"

#include "app/Aplicacion.h"
#include "app/Operador.h"

bool FRM3_Tranferir(Aplicacion& app) {
    app.Op->MsgBox("La transferencia todavía no está disponible.", Operador::Icono::Exclamacion);
    return false;
}
