// The same shipment gives the same database contents: generated shipments of
// every declaration type are imported and classified (and the clean ones
// transferred) through the command line, and a digest of every table they
// touch is compared with the one recorded before the import, classification and
// transfer were made faster. A change in any row, value or type shows here.
#include "Entorno.h"
#include "app/Consola.h"
#include "tools/generador.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

// FNV-1a: the same digest on every build, unlike std::hash.
struct Resumen64 {
    std::uint64_t h = 14695981039346656037ull;
    void Agregar(const std::string& s) {
        for (unsigned char c : s) {
            h ^= c;
            h *= 1099511628211ull;
        }
        h ^= 0xff; // field separator
        h *= 1099511628211ull;
    }
};

// Every row of a table in a fixed order, with each value's type; the
// transfer's date column is left out (it is today's date).
std::string Digesto(Almacor::Gestor& db, const std::string& tabla, const std::string& sinColumna = "") {
    Recordset cols;
    db.Sql(SentenciaSql("select name from pragma_table_info('" + tabla + "') order by cid"));
    db.CrearRs(cols);
    std::string lista, orden;
    int n = 0;
    for (; !cols.Eof(); cols.MoveNext()) {
        std::string c = cols.Fields(size_t{0}).Texto();
        if (c == sinColumna)
            continue;
        lista += (n ? ", " : "") + std::string("\"") + c + "\"";
        ++n;
        orden += (n > 1 ? ", " : "") + std::to_string(n);
    }
    Recordset rs;
    db.Sql(SentenciaSql("select " + lista + " from " + tabla + " order by " + orden));
    db.CrearRs(rs);
    Resumen64 r;
    long filas = 0;
    for (; !rs.Eof(); rs.MoveNext(), ++filas) {
        for (int i = 0; i < n; ++i) {
            const Valor& v = rs.Fields(static_cast<size_t>(i));
            char tipo = "NIRT"[static_cast<int>(v.tipo())];
            std::string texto;
            if (v.tipo() == Valor::Tipo::Real) {
                char b[40];
                std::snprintf(b, sizeof b, "%.17g", v.Numero());
                texto = b;
            } else if (!v.EsNulo()) {
                texto = v.Texto();
            }
            r.Agregar(tipo + texto);
        }
    }
    char b[64];
    std::snprintf(b, sizeof b, "%s:%ld:%016" PRIx64, tabla.c_str(), filas, r.h);
    return b;
}

struct Caso {
    const char* tipo;
    bool transferir; // clean shipment run to the transfer's end
    const char* esperado;
};

std::string Correr(const Caso& c) {
    EntornoPrueba e;
    std::string out;
    auto cli = [&](std::vector<std::string> args) {
        int rc = e.Cli(std::move(args));
        out = e.SalidaCli;
        return rc;
    };
    EXPECT_EQ(cli({"init", "--demo", "--force"}), 0) << out;
    OpcionesGenerador o;
    o.Semilla = 2024;
    o.Cabeceras = 40;
    o.DetallesTotal = 600;
    o.Tipo = c.tipo;
    o.CarpetaDatos = CarpetaDatosFuente();
    if (!c.transferir) {
        o.Nuevos = 0.1;
        o.Ceros = 0.05;
        o.SufijosMalos = 0.05;
    }
    const auto ruta = e.Home / "envio.txt";
    {
        std::ofstream f(ruta, std::ios::binary);
        GenerarEnvio(f, o);
    }
    std::vector<std::string> args;
    const bool pregunta = std::string(c.tipo) == "ICR1" || std::string(c.tipo) == "ICR2";
    if (c.transferir)
        args = {"run", "700|" + ruta.string()};
    else
        args = {"import", ruta.string()};
    if (pregunta)
        args.insert(args.end(), {"--tipo", c.tipo});
    EXPECT_EQ(cli(args), 0) << out;

    std::string r;
    Almacor::Gestor db;
    db.CadenaConexion("Provider=SQLite;Data Source=" + (e.Home / "db" / "Dantremos.db").string());
    db.Conectar();
    for (const char* t : {"INTN", "ART", "ARTINS", "ORG"})
        r += Digesto(db, t) + " ";
    if (c.transferir) {
        Almacor::Gestor aduana;
        aduana.CadenaConexion("Provider=SQLite;Data Source=" + (e.Home / "db" / "Corvex.db").string());
        aduana.Conectar();
        r += Digesto(aduana, "caratula", "fechaalta") + " ";
        for (const char* t : {"facturas", "subitems", "descargas", "catarticulos", "DESPACHO_RESUMEN"})
            r += Digesto(aduana, t) + " ";
    }
    return r;
}

TEST(ContenidoEstable, MismoEnvioMismasFilas) {
    const Caso casos[] = {
        {"ECR1", false,
         "INTN:1:5684bda2131501a5 "
         "ART:40:2cbca491f9d5d076 "
         "ARTINS:600:d9891597e00be644 "
         "ORG:5:040bab067f74b0ee "},
        {"ICR1", false,
         "INTN:1:5684bda2131501a5 "
         "ART:543:4819019b19d23726 "
         "ARTINS:503:da258593de1ffd4e "
         "ORG:5:040bab067f74b0ee "},
        {"ICR2", false,
         "INTN:1:5684bda2131501a5 "
         "ART:600:73942d2c6db81ca9 "
         "ARTINS:600:1cf2f1f05433ffba "
         "ORG:5:040bab067f74b0ee "},
        {"RR01", false,
         "INTN:1:5684bda2131501a5 "
         "ART:600:4b94a56e6de34c7f "
         "ARTINS:600:1cf2f1f05433ffba "
         "ORG:5:040bab067f74b0ee "},
        {"ECR1", true,
         "INTN:1:f5df260bd3ec8e6d "
         "ART:40:87712137998fa7cf "
         "ARTINS:600:a685a5e8d190c8e6 "
         "ORG:5:040bab067f74b0ee "
         "caratula:1:3534368abc3039b1 "
         "facturas:18:4c45d26840bcce5c "
         "subitems:40:435386070c17018d "
         "descargas:530:0cbb714c3dbbde09 "
         "catarticulos:39:1d670cb10a6e627a "
         "DESPACHO_RESUMEN:1:ecf1d40e0aef5f45 "},
        {"ICR1", true,
         "INTN:1:f5df260bd3ec8e6d "
         "ART:570:a735f85e13ce9f70 "
         "ARTINS:530:55a750db5d52234d "
         "ORG:5:040bab067f74b0ee "
         "caratula:1:8e5c12425a32f9ed "
         "facturas:18:4c45d26840bcce5c "
         "subitems:570:b1d7c508c8ed1203 "
         "descargas:530:52af6d82684ebe14 "
         "catarticulos:39:a03354525bc917b3 "
         "DESPACHO_RESUMEN:1:ecf1d40e0aef5f45 "},
    };
    for (const Caso& c : casos)
        EXPECT_EQ(Correr(c), c.esperado) << c.tipo << (c.transferir ? " run" : " import");
}

} // namespace
