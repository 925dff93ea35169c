// The prepared-statement cache of the database component: statements that
// differ only in their values share one prepared statement and give exactly
// what the same values written into the statement give. Each engine renders
// its dialect from a statement's template, once per shape, and binds its
// values: what each one prepares, what a "+" does next to a text value or a
// number, texts that reach the database as they are.
#include "platform/Almacor.h"
#include "platform/AppError.h"
#include "platform/Cursor.h"
#include "platform/Postgres.h"
#include "platform/SentenciaSql.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A fresh database file, removed at the end, and its rows as one line of
// "column=value;" to compare.
struct Base {
    explicit Base(const char* nombre)
        : ruta(fs::temp_directory_path() /
               ("velmarion-" + std::string(nombre) + "-" + std::to_string(::getpid()) + ".db")) {
        fs::remove(ruta);
        db.CrearArchivo(ruta.string());
    }
    ~Base() {
        db.Desconectar();
        fs::remove(ruta);
    }
    long Ejecutar(const std::string& sql) { return db.Ejecutar(SentenciaSql(sql)); }
    std::string Filas(const SentenciaSql& s) {
        Recordset rs;
        db.Sql(s);
        db.CrearRs(rs);
        std::string r;
        for (; !rs.Eof(); rs.MoveNext())
            for (size_t i = 0; i < rs.Columnas().size(); ++i)
                r += rs.Columnas()[i] + "=" + (rs.Fields(i).EsNulo() ? "<null>" : rs.Fields(i).Texto()) + ";";
        return r;
    }
    fs::path ruta;
    Almacor::Gestor db;
};

} // namespace

// A value bound to a kept shape gives what the same value written into the
// statement gives, and shapes are prepared once.
TEST(CacheSql, MismosResultadosQueElTextoLiteral) {
    Base b("cache");
    Almacor::Gestor& db = b.db;
    auto Ejecutar = [&](const std::string& sql) { return b.Ejecutar(sql); };
    auto Filas = [&](const auto& sql) { return b.Filas(sql); };
    Ejecutar("create table t (k integer primary key, c text collate nocase, n real)");
    for (int i = 0; i < 3; ++i) { // the first run prepares, the others reuse
        const long long k = i;
        EXPECT_EQ(db.Ejecutar(SentenciaSql("insert into t values (")
                                  .Numero(k)
                                  .Sql(", ")
                                  .Texto(std::to_string(i * 100))
                                  .Sql(", ")
                                  .Numero(2.5)
                                  .Sql(")")),
                  1);
        std::string n = std::to_string(i);
        EXPECT_EQ(Filas(SentenciaSql("select typeof(")
                            .Texto("5")
                            .Sql(") a, typeof(")
                            .Numero(5LL)
                            .Sql(") b, typeof(")
                            .Numero("5.0")
                            .Sql(") c from t where k = ")
                            .Numero(k)),
                  "a=text;b=integer;c=real;");
        // A column named after its expression keeps the statement's own text.
        EXPECT_EQ(Filas(SentenciaSql("select k + ").Numero(k).Sql(", ").Numero(k).Sql(" from t where k = ").Numero(k)),
                  "k + " + n + "=" + std::to_string(2 * i) + ";" + n + "=" + n + ";");
    }
    // Affinity and collation as with the values written in; ORDER BY column numbers.
    Ejecutar("update t set c = 'abc', n = null where k = 2");
    EXPECT_EQ(Filas("select k from t where c = 100"), "k=1;");
    EXPECT_EQ(Filas(SentenciaSql("select k from t where c = ").Numero(100LL)), "k=1;");
    EXPECT_EQ(Filas("select k from t where c = 'ABC'"), "k=2;");
    EXPECT_EQ(Filas(SentenciaSql("select k from t where c = ").Texto("ABC")), "k=2;");
    EXPECT_EQ(Filas("select c, k from t order by 2 desc"), "c=abc;k=2;c=100;k=1;c=0;k=0;");
    EXPECT_LE(db.SentenciasEnCache(), 8u);
    // Each shape above is prepared once: a thousand more of them with other
    // values prepare nothing, and the kept statements are there to be reused.
    const long preparadas = db.Preparaciones();
    const size_t enCache = db.SentenciasEnCache();
    EXPECT_GE(enCache, 3u);
    db.ComenzarTransaccion();
    SentenciaSql s;
    for (int i = 10; i < 1010; ++i) {
        const std::string n = std::to_string(i);
        s.Limpiar();
        s.Sql("insert into t values (").Numero(n).Sql(", ").Texto("v'" + n).Sql(", ").Numero(n + ".5").Sql(")");
        EXPECT_EQ(db.Ejecutar(s), 1);
        s.Limpiar();
        s.Sql("select k from t where c = ").Texto("V'" + n).Sql(" and n = ").Numero(n + ".5");
        EXPECT_EQ(Filas(s), "k=" + n + ";");
        s.Limpiar();
        EXPECT_EQ(db.Ejecutar(s.Sql("delete from t where k = ").Numero(n)), 1);
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
}

// LEFT, TOP and "+" in the statement itself are translated; the same words
// and signs inside its texts, written in or bound, are data.
TEST(CacheSql, TraduceSoloFueraDeLosTextos) {
    Base b("traduce");
    Almacor::Gestor& db = b.db;
    auto Ejecutar = [&](const std::string& sql) { return b.Ejecutar(sql); };
    auto Filas = [&](const auto& sql) { return b.Filas(sql); };
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
    // Values with "+" or the words in them share one prepared statement.
    Recordset rs;
    db.Sql(SentenciaSql("select k from t where a = ").Texto("xy"));
    EXPECT_TRUE(db.CrearRs(rs));
    const long preparadas = db.Preparaciones();
    for (const char* v : {"1+1", "left(", "Top", "plain"}) {
        db.Sql(SentenciaSql("select k from t where a = ").Texto(v));
        EXPECT_FALSE(db.CrearRs(rs)) << v;
    }
    EXPECT_EQ(db.Preparaciones() - preparadas, 0);
}

// Connections compare NOCASE text with their own function: it must order every
// pair of texts as SQLite's own NOCASE does (indexes built by either are read
// by the other), letters, other bytes, embedded NULs and lengths alike.
TEST(CacheSql, NocasePropioOrdenaComoElDeSqlite) {
    Base propia("nocase");
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
}

TEST(Dialecto, CadaMotorRecibeSuForma) {
    struct Caso {
        SentenciaSql s;
        const char* sqlite;
        const char* servidor;
    };
    const Caso casos[] = {
        {SentenciaSql("select top 1 [001] from ncm where [002] = ").Texto("x").Sql(" order by [001]"),
         "select [001] from ncm where [002] = ? order by [001] limit 1",
         "select \"001\" from ncm where \"002\" = $1 order by \"001\" limit 1"},
        {SentenciaSql("select left(sufijo,2) from s where x = ").Texto("left("),
         "select vb_left(sufijo,2) from s where x = ?", "select vb_left(sufijo,2) from s where x = $1"},
        // A text value joined with a column; numbers added.
        {SentenciaSql("select [001] + ").Texto(".").Sql(" + [002] from t where n = k + ").Numero(1LL),
         "select [001] || ? || [002] from t where n = k + ?",
         "select \"001\" || $1 || \"002\" from t where n = k + $2"},
        // A code equal to a text value, through lower() on the server.
        {SentenciaSql("update subitems set interno = ").Texto("x").Sql(" where interno = ").Texto("y"),
         "update subitems set interno = ? where interno = ?",
         "update subitems set interno = $1 where lower(cast(interno as text)) = lower($2)"},
        {SentenciaSql("select ncm.[001] from ncm_texto join ncm on ncm.rowid = ncm_texto.rowid where ncm_texto match ")
             .Texto("motor*"),
         "select ncm.[001] from ncm_texto join ncm on ncm.rowid = ncm_texto.rowid where ncm_texto match ?",
         "select ncm.\"001\" from ncm where ncm_coincide(ncm.\"010\", ncm.\"004\", $1)"},
        // A text written whole keeps its "?" and quotes; only values are numbered.
        {SentenciaSql("select 'a?''b' from t where c = ").Numero(2.5), "select 'a?''b' from t where c = ?",
         "select 'a?''b' from t where c = $1"},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(Almacor::Gestor::Renderizar(c.s), c.sqlite) << c.s.TextoSql();
        EXPECT_EQ(Postgres::Gestor::Renderizar(c.s), c.servidor) << c.s.TextoSql();
    }
}

TEST(Dialecto, MasEntreTextosUneYEntreNumerosSuma) {
    Base b("dialecto");
    b.db.Ejecutar(SentenciaSql("create table t (a text, n integer)"));
    b.db.Ejecutar(SentenciaSql("insert into t values (").Texto("x").Sql(",").Numero(4LL).Sql(")"));
    EXPECT_EQ(b.Filas(SentenciaSql("select a + ").Texto("-").Sql(" + a as j, n + ").Numero(3LL).Sql(" as s from t")),
              "j=x-x;s=7;");
    // The same template with a number where the text was: one more shape, which adds.
    EXPECT_EQ(b.Filas(SentenciaSql("select n + ").Numero(1LL).Sql(" + n as j from t")), "j=9;");
    EXPECT_EQ(b.Filas(SentenciaSql("select n + ").Texto("1").Sql(" + n as j from t")), "j=414;");
}

TEST(Dialecto, LosTextosLleganEnterosYUnaFormaSePreparaUnaVez) {
    Base b("dialecto");
    b.db.Ejecutar(SentenciaSql("create table t (k integer, c text)"));
    const char* const textos[] = {"O'Brien", "100%", "a_b", "'; drop table t; --", "?", "ñandú", ""};
    const long antes = b.db.Preparaciones();
    SentenciaSql s;
    long k = 0;
    for (const char* t : textos) {
        s.Limpiar();
        s.Sql("insert into t values (").Numero(static_cast<long long>(++k)).Sql(",").Texto(t).Sql(")");
        EXPECT_EQ(b.db.Ejecutar(s), 1);
    }
    k = 0;
    for (const char* t : textos) {
        s.Limpiar();
        s.Sql("select k from t where c = ").Texto(t);
        EXPECT_EQ(b.Filas(s), "k=" + std::to_string(++k) + ";") << t;
    }
    // Two shapes, each prepared once for all its rows.
    EXPECT_EQ(b.db.Preparaciones() - antes, 2);
    // A walk binds its values too, and reads what the statement's text would.
    Almacor::Cursor c(b.db, SentenciaSql("select c from t where k > ").Numero(5LL).Sql(" order by k"));
    ASSERT_FALSE(c.Eof());
    EXPECT_EQ(c.Fields("c").Texto(), "ñandú");
    EXPECT_EQ(Almacor::ContarFilas(b.db, SentenciaSql(" from t where c = ").Texto("O'Brien")), 1);
}
