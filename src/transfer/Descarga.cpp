// Discharge lines and the input totals of the sub-items.
#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "platform/AppError.h"
#include "platform/Cursor.h"
#include "platform/Numeros.h"
#include "platform/SentenciaSql.h"
#include "platform/Texto.h"
#include "transfer/Transferencia.h"
#include "transfer/ValoresSql.h"

namespace {

using ValoresSql::Entero;
using ValoresSql::Numero;

// The discharge line of the input under `rs`, written into `s` (reused row after row).
void Descarga(const std::string& interno, const Almacor::Cursor& rs, SentenciaSql& s) {
    auto texto = [&](const char* nombre) { s.Texto(rs.Fields(nombre)).Sql(","); };
    s.Limpiar();
    s.Sql("insert into descargas (interno, idreg, idext, dit, item, subitem, ncm, expctit, cantidad, "
          "factorponderacion) values (");
    s.Texto(interno).Sql(",");
    Entero(s, rs.Fields("IdReg")).Sql(",");
    // An input line that matched no article keeps the parent it was stored with.
    Entero(s, rs.Fields("idparent")).Sql(",");
    texto("DIT");
    texto("Item");
    texto("SubItem");
    texto("Posicion");
    texto("CTIT");
    Numero(s, rs.Fields("Cantidad")).Sql(",");
    s.Numero("100").Sql(")");
}

// One update per parent article of the CIF total of its inputs selected by `regimen`.
void TotalesInsumos(Aplicacion& app, const std::string& interno, const std::string& columna,
                    const SentenciaSql& regimen) {
    Almacor::Cursor rs(app.Db, SentenciaSql("select IDPARENT, sum(CIF) as tCIF from ARTINS where INTNRO = ")
                                   .Texto(interno)
                                   .Sql(" and ")
                                   .Anexar(regimen)
                                   .Sql(" group by idparent"));
    Conexion& internos = app.Entidades->getDataConnectionByEntity("INTERNOS");
    const std::string inicio = "update subitems set " + columna + " = ";
    SentenciaSql s;
    for (; !rs.Eof(); rs.MoveNext()) {
        s.Limpiar();
        s.Sql(inicio).Numero(NumeroSql(Formatear(rs.Fields("tcif").Numero(), "00.00")));
        s.Sql(" where interno = ").Texto(interno).Sql(" and idext = ");
        Entero(s, rs.Fields("idparent"));
        internos.Enviar(s);
    }
}

} // namespace

bool FRAM3_Transfer_B_Descarga(Aplicacion& app) {
    const std::string interno = app.InternoActual;
    int linea = 0;
    try {
        linea = 1;
        // Walked row by row: the inputs of an interno are never read whole.
        Almacor::Cursor rs(app.Db, SentenciaSql("select IdReg,idparent,DIT,Item,SubItem,Posicion,CTIT,Cantidad "
                                                "from ARTINS where INTNRO = ")
                                       .Texto(interno)
                                       .Sql(" and mid(dit,6,4)<>")
                                       .Texto("ICR2"));
        if (rs.Eof())
            return true; // nothing to discharge
        linea = 2;
        // Looked up once: finding an entity's connection costs more than a row.
        Conexion& internos = app.Entidades->getDataConnectionByEntity("INTERNOS");
        SentenciaSql sentencia;
        for (; !rs.Eof(); rs.MoveNext()) {
            Descarga(interno, rs, sentencia);
            // The quantity as written (a null one has already failed the line).
            app.TotalDescarga += LeerNumero(Numero(rs.Fields("Cantidad")));
            internos.Ejecutar(sentencia);
        }
        if (app.TipoDeclaracion != "ICR1") {
            linea = 3;
            TotalesInsumos(app, interno, "insumostemp",
                           SentenciaSql("mid(dit,6,2)<>").Texto("IT").Sql(" and mid(dit,6,3)<>").Texto("ICR"));
            linea = 4;
            TotalesInsumos(app, interno, "insumosacons", SentenciaSql("mid(dit,6,4)=").Texto("ICR2"));
        }
        app.Entidades->getDataConnectionByEntity("INTERNOS").Sincronizar(); // the last rows' failure is this stage's
        return true;
    } catch (...) {
        AppError e = AppError::Actual();
        app.Op->MsgBox(e.Mensaje() + " - seccion[FRAM3_Transfer_B_Descarga.frmMain.Velmarion]::" +
                       std::to_string(linea) + "::" + e.Source);
        return false;
    }
}
