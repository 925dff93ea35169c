// Statements built with their values apart: the text is what appending the
// pieces gives, and running the statement or its text stores the same thing. And the cache lowered for a
// large sort.
#include "Entorno.h"
#include "platform/Almacor.h"
#include "platform/AppError.h"
#include "platform/Numeros.h"
#include "platform/SentenciaSql.h"
#include "platform/Texto.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Literal = Almacor::Gestor::Literal;

namespace {

const char* const kTextos[] = {"", "O'BRIEN", "a''b'", "ñandú Ü", "12", "?", "-- no es comentario", "null", " x "};
const char* const kNumeros[] = {"0",  "-3",   "012.50", "12.5", "99999999999999999999", "1.5E+20", "0-5",
                                ".5", "null", "-0.25",  "7",    "123456789012"};

// The value between single quotes with its quotes doubled, as a statement's
// text writes it.
std::string Entrecomillado(std::string_view v) {
    std::string r = "'";
    for (char c : v)
        r += c == '\'' ? std::string("''") : std::string(1, c);
    return r + "'";
}

// One statement of the transfer's shapes with the values of case k; `texto`
// gets what appending the same pieces to a string gives.
void Escribir(SentenciaSql& s, std::string& texto, size_t k) {
    const char* t = kTextos[k % std::size(kTextos)];
    const char* u = kTextos[(k / 3) % std::size(kTextos)];
    const char* n = kNumeros[k % std::size(kNumeros)];
    const char* m = kNumeros[(k / 5) % std::size(kNumeros)];
    s.Limpiar();
    s.Sql("insert into t (a, b, c, d, e) values (").Texto(t).Sql(",").Numero(n).Sql(",");
    s.Texto(u).Sql(",").Numero(m).Sql(",").Numero("100").Sql(")");
    texto = "insert into t (a, b, c, d, e) values (" + Entrecomillado(t) + "," + n + "," + Entrecomillado(u) + "," + m +
            ",100)";
}

} // namespace

TEST(SentenciaSql, TextoComoLoDaElTexto) {
    SentenciaSql s; // one object for every case: nothing of a case may leak into the next
    std::string texto;
    for (size_t k = 0; k < 200; ++k) {
        Escribir(s, texto, k);
        ASSERT_EQ(s.TextoSql(), texto) << k;
    }
}

TEST(SentenciaSql, LosNumerosQueNoSeSeparanQuedanEscritos) {
    SentenciaSql s;
    for (const char* n : {"1.5E+20", "0-5", ".5", "12.", "1.2.3", "", "-"}) {
        s.Limpiar();
        s.Sql("update t set a = ").Numero(n);
        EXPECT_EQ(s.NumValores(), 0u) << n;
        EXPECT_EQ(s.TextoSql(), std::string("update t set a = ") + n);
    }
    s.Limpiar();
    s.Sql("update t set a = ").Numero("null").Sql(" where b = ").Numero("-4");
    EXPECT_EQ(s.NumValores(), 1u);
    EXPECT_EQ(s.Plantilla(), "update t set a = null where b = -?");
    EXPECT_EQ(s.TextoSql(), "update t set a = null where b = -4");
}

// A number given as a number makes the same statement as its text would:
// the text, the template and each value, of every kind of number the
// transfer reads (short decimals, whole numbers, long fractions, exponents).
TEST(SentenciaSql, ElNumeroDaLoMismoQueSuTexto) {
    std::mt19937_64 azar(3);
    std::vector<double> reales = {0,       -0.0,       1,         -1,   0.5,
                                  2.675,   1e-4,       9.99e-5,   1e15, 999999999999999.0,
                                  1.0 / 3, -1234.5678, 0.1 + 0.2, 1e22, -1e-300};
    for (int i = 0; i < 3000; ++i) {
        reales.push_back((azar() % 2 ? -1 : 1) * static_cast<double>(azar() % 100000000) /
                         std::pow(10.0, static_cast<int>(azar() % 9)));
        reales.push_back(std::bit_cast<double>(azar() & 0x7FEFFFFFFFFFFFFFULL));
    }
    std::vector<long long> enteros = {
        0, 1, -1, 42, -7, std::numeric_limits<long long>::max(), std::numeric_limits<long long>::min()};
    for (int i = 0; i < 300; ++i)
        enteros.push_back(static_cast<long long>(azar()) >> (azar() % 63));
    SentenciaSql a, b;
    auto comparar = [&](const std::string& caso) {
        ASSERT_EQ(a.TextoSql(), b.TextoSql()) << caso;
        ASSERT_EQ(a.Plantilla(), b.Plantilla()) << caso;
        ASSERT_EQ(a.NumValores(), b.NumValores()) << caso;
        for (size_t k = 0; k < a.NumValores(); ++k) {
            const Literal &x = a.Valores()[k], &y = b.Valores()[k];
            ASSERT_TRUE(x.tipo == y.tipo && x.texto == y.texto && x.entero == y.entero &&
                        std::bit_cast<uint64_t>(x.real) == std::bit_cast<uint64_t>(y.real))
                << caso;
        }
    };
    for (double r : reales) {
        a.Limpiar();
        b.Limpiar();
        a.Sql("update t set a = ").Numero(r).Sql(" where b = ").Texto("x");
        b.Sql("update t set a = ").Numero(NumeroSql(r)).Sql(" where b = ").Texto("x");
        comparar(std::to_string(std::bit_cast<uint64_t>(r)));
    }
    for (long long e : enteros) {
        a.Limpiar();
        b.Limpiar();
        a.Sql("values (").Numero(e).Sql(")");
        b.Sql("values (").Numero(std::to_string(e)).Sql(")");
        comparar(std::to_string(e));
    }
}

// Bound or written in, every value is stored alike: same type, same value.
TEST(SentenciaSql, CorrerlaGuardaLoMismoQueSuTexto) {
    const fs::path dir = fs::temp_directory_path() / ("velmarion-sentencia-" + std::to_string(getpid()));
    fs::create_directories(dir);
    Almacor::Gestor db;
    db.CrearArchivo((dir / "t.db").string());
    for (const char* tabla : {"t", "u"})
        db.Ejecutar(SentenciaSql(std::string("create table ") + tabla +
                                 " (a text collate nocase, b real, c text, d, e integer, k integer)"));
    SentenciaSql s;
    std::string texto;
    db.ComenzarTransaccion();
    for (size_t k = 0; k < 120; ++k) {
        Escribir(s, texto, k);
        EXPECT_EQ(db.Ejecutar(s), 1) << texto;
        db.Ejecutar(SentenciaSql("update t set k = " + std::to_string(k) + " where k is null"));
        db.Ejecutar(SentenciaSql("insert into u (a, b, c, d, e) values" + texto.substr(texto.find(" values") + 7)));
        db.Ejecutar(SentenciaSql("update u set k = " + std::to_string(k) + " where k is null"));
    }
    db.ConfirmarTransaccion();
    auto filas = [&db](const char* tabla) {
        Recordset rs;
        db.Sql(SentenciaSql(
            std::string("select k, typeof(a), a, typeof(b), quote(b), c, typeof(d), quote(d), quote(e) from ") + tabla +
            " order by k"));
        db.CrearRs(rs);
        std::string r;
        for (; !rs.Eof(); rs.MoveNext())
            for (size_t i = 0; i < rs.Columnas().size(); ++i)
                r += rs.Fields(i).Texto() + (i + 1 < rs.Columnas().size() ? "|" : "\n");
        return r;
    };
    std::string t = filas("t");
    EXPECT_EQ(std::count(t.begin(), t.end(), '\n'), 120);
    EXPECT_EQ(t, filas("u"));

    // A run of one shape prepares it once, whatever its values.
    const long preparadas = db.Preparaciones();
    for (int k = 0; k < 50; ++k) {
        s.Limpiar();
        s.Sql("update t set c = ").Texto("v'" + std::to_string(k)).Sql(", b = ").Numero(std::to_string(k) + ".5");
        s.Sql(" where k = ").Numero(std::to_string(k));
        EXPECT_EQ(db.Ejecutar(s), 1);
    }
    EXPECT_LE(db.Preparaciones() - preparadas, 1);
    db.Sql("select c, b from t where k = 49");
    Recordset rs;
    ASSERT_TRUE(db.CrearRs(rs));
    EXPECT_EQ(rs.Fields("c").Texto(), "v'49");
    EXPECT_EQ(rs.Fields("b").Numero(), 49.5);
    db.Desconectar();
    fs::remove_all(dir);
}

// The cache lowered for a large sort comes back to its size afterwards, also
// when the sort fails; it is never raised.
TEST(CacheParaOrdenar, VuelveAlTamanoDeAntes) {
    const fs::path dir = fs::temp_directory_path() / ("velmarion-orden-" + std::to_string(getpid()));
    fs::create_directories(dir);
    Almacor::Gestor db;
    db.CrearArchivo((dir / "t.db").string());
    auto pragma = [&db] {
        Recordset rs;
        db.Sql("pragma cache_size");
        db.CrearRs(rs);
        return rs.Fields(size_t{0}).Numero();
    };
    db.TamanoCache(32000);
    try {
        Almacor::CacheParaOrdenar orden(db);
        EXPECT_EQ(pragma(), -4000);
        db.Ejecutar("select * from no_existe group by 1");
        FAIL();
    } catch (const AppError&) {
    }
    EXPECT_EQ(db.TamanoCache(), 32000);
    EXPECT_EQ(pragma(), -32000);
    db.TamanoCache(2000);
    {
        Almacor::CacheParaOrdenar orden(db);
        EXPECT_EQ(pragma(), -2000);
    }
    EXPECT_EQ(pragma(), -2000);
    db.Desconectar();
    fs::remove_all(dir);
}
