#include "classify/Estadisticas.h"

#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "platform/Almacor.h"
#include "platform/AppError.h"
#include "platform/Numeros.h"
#include "platform/SentenciaSql.h"
#include "platform/Texto.h"

#include <cmath>
#include <iterator>

namespace Estadisticas {

Contadores FRAM3_CargarEstadisticas(Aplicacion& app) {
    // The six counts of the interno's articles, each the rows that meet its
    // condition, read in one pass over them.
    static const char* const kCondiciones[] = {"1", // every article
                                               "PRCEST = 'A'",
                                               "(PRCEST = '' or PRCEST IS NULL)",
                                               "PRCCRC <> 'OK'",
                                               "PRCCRC = 'POS'",
                                               "PRCCRC = 'SUF'"};
    std::string sql = "select ";
    for (size_t i = 0; i < std::size(kCondiciones); ++i)
        sql += (i ? ", " : "") + std::string("count(case when ") + kCondiciones[i] + " then INTNRO end) as c" +
               std::to_string(i);
    Recordset rs;
    app.Db.Sql(SentenciaSql(sql).Sql(" from ART where INTNRO = ").Texto(app.InternoActual));
    const bool hay = app.Db.CrearRs(rs);
    auto Cuenta = [&](size_t i) {
        double n = hay ? std::trunc(app.Formato.EsNumero(rs.Fields(i))) : 0;
        return Formatear(n, "0000");
    };
    Contadores c;
    c.Total = Cuenta(0);
    c.EnCatalogo = Cuenta(1);
    c.Nuevos = Cuenta(2);
    c.Erroneos = Cuenta(3);
    c.ErrPos = Cuenta(4);
    c.ErrSuf = Cuenta(5);
    return c;
}

std::vector<TotalCIF> CargarTotalesCIF(Aplicacion& app, bool* ok) {
    std::vector<TotalCIF> filas;
    if (ok)
        *ok = true;
    try {
        Recordset rs;
        Almacor::CacheParaOrdenar orden(app.Db);
        app.Db.Sql(SentenciaSql("select mid(dit,6,4) as subreg, sum(cif) as tcif from artins where intnro = ")
                       .Texto(app.InternoActual)
                       .Sql(" group by mid(dit,6,4)"));
        if (app.Db.CrearRs(rs))
            for (; !rs.Eof(); rs.MoveNext())
                filas.push_back({rs.Fields("subreg").Texto(), Formatear(rs.Fields("tcif").Numero(), "00.00")});
    } catch (...) {
        AppError e = AppError::Actual();
        if (ok)
            *ok = false;
        app.Op->MsgBox(e.Mensaje() + " - seccion[CargarTotalesCIF.frmMain.Velmarion]::" + e.Source);
    }
    return filas;
}

} // namespace Estadisticas
