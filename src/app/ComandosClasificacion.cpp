// Commands of the runner for the classification: classify, stats.
#include "app/Asistente.h"
#include "app/Consola.h"
#include "app/OperadorConsola.h"
#include "classify/Clasificacion.h"
#include "classify/Estadisticas.h"
#include "comun/Aplicacion.h"
#include "platform/AppError.h"
#include "platform/SentenciaSql.h"
#include "platform/Texto.h"

#include <iostream>

namespace Consola {

bool AbrirInterno(Contexto& c, Aplicacion& app, const std::string& interno) {
    if (!c.Arrancar(app))
        return false;
    Recordset rs;
    app.Db.Sql(SentenciaSql("select INTNRO from INTN where INTNRO = ").Texto(interno));
    if (!app.Db.CrearRs(rs)) {
        c.Op->MsgBox("No existe el interno " + interno + ".", Operador::Icono::Exclamacion, Operador::Botones::Aceptar);
        return false;
    }
    app.InternoActual = rs.Fields("INTNRO").Texto();
    return true;
}

int CmdClassify(Contexto& c) {
    c.Exigir(1, "classify INTNRO");
    Aplicacion app;
    if (!AbrirInterno(c, app, c.Args[0]))
        return 1;
    const std::string& interno = app.InternoActual;
    Recordset rs;
    // Stage 2 would put the catalog's values over the operator's corrections.
    app.Db.Sql(SentenciaSql("select count(INTNRO) as total from ART where INTNRO = ")
                   .Texto(interno)
                   .Sql(" and PRCEST in ('M','R')"));
    if (app.Db.CrearRs(rs) && rs.Fields("total").Numero() > 0) {
        c.Op->MsgBox("El interno " + app.InternoActual +
                         " tiene articulos corregidos a mano o replicados: clasificarlo de nuevo pisaria esas "
                         "correcciones con los valores del catalogo.",
                     Operador::Icono::Exclamacion, Operador::Botones::Aceptar);
        return 1;
    }
    // The type as the transfer takes it: that of the first article.
    app.Db.Sql(SentenciaSql("select PRCTDS from ART where INTNRO = ").Texto(interno).Sql(" order by ARTORD limit 1"));
    app.TipoDeclaracion = app.Db.CrearRs(rs) ? rs.Fields("PRCTDS").Texto() : "";
    return Asistente(app).Clasificar() ? 0 : 1;
}

int CmdStats(Contexto& c) {
    c.Exigir(1, "stats INTNRO");
    Aplicacion app;
    if (!AbrirInterno(c, app, c.Args[0]))
        return 1;
    Estadisticas::Contadores n;
    try {
        n = Estadisticas::FRAM3_CargarEstadisticas(app);
    } catch (...) {
        AppError e = AppError::Actual();
        c.Op->MsgBox(e.Mensaje(), Operador::Icono::Ninguno, Operador::Botones::Aceptar);
        return 1;
    }
    std::ostream& out = *c.Out;
    out << "Total de Registros\t" << n.Total << "\n"
        << "Articulos en Catalogo\t" << n.EnCatalogo << "\n"
        << "Articulos Nuevos\t" << n.Nuevos << "\n"
        << "Registros con Errores\t" << n.Erroneos << "\n"
        << "Errores de Posición\t" << n.ErrPos << "\n"
        << "Errores de Sufijos\t" << n.ErrSuf << "\n";
    bool ok = true;
    auto cif = Estadisticas::CargarTotalesCIF(app, &ok);
    out << "\nTotales CIF por SubReg\nSubReg\tCIF\n";
    for (const auto& t : cif)
        out << t.SubReg << "\t" << t.CIF << "\n";
    return ok ? 0 : 1;
}

} // namespace Consola
