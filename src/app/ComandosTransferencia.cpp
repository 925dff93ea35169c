// The runner's command for the transfer: transfer INTNRO [--reemplazar si|no].
#include "app/Asistente.h"
#include "app/Consola.h"
#include "app/OperadorConsola.h"
#include "comun/Aplicacion.h"
#include "platform/SentenciaSql.h"
#include "platform/Texto.h"
#include "transfer/Transferencia.h"

#include <ostream>

namespace Consola {

namespace {
const char* const kUsoTransfer = "transfer INTNRO [--reemplazar si|no]";

bool ExisteInterno(Aplicacion& app, const std::string& interno) {
    for (const char* tabla : {"INTN", "ART"}) {
        Recordset rs;
        app.Db.Sql(
            SentenciaSql("select INTNRO from ").Sql(tabla).Sql(" where INTNRO = ").Texto(interno).Sql(" limit 1"));
        if (app.Db.CrearRs(rs))
            return true;
    }
    return false;
}
} // namespace

void TomarReemplazo(Contexto& c) {
    std::string reemplazar = c.Opcion("--reemplazar");
    if (!reemplazar.empty() && reemplazar != "si" && reemplazar != "no")
        throw UsoIncorrecto("--reemplazar admite si o no, no " + reemplazar);
    // Without the option an earlier declaration is never replaced.
    c.Op->Respuestas[Operador::Preguntas::Reemplazar] = reemplazar == "si";
}

int CmdTransfer(Contexto& c) {
    TomarReemplazo(c);
    c.Exigir(1, kUsoTransfer);

    Aplicacion app;
    if (!c.Arrancar(app))
        return 1;
    const std::string interno = c.Args[0];
    if (!ExisteInterno(app, interno)) {
        c.Op->MsgBox("No existe el interno " + interno + ".", Operador::Icono::Exclamacion, Operador::Botones::Aceptar);
        return 1;
    }
    app.InternoActual = interno;
    app.Paso = 2;
    return Asistente(app).Transferir() == Resultado::Hecho ? 0 : 1;
}

} // namespace Consola
