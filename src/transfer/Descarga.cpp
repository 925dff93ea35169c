// Discharge lines and the input totals of the sub-items.
#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "platform/AppError.h"
#include "platform/Cursor.h"
#include "platform/Numeros.h"
#include "platform/Texto.h"
#include "transfer/Transferencia.h"
#include "transfer/ValoresSql.h"

namespace {

using ValoresSql::Entero;
using ValoresSql::Numero;
using ValoresSql::Texto;

std::string Descarga(const std::string& interno, const Almacor::Cursor& rs) {
    std::string s;
    s.reserve(320);
    s += "insert into descargas (interno, idreg, idext, dit, item, subitem, ncm, expctit, cantidad, "
         "factorponderacion) values (";
    s += Texto(interno) + ",";
    s += Entero(rs.Fields("IdReg")) + ",";
    // An input line that matched no article keeps the parent it was stored with.
    s += Entero(rs.Fields("idparent")) + ",";
    s += Texto(rs.Fields("DIT")) + ",";
    s += Texto(rs.Fields("Item")) + ",";
    s += Texto(rs.Fields("SubItem")) + ",";
    s += Texto(rs.Fields("Posicion")) + ",";
    s += Texto(rs.Fields("CTIT")) + ",";
    s += Numero(rs.Fields("Cantidad")) + ",";
    s += "100)";
    return s;
}

// One update per parent article of the CIF total of its inputs selected by `regimen`.
void TotalesInsumos(Aplicacion& app, const std::string& n, const std::string& columna, const std::string& regimen) {
    Almacor::Cursor rs(app.Db, "select IDPARENT, sum(CIF) as tCIF from ARTINS where INTNRO = '" + n + "' and " +
                                   regimen + " group by idparent");
    Conexion& internos = app.Entidades->getDataConnectionByEntity("INTERNOS");
    for (; !rs.Eof(); rs.MoveNext())
        internos.Enviar("update subitems set " + columna + " = " +
                        NumeroSql(Formatear(rs.Fields("tcif").Numero(), "00.00")) + " where interno = '" + n +
                        "' and idext = " + Entero(rs.Fields("idparent")));
}

} // namespace

bool FRAM3_Transfer_B_Descarga(Aplicacion& app) {
    const std::string interno = app.InternoActual;
    const std::string n = SqlTexto(interno);
    int linea = 0;
    try {
        linea = 1;
        // Walked row by row: the inputs of an interno are never read whole.
        Almacor::Cursor rs(app.Db, "select * from ARTINS where INTNRO = '" + n + "' and mid(dit,6,4)<>'ICR2'");
        if (rs.Eof())
            return true; // nothing to discharge
        linea = 2;
        // Looked up once: finding an entity's connection costs more than a row.
        Conexion& internos = app.Entidades->getDataConnectionByEntity("INTERNOS");
        for (; !rs.Eof(); rs.MoveNext()) {
            std::string sql = Descarga(interno, rs);
            // The quantity as written (a null one has already failed the line).
            app.TotalDescarga += LeerNumero(Numero(rs.Fields("Cantidad")));
            internos.Ejecutar(sql);
        }
        if (app.TipoDeclaracion != "ICR1") {
            linea = 3;
            TotalesInsumos(app, n, "insumostemp", "mid(dit,6,2)<>'IT' and mid(dit,6,3)<>'ICR'");
            linea = 4;
            TotalesInsumos(app, n, "insumosacons", "mid(dit,6,4)='ICR2'");
        }
        app.Entidades->getDataConnectionByEntity("INTERNOS").Sincronizar(); // the last rows' failure is this stage's
        return true;
    } catch (const Cancelacion&) {
        throw;
    } catch (...) {
        AppError e = AppError::Actual();
        app.Op->MsgBox(e.Mensaje() + " - seccion[FRAM3_Transfer_B_Descarga.frmMain.Velmarion]::" +
                       std::to_string(linea) + "::" + e.Source);
        return false;
    }
}
