#include "import/ListaInternos.h"

#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "platform/AppError.h"
#include "platform/Esquema.h"
#include "platform/Texto.h"

namespace ListaInternos {

using Icono = Operador::Icono;

std::vector<Item> FRAM1_CargarInternos(Aplicacion& app, bool* ok) {
    std::vector<Item> items;
    if (ok)
        *ok = true;
    try {
        Recordset rs;
        app.Db.Sql("select * from INTN order by INTNRO");
        if (app.Db.CrearRs(rs))
            for (; !rs.Eof(); rs.MoveNext())
                items.push_back({rs.Fields("INTNRO").Texto(), rs.Fields("INTDSC").Texto()});
    } catch (...) {
        AppError e = AppError::Actual();
        app.Op->MsgBox(e.Mensaje() + " - seccion [Quelvorin.frmMain.FRAM1_CargarInternos]", Icono::Critico);
        if (ok)
            *ok = false;
    }
    return items;
}

Resultado FRAM1_EliminarInterno(Aplicacion& app, const std::string& interno) {
    if (!app.Op->Preguntar(Operador::Preguntas::EliminarInterno, "Desea eliminar el Interno " + interno + "?"))
        return Resultado::Detenido;
    try {
        // The three deletes stand or fall together: a failure part-way must not
        // leave an interno without its articles.
        app.Db.ComenzarTransaccion();
        const std::string n = SqlTexto(interno);
        app.Db.Sql("delete from ARTINS where INTNRO = '" + n + "'");
        app.Db.Ejecutar();
        app.Db.Sql("delete from ART where INTNRO = '" + n + "'");
        app.Db.Ejecutar();
        Esquema::OlvidarHistorial(app.Db, interno);
        app.Db.Sql("delete from INTN where INTNRO = '" + n + "'");
        long borradas = app.Db.Ejecutar();
        app.Db.ConfirmarTransaccion();
        return borradas > 0 ? Resultado::Hecho : Resultado::Detenido;
    } catch (...) {
        AppError e = AppError::Actual();
        std::string nota = app.Db.DeshacerOReconectar();
        if (!nota.empty())
            e.Description += vbCrLf + nota;
        app.Op->MsgBox(e.Mensaje() + " - seccion [Quelvorin.frmInterno.EliminarInterno]", Icono::Critico);
        return Resultado::Fallido;
    }
}

} // namespace ListaInternos
