#include "classify/Estadisticas.h"

#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "platform/AppError.h"
#include "platform/Numeros.h"
#include "platform/Texto.h"

#include <cmath>

namespace Estadisticas {

namespace {
std::string Contar(Aplicacion& app, const std::string& condicion) {
    Recordset rs;
    app.Db.Sql("select count(INTNRO) as total from ART where INTNRO = '" + SqlTexto(app.InternoActual) + condicion);
    double n = app.Db.CrearRs(rs) ? std::trunc(app.Formato.EsNumero(rs.Fields("total"))) : 0;
    return Formatear(n, "0000");
}
} // namespace

Contadores FRAM3_CargarEstadisticas(Aplicacion& app) {
    Contadores c;
    c.Total = Contar(app, "'");
    c.EnCatalogo = Contar(app, "' and PRCEST = 'A'");
    c.Nuevos = Contar(app, "' and (PRCEST = '' or PRCEST IS NULL)");
    c.Erroneos = Contar(app, "' and PRCCRC <> 'OK'");
    c.ErrPos = Contar(app, "' and PRCCRC = 'POS'");
    c.ErrSuf = Contar(app, "' and PRCCRC = 'SUF'");
    return c;
}

std::vector<TotalCIF> CargarTotalesCIF(Aplicacion& app, bool* ok) {
    std::vector<TotalCIF> filas;
    if (ok)
        *ok = true;
    try {
        Recordset rs;
        app.Db.Sql("select mid(dit,6,4) as subreg, sum(cif) as tcif from artins where intnro = '" +
                   SqlTexto(app.InternoActual) + "' group by mid(dit,6,4)");
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
