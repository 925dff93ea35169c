// The prepared-statement cache of the database component: statements that
// differ only in their literal values share one prepared statement and give
// exactly what the literal text gives.
#include "platform/Almacor.h"
#include "platform/AppError.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Literal = Almacor::Gestor::Literal;

namespace {

// A fresh database file, and its rows as one line of "column=value;" to compare.
struct Base {
    explicit Base(const fs::path& ruta) {
        fs::remove(ruta);
        db.CrearArchivo(ruta.string());
    }
    long Ejecutar(const std::string& sql) {
        db.Sql(sql);
        return db.Ejecutar();
    }
    std::string Filas(const std::string& sql) {
        Recordset rs;
        db.Sql(sql);
        db.CrearRs(rs);
        std::string r;
        for (; !rs.Eof(); rs.MoveNext())
            for (size_t i = 0; i < rs.Columnas().size(); ++i)
                r += rs.Columnas()[i] + "=" + (rs.Fields(i).EsNulo() ? "<null>" : rs.Fields(i).Texto()) + ";";
        return r;
    }
    Almacor::Gestor db;
};

} // namespace

TEST(CacheSql, Parametrizar) {
    struct Caso {
        const char* sql;
        const char* plantilla;
        const char* valores;
    } casos[] = {
        {"select * from t where c = 'O''NEIL' and k = 12 and n = 1.5 and m = -.5e1",
         "select * from t where c = ? and k = ? and n = ? and m = -?", "T:O'NEIL I:12 R:1.5 R:5.0 "},
        {"select [001], \"a'1\", t1.c2 from t1 where [002] = ''",
         "select [001], \"a'1\", t1.c2 from t1 where [002] = ?", "T: "},
        // Column numbers of ORDER BY and GROUP BY keep their meaning.
        {"select mid(c,6,4) from t where k > 1 group  by mid(c,6,4) order by 1",
         "select mid(c,?,?) from t where k > ? group  by mid(c,6,4) order by 1", "I:6 I:4 I:1 "},
        {"select 99999999999999999999", "select 99999999999999999999", ""},
    };
    for (const Caso& c : casos) {
        std::string plantilla, valores;
        std::vector<Literal> v;
        ASSERT_TRUE(Almacor::Gestor::Parametrizar(c.sql, plantilla, v)) << c.sql;
        for (const Literal& l : v)
            valores += l.tipo == Literal::Tipo::Texto    ? "T:" + l.texto + " "
                       : l.tipo == Literal::Tipo::Entero ? "I:" + std::to_string(l.entero) + " "
                                                         : "R:" + std::to_string(l.real).erase(3) + " ";
        EXPECT_EQ(plantilla, c.plantilla);
        EXPECT_EQ(valores, c.valores) << c.sql;
    }
    std::string p;
    std::vector<Literal> v;
    for (const char* fuera :
         {"select 1 -- x", "select /* 'x' */ 1", "select x'00'", "select ? , :c", "select 'abierta", "select 0x1F"})
        EXPECT_FALSE(Almacor::Gestor::Parametrizar(fuera, p, v)) << fuera;
}

// A scan resumed where the previous statement's first literal stood gives what
// a scan from the start gives, whatever pairs of statements follow each other:
// shared prefixes that end inside ORDER BY, after TOP or a "+", at a blob, at a
// number, or that the next text only partly repeats.
TEST(CacheSql, ParametrizarReanudadoComoDesdeElPrincipio) {
    const std::vector<std::string> textos = {
        "insert into t (a, b) values ('x', 1)",
        "insert into t (a, b) values ('y''z', 2.5)",
        "insert into t (a, b) values (3, 'w')",
        "insert into t (a, b) values",
        "insert into t (a, b) values (x'00', 1)",
        "select a from t order by 1, 'x'",
        "select a from t order by 2, 'y'",
        "select a from t order by a, 'x'",
        "select a from t where b = 'q' order by 1",
        "select top 3 a from t where b = 'x'",
        "select top 3 a from t where b = 'x' + c",
        "select a + 'x' from t",
        "select a + 'x' from t where k = 7",
        "select .5, 'x'",
        "select a.5 from t",
        "select 'abierta",
        "",
    };
    auto describir = [](bool ok, const std::string& plantilla, const std::vector<Literal>& v) {
        std::string r = (ok ? "ok " : "no ") + plantilla + " |";
        for (const Literal& l : v)
            r += std::to_string(static_cast<int>(l.tipo)) + ":" + l.texto + ":" + std::to_string(l.entero) + ":" +
                 std::to_string(l.real) + " ";
        return r;
    };
    Almacor::Gestor::Arranque arranque;
    for (const std::string& a : textos)
        for (const std::string& b : textos)
            for (const std::string& sql : {a, b}) {
                std::string p1, p2;
                std::vector<Literal> v1, v2;
                const bool ok1 = Almacor::Gestor::Parametrizar(sql, p1, v1);
                const bool ok2 = Almacor::Gestor::Parametrizar(sql, p2, v2, arranque);
                ASSERT_EQ(describir(ok2, p2, v2), describir(ok1, p1, v1)) << a << " / then / " << b;
            }
    // On a connection: the second of two texts that need translating before
    // their first literal (TOP, "+") is translated too.
    Base b(fs::temp_directory_path() / ("velmarion-arranque-" + std::to_string(::getpid()) + ".db"));
    b.Ejecutar("create table t (a text, n integer)");
    b.Ejecutar("insert into t values ('x', 1)");
    b.Ejecutar("insert into t values ('y', 2)");
    for (const char* v : {"x", "y"})
        EXPECT_EQ(b.Filas(std::string("select top 1 n from t where a = '") + v + "'"),
                  v == std::string("x") ? "n=1;" : "n=2;");
    for (const char* v : {"x", "y"})
        EXPECT_EQ(b.Filas(std::string("select a + '-' + a as d from t where a = '") + v + "'"),
                  "d=" + std::string(v) + "-" + v + ";");
    b.db.Desconectar();
    fs::remove(b.db.Ruta());
}

// A text passed to SQLite untranslated must be one the translation leaves alone.
TEST(CacheSql, SinTraduccionSoloSiNadaCambia) {
    for (const char* sql :
         {"insert into ART (INTNRO, ARTNRO) values ('1', 'A+B')", "select LEFT(x, 2) from t", "select Top 3 a from t",
          "select [001]+ '.' +[002] from ncm", "select a from t where b = 'x'",
          "update ART set PRCDUN = '07' where INTNRO = 'TOPE'", "select lefty, stop from t"}) {
        if (Almacor::Gestor::SinTraduccion(sql)) {
            EXPECT_EQ(Almacor::Gestor::TraducirSql(sql), sql);
        }
    }
    EXPECT_TRUE(Almacor::Gestor::SinTraduccion("select a from t where b = 'x'"));
    EXPECT_FALSE(Almacor::Gestor::SinTraduccion("select LEFT(x, 2) from t"));
    EXPECT_FALSE(Almacor::Gestor::SinTraduccion("select Top 3 a from t"));
    EXPECT_FALSE(Almacor::Gestor::SinTraduccion("select [001]+ '.' +[002] from ncm"));
}

TEST(CacheSql, MismosResultadosQueElTextoLiteral) {
    fs::path ruta = fs::temp_directory_path() / ("velmarion-cache-" + std::to_string(::getpid()) + ".db");
    Base b(ruta);
    Almacor::Gestor& db = b.db;
    auto Ejecutar = [&](const std::string& sql) { return b.Ejecutar(sql); };
    auto Filas = [&](const std::string& sql) { return b.Filas(sql); };
    Ejecutar("create table t (k integer primary key, c text collate nocase, n real)");
    for (int i = 0; i < 3; ++i) { // the first run prepares, the others reuse
        EXPECT_EQ(Ejecutar("insert into t values (" + std::to_string(i) + ", '" + std::to_string(i * 100) + "', 2.5)"),
                  1);
        std::string n = std::to_string(i);
        EXPECT_EQ(Filas("select typeof('5') a, typeof(5) b, typeof(5.0) c from t where k = " + n),
                  "a=text;b=integer;c=real;");
        // A column named after its expression keeps the statement's own text.
        EXPECT_EQ(Filas("select k + " + n + ", " + n + " from t where k = " + n),
                  "k + " + n + "=" + std::to_string(2 * i) + ";" + n + "=" + n + ";");
    }
    // Affinity and collation as with literals; ORDER BY column numbers.
    Ejecutar("update t set c = 'abc', n = null where k = 2");
    EXPECT_EQ(Filas("select k from t where c = 100"), "k=1;");
    EXPECT_EQ(Filas("select k from t where c = 'ABC'"), "k=2;");
    EXPECT_EQ(Filas("select c, k from t order by 2 desc"), "c=abc;k=2;c=100;k=1;c=0;k=0;");
    EXPECT_LE(db.SentenciasEnCache(), 8u);
    // Each shape above is prepared once: a thousand more of them with other
    // values prepare nothing, and the kept statements are there to be reused.
    const long preparadas = db.Preparaciones();
    const size_t enCache = db.SentenciasEnCache();
    EXPECT_GE(enCache, 3u);
    db.ComenzarTransaccion();
    for (int i = 10; i < 1010; ++i) {
        const std::string n = std::to_string(i);
        EXPECT_EQ(Ejecutar("insert into t values (" + n + ", 'v''" + n + "', " + n + ".5)"), 1);
        EXPECT_EQ(Filas("select k from t where c = 'V''" + n + "' and n = " + n + ".5"), "k=" + n + ";");
        EXPECT_EQ(Ejecutar("delete from t where k = " + n), 1);
    }
    db.ConfirmarTransaccion();
    EXPECT_LE(db.Preparaciones() - preparadas, 3);
    EXPECT_LE(db.SentenciasEnCache(), enCache + 3);

    // A failing statement does not block the next one of its shape; the plain refusals hold.
    EXPECT_THROW(Ejecutar("insert into t values (1, 'x', 0)"), AppError);
    EXPECT_EQ(Ejecutar("insert into t values (3, 'x', 0)"), 1);
    EXPECT_THROW(Ejecutar("delete from t where k = 1; delete from t"), AppError);
    // A kept statement follows a change of its table.
    EXPECT_EQ(Filas("select * from t where k = 3"), "k=3;c=x;n=0;");
    Ejecutar("alter table t add column z text default 'zz'");
    db.ComenzarTransaccion();
    EXPECT_EQ(Filas("select * from t where k = 1"), "k=1;c=100;n=2.5;z=zz;");
    EXPECT_EQ(Ejecutar("delete from t where k = 1"), 1);
    db.ConfirmarTransaccion();
    EXPECT_EQ(Filas("select count(*) as n from t"), "n=3;");
    db.Desconectar();
    EXPECT_EQ(db.SentenciasEnCache(), 0u);
    fs::remove(ruta);
}

// The scan that finds a statement's literals also decides whether it needs the
// dialect translation: LEFT, TOP and "+" in the statement itself are
// translated, the same words and signs inside its texts are data.
TEST(CacheSql, TraduceSoloFueraDeLosTextos) {
    fs::path ruta = fs::temp_directory_path() / ("velmarion-traduce-" + std::to_string(::getpid()) + ".db");
    Base b(ruta);
    Almacor::Gestor& db = b.db;
    auto Ejecutar = [&](const std::string& sql) { return b.Ejecutar(sql); };
    auto Filas = [&](const std::string& sql) { return b.Filas(sql); };
    Ejecutar("create table t (k integer primary key, a text, b text)");
    EXPECT_EQ(Ejecutar("insert into t values (1, 'A+B', 'left(x, 1)')"), 1);
    EXPECT_EQ(Ejecutar("insert into t values (2, 'TOP 3', '[c]+ ''.'' +[d]')"), 1);
    EXPECT_EQ(Ejecutar("insert into t values (3, 'xy', 'zw')"), 1);
    EXPECT_EQ(Filas("select a, b from t where k < 3 order by k"), "a=A+B;b=left(x, 1);a=TOP 3;b=[c]+ '.' +[d];");
    EXPECT_EQ(Filas("select k from t where a = 'A+B' or b = 'left(x, 1)'"), "k=1;");
    // Next to texts, inside brackets and after names, the statement's own words still count.
    EXPECT_EQ(Filas("select 'top'||LEFT(a, 1) as p from t where k = 3"), "p=topx;");
    EXPECT_EQ(Filas("select [a]+ '.' +[b] as j from t where b = 'zw'"), "j=xy.zw;");
    EXPECT_EQ(Filas("select k+1 as s from t where a = 'x+y' or k = 3"), "s=4;");
    EXPECT_EQ(Filas("select top 1 k from t where a <> 'top' order by k desc"), "k=3;");
    EXPECT_EQ(Filas("select 1.5e+1 as r"), "r=15;");
    // A statement that cannot take parameters is translated all the same.
    EXPECT_EQ(Filas("select left(b, 2) as p from t where k = 3 -- left"), "p=zw;");
    // Texts with "+" or the words in them share one prepared statement.
    EXPECT_EQ(Filas("select k from t where a = 'xy'"), "k=3;");
    const long preparadas = db.Preparaciones();
    for (const char* v : {"'1+1'", "'left('", "'Top'", "'plain'"})
        EXPECT_EQ(Filas(std::string("select k from t where a = ") + v), "");
    EXPECT_EQ(db.Preparaciones() - preparadas, 0);
    db.Desconectar();
    fs::remove(ruta);
}

// Connections compare NOCASE text with their own function: it must order every
// pair of texts as SQLite's own NOCASE does (indexes built by either are read
// by the other), letters, other bytes, embedded NULs and lengths alike.
TEST(CacheSql, NocasePropioOrdenaComoElDeSqlite) {
    const fs::path ruta = fs::temp_directory_path() / ("velmarion-nocase-" + std::to_string(::getpid()) + ".db");
    Base propia(ruta);
    sqlite3* deSqlite = nullptr;
    ASSERT_EQ(sqlite3_open_v2(":memory:", &deSqlite, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    auto comparar = [](sqlite3* db, const std::string& a, const std::string& b) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "select (?1 < ?2 collate nocase) - (?1 > ?2 collate nocase)", -1, &st, nullptr);
        sqlite3_bind_text(st, 1, a.data(), static_cast<int>(a.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, b.data(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
        sqlite3_step(st);
        const int r = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
        return r;
    };
    std::mt19937 azar(13);
    const std::string letras = std::string("aAbBzZ09@[`{\xC3\x91\xFF ") + '\0';
    auto texto = [&](size_t largo) {
        std::string t;
        for (size_t i = 0; i < largo; ++i)
            t += letras[azar() % letras.size()];
        return t;
    };
    for (int k = 0; k < 20000; ++k) {
        std::string a = texto(azar() % 20), b;
        switch (azar() % 3) {
        case 0: // the same text in other cases, maybe longer
            b = a;
            for (char& c : b)
                if (azar() % 2 && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
                    c ^= 0x20;
            b += texto(azar() % 3);
            break;
        case 1: // a shared beginning
            b = a.substr(0, azar() % (a.size() + 1)) + texto(azar() % 12);
            break;
        default:
            b = texto(azar() % 20);
        }
        ASSERT_EQ(comparar(propia.db.Handle(), a, b), comparar(deSqlite, a, b))
            << testing::PrintToString(a) << " " << testing::PrintToString(b);
    }
    sqlite3_close(deSqlite);
    propia.db.Desconectar();
    fs::remove(ruta);
}
