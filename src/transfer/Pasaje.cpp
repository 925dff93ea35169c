// Cover, invoices and sub-items of the declaration.
#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "platform/AppError.h"
#include "platform/Cursor.h"
#include "platform/Numeros.h"
#include "platform/SentenciaSql.h"
#include "platform/Texto.h"
#include "transfer/Transferencia.h"
#include "transfer/ValoresSql.h"

#include <ctime>

namespace {

using Icono = Operador::Icono;
using ValoresSql::Numero;

constexpr long kUsoNull = 94;
constexpr long kEscritoPorOtro = 3197; // the record changed since it was read

Conexion& Internos(Aplicacion& app) {
    return app.Entidades->getDataConnectionByEntity("INTERNOS");
}

// The field `total` of a sum on the work database; `nulo` is what an empty sum gives.
double Suma(Aplicacion& app, const SentenciaSql& sql, bool& nulo) {
    Recordset rs;
    app.Db.Sql(sql);
    nulo = true;
    if (!app.Db.CrearRs(rs))
        return 0;
    nulo = rs.Fields("total").EsNulo();
    return rs.Fields("total").Numero();
}

SentenciaSql Caratula(Aplicacion& app, const std::string& interno, double fob, double flete, double seguro,
                      double ajuste) {
    SentenciaSql s("insert into caratula (interno, fechaalta, ONCCAHabilitado,idsubreg,fobdivisas,fletedivisas,"
                   "segurodivisas,ajusteincluir) values (");
    s.Texto(interno).Sql(",").Sql(app.Entidades->getDateFormatbyEntity("INTERNOS", std::time(nullptr)));
    s.Sql(",").Texto("N").Sql(",").Texto(app.TipoDeclaracion).Sql(",").Numero(fob).Sql(",").Numero(flete);
    s.Sql(",").Numero(seguro).Sql(",").Numero(ajuste).Sql(")");
    return s;
}

// The sub-item of the article under `rs`, written into `s` (reused row after row).
void Subitem(Aplicacion& app, const std::string& interno, const Almacor::Cursor& rs, SentenciaSql& s) {
    auto f = [&rs](const char* nombre) -> const Valor& { return rs.Fields(nombre); };
    auto texto = [&](const char* nombre) { s.Texto(f(nombre)).Sql(","); };
    auto numero = [&](const char* nombre) { Numero(s, f(nombre)).Sql(","); };
    s.Limpiar();
    s.Sql("insert into subitems (interno,idcatalogo,idarticulo,descripcion,ncm,IdUnidad,Cantidad,Preciounitario,fob,"
          "IdPais,idpaisproc,estadistica,valorrelacionestadistica,sufijos,LAPI,deresp,valorderesp,kgbruto,KGNETO,"
          "idext,certorig,ctit,EstadoMerc,tipoitem,biendeuso) values (");
    s.Texto(interno).Sql(",");
    s.Texto(app.Config.INTCAT).Sql(",");
    texto("ARTNRO");
    texto("ARTDSC");
    texto("PRCNCM");
    texto("PRCDUN");
    numero("PRCCAN");
    numero("ARTUNI");
    numero("ARTTOT");
    texto("PRCORI");
    texto("PRCDST");
    texto("PRCEUN");
    s.Numero(app.Formato.EsNumero(f("PRCECA"))).Sql(",");
    texto("PRCSUF");
    texto("PRCLAP");
    texto("PRCSUN");
    s.Numero(app.Formato.EsNumero(f("PRCSCA"))).Sql(",");
    s.Texto("0").Sql(",").Texto("0").Sql(",");
    texto("ARTORD");
    s.Texto("").Sql(",").Texto("").Sql(",");
    if (app.TipoDeclaracion == "ICR1") {
        // Each sub-item of an ICR1 declaration is marked by its own line's type.
        bool propio = Trim(f("PRCTDS").Texto()) == "ICR1";
        s.Texto(propio ? "1" : "2").Sql(",").Texto(propio ? "G" : "D");
    } else {
        s.Texto(f("PRCESM")).Sql(",").Texto("N");
    }
    s.Sql(",").Texto("N").Sql(")");
}

} // namespace

Resultado FRAM3_Transfer_B_Reemplazo(Aplicacion& app, bool& reemplazar) {
    const std::string interno = app.InternoActual;
    reemplazar = false;
    Recordset rs;
    Internos(app).Sql(SentenciaSql("select interno from caratula where interno = ").Texto(interno));
    if (!Internos(app).CrearRs(rs))
        return Resultado::Hecho;
    if (!app.Op->Preguntar(Operador::Preguntas::Reemplazar,
                           "El interno [ " + interno + " ] ya existe." + vbCrLf + vbCrLf + "Desea reemplazarlo?"))
        return Resultado::Detenido;
    reemplazar = true;
    return Resultado::Hecho;
}

Resultado FRAM3_Transfer_B_Pasaje(Aplicacion& app, bool reemplazar) {
    const std::string interno = app.InternoActual;
    int linea = 0;
    try {
        linea = 1;
        Recordset rs;
        Internos(app).Sql(SentenciaSql("select interno from caratula where interno = ").Texto(interno));
        if (Internos(app).CrearRs(rs)) {
            // The question came before the transaction: a declaration that
            // another run wrote since was not the operator's to replace.
            if (!reemplazar)
                throw AppError(kEscritoPorOtro, "",
                               "Otra ejecución transfirió el interno " + interno +
                                   " mientras tanto: vuelva a transferir para decidir si reemplazarlo.");
            linea = 2;
            for (const char* tabla : {"caratula", "subitems", "facturas", "descargas"})
                Internos(app).Ejecutar(SentenciaSql("delete from ").Sql(tabla).Sql(" where interno = ").Texto(interno));
        }

        linea = 3;
        app.Op->ProgresoRango(0, 100);
        app.Op->ProgresoValor(1);

        linea = 4;
        app.TipoDeclaracion.clear();
        app.Db.Sql(
            SentenciaSql("select PRCTDS from ART where INTNRO = ").Texto(interno).Sql(" order by ARTORD limit 1"));
        if (app.Db.CrearRs(rs))
            app.TipoDeclaracion = rs.Fields("PRCTDS").Texto();

        linea = 5;
        // The FOB total, base A (the articles not ICR1) and the number of
        // sub-items to write, for the progress bar, in one pass over the articles.
        Recordset sumas;
        app.Db.Sql(SentenciaSql("select sum(ARTTOT) as total, sum(case when PRCTDS <> ")
                       .Texto("ICR1")
                       .Sql(" then ARTTOT end) as baseA, count(case when PRCCRC = ")
                       .Texto("OK")
                       .Sql(" then ")
                       .Numero(1LL)
                       .Sql(" end) as subitems from ART where INTNRO = ")
                       .Texto(interno));
        // No article at all: there is no declaration to write.
        if (!app.Db.CrearRs(sumas) || sumas.Fields("total").EsNulo())
            throw AppError(kUsoNull, "", "Uso no válido de Null");
        double fob = ADosDecimales(sumas.Fields("total").Numero());

        linea = 6;
        double flete = 0, seguro = 0, ajuste = 0;
        if (app.TipoDeclaracion == "ICR1" || app.TipoDeclaracion == "ICR2") {
            // An empty base A (every article ICR1) counts as 0.
            double baseA = sumas.Fields("baseA").Numero();
            bool nulo = false;
            // Without a CIF total there is no freight to work out: taking it as
            // 0 would write minus base A as freight.
            double cif =
                Suma(app, SentenciaSql("select sum(CIF) as total from ARTINS where INTNRO = ").Texto(interno), nulo);
            if (nulo)
                throw AppError(kUsoNull, "",
                               "El interno " + interno +
                                   " no tiene insumos con CIF: no se pueden calcular el flete "
                                   "y el seguro de una declaración " +
                                   app.TipoDeclaracion + ".");
            double d = cif - baseA;
            seguro = ADosDecimales(d * 0.13 / 100);
            flete = ADosDecimales(d - seguro);
            ajuste = ADosDecimales(baseA * 1.5 / 100);
        }

        linea = 7;
        Internos(app).Ejecutar(Caratula(app, interno, fob, flete, seguro, ajuste));

        linea = 8;
        // The work database is walked row by row, never read whole: an interno
        // may hold hundreds of thousands of articles.
        SentenciaSql factura;
        for (Almacor::Cursor facturas(app.Db, SentenciaSql("select distinct ARTFAC from ART where INTNRO = ")
                                                  .Texto(interno)
                                                  .Sql(" and PRCCRC = ")
                                                  .Texto("OK")
                                                  .Sql(" and ARTFAC<>")
                                                  .Texto("")
                                                  .Sql(" AND ARTFAC IS NOT NULL order by ARTFAC"));
             !facturas.Eof(); facturas.MoveNext()) {
            factura.Limpiar();
            factura.Sql("insert into FACTURAS (interno,orden,factura) values (").Texto(interno).Sql(",");
            factura.Numero(static_cast<long long>(facturas.AbsolutePosition())).Sql(",");
            Internos(app).Ejecutar(factura.Texto(facturas.Fields("ARTFAC").Texto()).Sql(")"));
        }

        linea = 9;
        // Only the columns a sub-item takes: a row of ART holds many more.
        Almacor::Cursor articulos(app.Db,
                                  SentenciaSql("select ARTNRO,ARTDSC,PRCNCM,PRCDUN,PRCCAN,ARTUNI,ARTTOT,PRCORI,"
                                               "PRCDST,PRCEUN,PRCECA,PRCSUF,PRCLAP,PRCSUN,PRCSCA,ARTORD,PRCTDS,PRCESM "
                                               "from ART where INTNRO = ")
                                      .Texto(interno)
                                      .Sql(" and PRCCRC = ")
                                      .Texto("OK")
                                      .Sql(" order by ARTORD"));
        if (articulos.Eof())
            return Resultado::Fallido;
        app.Op->ProgresoRango(0, static_cast<int>(sumas.Fields("subitems").Numero()));
        linea = 10;
        Conexion& internos = Internos(app);
        SentenciaSql sentencia;
        for (; !articulos.Eof(); articulos.MoveNext()) {
            Subitem(app, interno, articulos, sentencia);
            if (internos.Ejecutar(sentencia) == 0)
                throw AppError(1, "Transfiriendo a Corvex",
                               "Error Grabando registro en Corvex Windows: 0 Registros agregados");
            app.Op->ProgresoValor(static_cast<int>(articulos.AbsolutePosition()));
        }
        Internos(app).Sincronizar(); // a failure of the last rows is still this stage's
        return Resultado::Hecho;
    } catch (...) {
        AppError e = AppError::Actual();
        app.Op->MsgBox(e.Mensaje() + " - seccion [Quelvorin.frmMain.FRAM3_Transfer_B_pasaje]:: linea " +
                           std::to_string(linea),
                       Icono::Critico);
        return Resultado::Fallido;
    }
}
