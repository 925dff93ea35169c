// What the classification and the operator settled, taught to the article catalog.
#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "platform/AppError.h"
#include "platform/Cursor.h"
#include "platform/Numeros.h"
#include "platform/Texto.h"
#include "transfer/Transferencia.h"
#include "transfer/ValoresSql.h"

#include <cstring>
#include <stdexcept>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

using ValoresSql::CeroDelante;
using ValoresSql::Numero;
using ValoresSql::Texto;

constexpr long kDivisionPorCero = 11;

Conexion& Catalogos(Aplicacion& app) {
    return app.Entidades->getDataConnectionByEntity("CATALOGOS");
}

// The fields the catalog learns of one article, held while the look-ups of
// its lot are answered.
constexpr const char* kCampos[] = {"ARTNRO", "ARTDSC", "PRCORI", "PRCDUN", "ARTUNI", "PRCCAN",
                                   "ARTTOT", "PRCNCM", "PRCLAP", "PRCSUF", "PRCEUN", "PRCECA",
                                   "PRCESM", "PRCSUN", "ARTKGU", "PRCSCA"};
constexpr size_t kNumCampos = sizeof kCampos / sizeof kCampos[0];

struct Articulo {
    Valor campos[kNumCampos];
    long posicion = 0;
    std::string clave; // the article number as the catalog compares it: without case

    void Leer(const Almacor::Cursor& rs) {
        for (size_t i = 0; i < kNumCampos; ++i)
            campos[i] = rs.Fields(kCampos[i]);
        posicion = rs.AbsolutePosition();
        clave = LCaseAscii(campos[0].Texto());
    }
    const Valor& Fields(const char* nombre) const {
        for (size_t i = 0; i < kNumCampos; ++i)
            if (std::strcmp(kCampos[i], nombre) == 0)
                return campos[i];
        throw std::logic_error(std::string("campo no leído: ") + nombre);
    }
};

// Articles whose catalog look-ups are asked together: a server answers the
// lot in one round trip.
constexpr size_t kLote = 1000;

std::string PrecioUnitario(Aplicacion& app, const Articulo& rs) {
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

std::string Actualizacion(Aplicacion& app, const std::string& catalogo, const Articulo& rs) {
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

std::string Alta(Aplicacion& app, const std::string& catalogo, const Articulo& rs) {
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

        // Looked up once: finding an entity's connection costs more than a row.
        Conexion& catalogos = Catalogos(app);
        std::vector<Articulo> lote(kLote);
        std::vector<std::string> consultas;
        std::unordered_set<std::string> claves;
        while (!rs.Eof()) {
            // A lot ends before an article repeated in it: its look-up must
            // see what the earlier one wrote.
            size_t n = 0;
            consultas.clear();
            claves.clear();
            for (; n < kLote && !rs.Eof(); rs.MoveNext(), ++n) {
                lote[n].Leer(rs);
                if (!claves.insert(lote[n].clave).second)
                    break;
                consultas.push_back("select idarticulo from catarticulos where idcatalogo = '" + SqlTexto(catalogo) +
                                    "' and idarticulo = '" + SqlTexto(lote[n].Fields("ARTNRO").Texto()) + "'");
            }
            std::vector<char> encontrado = catalogos.HayFilas(consultas);
            for (size_t i = 0; i < consultas.size(); ++i) {
                const Articulo& a = lote[i];
                catalogos.Enviar(encontrado[i] ? Actualizacion(app, catalogo, a) : Alta(app, catalogo, a));
                app.Op->ProgresoValor(static_cast<int>(a.posicion));
            }
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
