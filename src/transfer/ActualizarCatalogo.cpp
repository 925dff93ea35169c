// What the classification and the operator settled, taught to the article catalog.
#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "platform/AppError.h"
#include "platform/Cursor.h"
#include "platform/Numeros.h"
#include "platform/Texto.h"
#include "transfer/Transferencia.h"
#include "transfer/ValoresSql.h"

namespace {

using ValoresSql::CeroDelante;
using ValoresSql::Numero;
using ValoresSql::Texto;

constexpr long kDivisionPorCero = 11;

Conexion& Catalogos(Aplicacion& app) {
    return app.Entidades->getDataConnectionByEntity("CATALOGOS");
}

std::string PrecioUnitario(Aplicacion& app, const Almacor::Cursor& rs) {
    if (Trim(rs.Fields("PRCDUN").Texto()) != "01")
        return Numero(rs.Fields("ARTUNI"));
    // Sold by the kilogram: the price per declared unit.
    double cantidad = app.Formato.EsNumero(rs.Fields("PRCCAN"));
    if (cantidad == 0)
        throw AppError(kDivisionPorCero, "",
                       "División por cero: el artículo " + rs.Fields("ARTNRO").Texto() +
                           " tiene unidad 01 y cantidad declarada 0; no se puede calcular su precio unitario");
    return NumeroSql(Formatear(app.Formato.EsNumero(rs.Fields("ARTTOT")) / cantidad, "00.0000"));
}

std::string Actualizacion(Aplicacion& app, const std::string& catalogo, const Almacor::Cursor& rs) {
    auto f = [&rs](const char* nombre) -> const Valor& { return rs.Fields(nombre); };
    std::string s = "update CATARTICULOS set ";
    // What the catalog knows is never blanked: an article without description
    // or unit weight keeps the catalog's.
    if (!Trim(f("ARTDSC").Texto()).empty())
        s += "descripcion = " + Texto(f("ARTDSC")) + ",";
    s += "idpais = " + Texto(f("PRCORI")) + ",";
    s += "cantidad = '0',";
    s += "Preciounitario = " + PrecioUnitario(app, rs) + ",";
    s += "ncm = " + Texto(f("PRCNCM")) + ",";
    s += "lapi = " + Texto(f("PRCLAP")) + ",";
    s += "sufijos = " + Texto(f("PRCSUF")) + ",";
    s += "idunidad = " + Texto(f("PRCDUN")) + ",";
    s += "estadistica = " + Texto(f("PRCEUN")) + ",";
    s += "valorrelacionestadistica = " + Numero(f("PRCECA")) + ",";
    s += "EstadoMerc = " + Texto(f("PRCESM")) + ",";
    s += "deresp = " + Texto(f("PRCSUN")) + ",";
    if (!f("ARTKGU").EsNulo())
        s += "artkgunitario = " + Numero(f("ARTKGU")) + ",";
    s += "valorderesp = " + CeroDelante(f("PRCSCA")) + " ";
    s += "where idcatalogo = " + Texto(catalogo) + " and idarticulo = " + Texto(f("ARTNRO"));
    return s;
}

std::string Alta(Aplicacion& app, const std::string& catalogo, const Almacor::Cursor& rs) {
    auto f = [&rs](const char* nombre) -> const Valor& { return rs.Fields(nombre); };
    std::string s = "insert into CATARTICULOS (idcatalogo, idarticulo, descripcion, idpais, cantidad, "
                    "Preciounitario, ncm, lapi, sufijos, idunidad, estadistica, valorrelacionestadistica, "
                    "estadomerc, deresp,artkgunitario ,valorderesp) values (";
    s += Texto(catalogo) + ",";
    s += Texto(f("ARTNRO")) + ",";
    s += Texto(f("ARTDSC")) + ",";
    s += Texto(f("PRCORI")) + ",";
    s += "0,";
    s += PrecioUnitario(app, rs) + ",";
    s += Texto(f("PRCNCM")) + ",";
    s += Texto(f("PRCLAP")) + ",";
    s += Texto(f("PRCSUF")) + ",";
    s += Texto(f("PRCDUN")) + ",";
    s += Texto(f("PRCEUN")) + ",";
    s += CeroDelante(f("PRCECA")) + ",";
    s += Texto(f("PRCESM")) + ",";
    s += Texto(f("PRCSUN")) + ",";
    s += CeroDelante(f("ARTKGU")) + ",";
    s += CeroDelante(f("PRCSCA")) + ")";
    return s;
}

} // namespace

bool FRAM3_Transfer_C_ActualCAT(Aplicacion& app) {
    const std::string& catalogo = app.Config.INTCAT;
    try {
        app.Op->ProgresoRango(0, 100);
        app.Op->ProgresoValor(1);

        // Walked row by row: the articles of an interno are never read whole.
        const std::string filtro = " from ART where INTNRO = '" + SqlTexto(app.InternoActual) + "'";
        Almacor::Cursor rs(app.Db, "select *" + filtro + " order by ARTORD");
        if (rs.Eof())
            return false;
        app.Op->ProgresoRango(0, static_cast<int>(Almacor::ContarFilas(app.Db, filtro)));

        Recordset existe;
        // Looked up once: finding an entity's connection costs more than a row.
        Conexion& catalogos = Catalogos(app);
        for (; !rs.Eof(); rs.MoveNext()) {
            catalogos.Sql("select idarticulo from catarticulos where idcatalogo = '" + SqlTexto(catalogo) +
                          "' and idarticulo = '" + SqlTexto(rs.Fields("ARTNRO").Texto()) + "'");
            bool encontrado = catalogos.CrearRs(existe);
            catalogos.Sql(encontrado ? Actualizacion(app, catalogo, rs) : Alta(app, catalogo, rs));
            catalogos.Enviar();
            app.Op->ProgresoValor(static_cast<int>(rs.AbsolutePosition()));
        }
        catalogos.Sincronizar(); // a failure of the last rows is still this stage's
        return true;
    } catch (const Cancelacion&) {
        throw;
    } catch (...) {
        AppError e = AppError::Actual();
        app.Op->MsgBox(e.Mensaje() + " - seccion [Quelvorin.frmMain_FRAM3_Transfer_C_ActualCAT]");
        return false;
    }
}
