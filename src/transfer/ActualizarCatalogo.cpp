// What the classification and the operator settled, taught to the article catalog.
#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "platform/AppError.h"
#include "platform/Cursor.h"
#include "platform/Numeros.h"
#include "platform/SentenciaSql.h"
#include "platform/Texto.h"
#include "transfer/Transferencia.h"
#include "transfer/ValoresSql.h"

#include <string>
#include <unordered_set>
#include <vector>

namespace {

using ValoresSql::CeroDelante;
using ValoresSql::Numero;

constexpr long kDivisionPorCero = 11;

Conexion& Catalogos(Aplicacion& app) {
    return app.Entidades->getDataConnectionByEntity("CATALOGOS");
}

// The fields the catalog learns of one article, held while the look-ups of
// its lot are answered.
enum Campo {
    ARTNRO,
    ARTDSC,
    PRCORI,
    PRCDUN,
    ARTUNI,
    PRCCAN,
    ARTTOT,
    PRCNCM,
    PRCLAP,
    PRCSUF,
    PRCEUN,
    PRCECA,
    PRCESM,
    PRCSUN,
    ARTKGU,
    PRCSCA,
    kNumCampos
};
constexpr const char* kCampos[kNumCampos] = {"ARTNRO", "ARTDSC", "PRCORI", "PRCDUN", "ARTUNI", "PRCCAN",
                                             "ARTTOT", "PRCNCM", "PRCLAP", "PRCSUF", "PRCEUN", "PRCECA",
                                             "PRCESM", "PRCSUN", "ARTKGU", "PRCSCA"};

struct Articulo {
    Valor campos[kNumCampos];
    long posicion = 0;
    std::string clave; // the article number as the catalog compares it: without case

    void Leer(const Almacor::Cursor& rs) {
        for (size_t i = 0; i < kNumCampos; ++i)
            campos[i] = rs.Fields(kCampos[i]);
        posicion = rs.AbsolutePosition();
        clave = LCaseAscii(campos[ARTNRO].Texto());
    }
    const Valor& Fields(Campo c) const { return campos[c]; }
};

// Articles whose catalog look-ups are asked together: a server answers the
// lot in one round trip.
constexpr size_t kLote = 1000;
// The article numbers known to be in the catalog, at most (a few MB).
constexpr size_t kMaxPresentes = 20000;

std::string PrecioUnitario(Aplicacion& app, const Articulo& rs) {
    if (Trim(rs.Fields(PRCDUN).Texto()) != "01")
        return Numero(rs.Fields(ARTUNI));
    // Sold by the kilogram: the price per declared unit.
    double cantidad = app.Formato.EsNumero(rs.Fields(PRCCAN));
    if (cantidad == 0)
        throw AppError(kDivisionPorCero, "",
                       "División por cero: el artículo " + rs.Fields(ARTNRO).Texto() +
                           " tiene unidad 01 y cantidad declarada 0; no se puede calcular su precio unitario");
    return NumeroSql(Formatear(app.Formato.EsNumero(rs.Fields(ARTTOT)) / cantidad, "00.0000"));
}

// The catalog's update of what it knows of the article `rs`, written into `s`.
void Actualizacion(Aplicacion& app, const std::string& catalogo, const Articulo& rs, SentenciaSql& s) {
    auto f = [&rs](Campo c) -> const Valor& { return rs.Fields(c); };
    auto texto = [&](const char* columna, Campo c) { s.Sql(columna).Texto(f(c)).Sql(","); };
    s.Limpiar();
    s.Sql("update CATARTICULOS set ");
    // What the catalog knows is never blanked: an article without description
    // or unit weight keeps the catalog's.
    if (!Trim(f(ARTDSC).Texto()).empty())
        texto("descripcion = ", ARTDSC);
    texto("idpais = ", PRCORI);
    s.Sql("cantidad = ").Texto("0").Sql(",");
    s.Sql("Preciounitario = ").Numero(PrecioUnitario(app, rs)).Sql(",");
    texto("ncm = ", PRCNCM);
    texto("lapi = ", PRCLAP);
    texto("sufijos = ", PRCSUF);
    texto("idunidad = ", PRCDUN);
    texto("estadistica = ", PRCEUN);
    Numero(s.Sql("valorrelacionestadistica = "), f(PRCECA)).Sql(",");
    texto("EstadoMerc = ", PRCESM);
    texto("deresp = ", PRCSUN);
    if (!f(ARTKGU).EsNulo())
        Numero(s.Sql("artkgunitario = "), f(ARTKGU)).Sql(",");
    s.Sql("valorderesp = ").Numero(CeroDelante(f(PRCSCA))).Sql(" ");
    s.Sql("where idcatalogo = ").Texto(catalogo).Sql(" and idarticulo = ").Texto(f(ARTNRO));
}

// The article `rs` as a new catalog row, written into `s`.
void Alta(Aplicacion& app, const std::string& catalogo, const Articulo& rs, SentenciaSql& s) {
    auto f = [&rs](Campo c) -> const Valor& { return rs.Fields(c); };
    auto texto = [&](Campo c) { s.Texto(f(c)).Sql(","); };
    s.Limpiar();
    s.Sql("insert into CATARTICULOS (idcatalogo, idarticulo, descripcion, idpais, cantidad, "
          "Preciounitario, ncm, lapi, sufijos, idunidad, estadistica, valorrelacionestadistica, "
          "estadomerc, deresp,artkgunitario ,valorderesp) values (");
    s.Texto(catalogo).Sql(",");
    texto(ARTNRO);
    texto(ARTDSC);
    texto(PRCORI);
    s.Numero("0").Sql(",");
    s.Numero(PrecioUnitario(app, rs)).Sql(",");
    texto(PRCNCM);
    texto(PRCLAP);
    texto(PRCSUF);
    texto(PRCDUN);
    texto(PRCEUN);
    s.Numero(CeroDelante(f(PRCECA))).Sql(",");
    texto(PRCESM);
    texto(PRCSUN);
    s.Numero(CeroDelante(f(ARTKGU))).Sql(",");
    s.Numero(CeroDelante(f(PRCSCA))).Sql(")");
}

} // namespace

bool FRAM3_Transfer_C_ActualCAT(Aplicacion& app) {
    const std::string& catalogo = app.Config.INTCAT;
    try {
        app.Op->ProgresoRango(0, 100);
        app.Op->ProgresoValor(1);

        // Walked row by row: the articles of an interno are never read whole.
        SentenciaSql filtro(" from ART where INTNRO = ");
        filtro.Texto(app.InternoActual);
        // Only the columns the catalog learns: a row of ART holds many more.
        std::string columnas;
        for (const char* c : kCampos)
            columnas += std::string(columnas.empty() ? "" : ",") + c;
        Almacor::Cursor rs(app.Db, SentenciaSql("select ").Sql(columnas).Anexar(filtro).Sql(" order by ARTORD"));
        if (rs.Eof())
            return false;
        app.Op->ProgresoRango(0, static_cast<int>(Almacor::ContarFilas(app.Db, filtro)));

        // Looked up once: finding an entity's connection costs more than a row.
        Conexion& catalogos = Catalogos(app);
        std::vector<Articulo> lote(kLote);
        std::vector<SentenciaSql> consultas;
        std::vector<char> buscado(kLote); // whether the article's look-up is among `consultas`
        // The numbers handled so far in this run, as the catalog compares
        // them. Each was updated or inserted, so the catalog has it now: a
        // repeat of one is updated without asking again. Memory stays bounded:
        // once full the set starts again, and a number it forgot is asked for
        // again (the catalog has it by then).
        std::unordered_set<std::string> presentes;
        SentenciaSql sentencia;
        while (!rs.Eof()) {
            // Only between lots: a number forgotten within one would be asked
            // for before its earlier line is written.
            if (presentes.size() >= kMaxPresentes)
                presentes.clear();
            size_t n = 0, m = 0;
            for (; n < kLote && !rs.Eof(); rs.MoveNext(), ++n) {
                lote[n].Leer(rs);
                buscado[n] = presentes.insert(lote[n].clave).second;
                if (!buscado[n])
                    continue;
                // The look-ups of the last lot are written over: no statement is allocated per article.
                if (m == consultas.size())
                    consultas.emplace_back();
                SentenciaSql& c = consultas[m++];
                c.Limpiar();
                c.Sql("select idarticulo from catarticulos where idcatalogo = ")
                    .Texto(catalogo)
                    .Sql(" and idarticulo = ")
                    .Texto(lote[n].Fields(ARTNRO).Texto());
            }
            consultas.resize(m);
            std::vector<char> encontrado = catalogos.HayFilas(consultas);
            for (size_t i = 0, c = 0; i < n; ++i) {
                const Articulo& a = lote[i];
                if (!buscado[i] || encontrado[c++])
                    Actualizacion(app, catalogo, a, sentencia);
                else
                    Alta(app, catalogo, a, sentencia);
                catalogos.Enviar(sentencia);
                app.Op->ProgresoValor(static_cast<int>(a.posicion));
            }
        }
        catalogos.Sincronizar(); // a failure of the last rows is still this stage's
        return true;
    } catch (...) {
        AppError e = AppError::Actual();
        app.Op->MsgBox(e.Mensaje() + " - seccion [Quelvorin.frmMain_FRAM3_Transfer_C_ActualCAT]");
        return false;
    }
}
