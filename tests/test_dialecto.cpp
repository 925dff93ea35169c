// Each engine renders its dialect from a statement's template, once per
// shape, and binds its values: what each one prepares, what a "+" does next to
// a text value or a number, texts that reach the database as they are, and a
// walk of one shape preparing once.
#include "platform/Almacor.h"
#include "platform/Cursor.h"
#include "platform/Postgres.h"
#include "platform/SentenciaSql.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Base {
    Base() : ruta(fs::temp_directory_path() / ("velmarion-dialecto-" + std::to_string(::getpid()) + ".db")) {
        fs::remove(ruta);
        db.CrearArchivo(ruta.string());
    }
    ~Base() {
        db.Desconectar();
        fs::remove(ruta);
    }
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
    Base b;
    b.db.Ejecutar(SentenciaSql("create table t (a text, n integer)"));
    b.db.Ejecutar(SentenciaSql("insert into t values (").Texto("x").Sql(",").Numero(4LL).Sql(")"));
    EXPECT_EQ(b.Filas(SentenciaSql("select a + ").Texto("-").Sql(" + a as j, n + ").Numero(3LL).Sql(" as s from t")),
              "j=x-x;s=7;");
    // The same template with a number where the text was: one more shape, which adds.
    EXPECT_EQ(b.Filas(SentenciaSql("select n + ").Numero(1LL).Sql(" + n as j from t")), "j=9;");
    EXPECT_EQ(b.Filas(SentenciaSql("select n + ").Texto("1").Sql(" + n as j from t")), "j=414;");
}

TEST(Dialecto, LosTextosLleganEnterosYUnaFormaSePreparaUnaVez) {
    Base b;
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
