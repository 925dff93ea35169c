#include "classify/Clasificacion.h"

#include "app/Aplicacion.h"
#include "app/Operador.h"

bool FRAM2_GuardarDatosToBase(Aplicacion& app) {
    app.Op->MsgBox("La clasificación todavía no está disponible.", Operador::Icono::Exclamacion);
    return false;
}
