// The prepared-statement cache of the database component: statements that
// differ only in their literal values share one prepared statement, and give
// exactly what the literal text gives.
#include "platform/Almacor.h"
#include "platform/AppError.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string Describir(const std::vector<Almacor::Gestor::Literal>& valores) {
    std::string r;
    for (const auto& v : valores) {
        switch (v.tipo) {
        case Almacor::Gestor::Literal::Tipo::Texto: r += "T<" + v.texto + ">"; break;
        case Almacor::Gestor::Literal::Tipo::Entero: r += "I<" + std::to_string(v.entero) + ">"; break;
        case Almacor::Gestor::Literal::Tipo::Real: r += "R<" + std::to_string(v.real) + ">"; break;
        }
    }
    return r;
}

struct Base : ::testing::Test {
    Almacor::Gestor db;
    fs::path ruta = fs::temp_directory_path() / ("velmarion-cache-" + std::to_string(::getpid()) + ".db");

    void SetUp() override {
        fs::remove(ruta);
        db.CrearArchivo(ruta.string());
        Ejecutar("create table t (k integer primary key, c text collate nocase, n real)");
    }
    void TearDown() override {
        db.Desconectar();
        fs::remove(ruta);
    }
    long Ejecutar(const std::string& sql) {
        db.Sql(sql);
        return db.Ejecutar();
    }
    // Every row as "col=value;" with the value's type, null as <null>.
    std::string Filas(const std::string& sql) {
        Recordset rs;
        db.Sql(sql);
        db.CrearRs(rs);
        std::string r;
        for (; !rs.Eof(); rs.MoveNext()) {
            for (size_t i = 0; i < rs.Columnas().size(); ++i) {
                const Valor& v = rs.Fields(i);
                r += rs.Columnas()[i] + "=" + (v.EsNulo() ? "<null>" : v.Texto()) + ";";
            }
            r += "|";
        }
        return r;
    }
};

} // namespace

TEST(Parametrizar, LiteralesFueraDeIdentificadores) {
    struct Caso {
        const char* sql;
        const char* plantilla; // nullptr: left alone
        const char* valores;
    } casos[] = {
        {"select * from t where c = 'O''NEIL' and k = 12 and n = 1.5", "select * from t where c = ? and k = ? and n = ?",
         "T<O'NEIL>I<12>R<1.500000>"},
        {"select [001], \"a'b\" from ncm where [002] = '100' and x = ''", "select [001], \"a'b\" from ncm where [002] = ? and x = ?",
         "T<100>T<>"},
        {"select t1.c2 from t1 where k=-3 and n = .5e1", "select t1.c2 from t1 where k=-? and n = ?", "I<3>R<5.000000>"},
        // Column numbers of ORDER BY and GROUP BY keep their meaning.
        {"select c from t where k > 1 order by 2, c limit 5", "select c from t where k > ? order by 2, c limit 5", "I<1>"},
        {"select mid(c,6,4) as s from t group  by mid(c,6,4)", "select mid(c,?,?) as s from t group  by mid(c,6,4)",
         "I<6>I<4>"},
        {"select 99999999999999999999", "select 99999999999999999999", ""},
        {"select 1 -- nota", nullptr, ""},
        {"select /* 'x' */ 1", nullptr, ""},
        {"select x'00'", nullptr, ""},
        {"select * from t where k = ?", nullptr, ""},
        {"select * from t where c = :c", nullptr, ""},
        {"select 'sin cerrar", nullptr, ""},
        {"select 0x1F", nullptr, ""},
    };
    for (const Caso& c : casos) {
        std::string plantilla;
        std::vector<Almacor::Gestor::Literal> valores;
        bool ok = Almacor::Gestor::Parametrizar(c.sql, plantilla, valores);
        EXPECT_EQ(ok, c.plantilla != nullptr) << c.sql;
        if (ok && c.plantilla) {
            EXPECT_EQ(plantilla, c.plantilla) << c.sql;
            EXPECT_EQ(Describir(valores), c.valores) << c.sql;
        }
    }
}

TEST_F(Base, ResultadosIgualesQueConElTextoLiteral) {
    for (int i = 0; i < 3; ++i) // first run prepares, the others reuse
        EXPECT_EQ(Filas("select typeof('5') as a, typeof(5) as b, typeof(5.0) as c, '" + std::to_string(i) +
                        "' || 'x' as d"),
                  "a=text;b=integer;c=real;d=" + std::to_string(i) + "x;|");
    // A column named after its expression keeps the statement's own text.
    EXPECT_EQ(Filas("select 1+1, k+2 from (select 7 as k)"), "1+1=2;k+2=9;|");
    EXPECT_EQ(Filas("select 2+2, k+3 from (select 7 as k)"), "2+2=4;k+3=10;|");

    Ejecutar("insert into t values (1, '100', 2.5)");
    Ejecutar("insert into t values (2, 'abc', 1)");
    Ejecutar("insert into t values (3, 'O''NEIL', null)");
    // Affinity and collation as with literals: 100 finds the text '100', 'ABC' finds 'abc'.
    EXPECT_EQ(Filas("select k from t where c = 100"), "k=1;|");
    EXPECT_EQ(Filas("select k from t where c = 'ABC'"), "k=2;|");
    EXPECT_EQ(Filas("select k from t where c = 'o''neil'"), "k=3;|");
    EXPECT_EQ(Filas("select k, n from t order by 2 desc, 1"), "k=1;n=2.5;|k=2;n=1;|k=3;n=<null>;|");
    EXPECT_EQ(Filas("select k, n from t order by 1 desc"), "k=3;n=<null>;|k=2;n=1;|k=1;n=2.5;|");
    EXPECT_EQ(Ejecutar("update t set n = 7.25 where k = 2"), 1);
    EXPECT_EQ(Ejecutar("update t set n = 8 where k = 3"), 1);
    EXPECT_EQ(Ejecutar("update t set n = 9 where k = 30"), 0);
    EXPECT_EQ(Filas("select n from t where k in (2, 3) order by k"), "n=7.25;|n=8;|");
    EXPECT_LE(db.SentenciasEnCache(), 12u);
}

TEST_F(Base, UnaSentenciaQueFallaNoTrabaLaSiguiente) {
    Ejecutar("insert into t values (1, 'a', 0)");
    EXPECT_THROW(Ejecutar("insert into t values (1, 'b', 0)"), AppError); // duplicate key
    EXPECT_EQ(Ejecutar("insert into t values (2, 'b', 0)"), 1);
    // The refusals of the plain path still hold.
    EXPECT_THROW(Ejecutar("delete from t where k = 1; delete from t"), AppError);
    EXPECT_EQ(Filas("select count(*) as n from t"), "n=2;|");

    // A cached statement follows a change of the table, inside a transaction too.
    EXPECT_EQ(Filas("select * from t where k = 1"), "k=1;c=a;n=0;|");
    Ejecutar("alter table t add column z text default 'zz'");
    db.ComenzarTransaccion();
    EXPECT_EQ(Filas("select * from t where k = 2"), "k=2;c=b;n=0;z=zz;|");
    Ejecutar("delete from t where k = 2");
    db.ConfirmarTransaccion();
    EXPECT_EQ(Filas("select count(*) as n from t"), "n=1;|");

    // Reconnecting drops the cache cleanly.
    db.Desconectar();
    db.CadenaConexion("Provider=SQLite;Data Source=" + ruta.string());
    db.Conectar();
    EXPECT_EQ(db.SentenciasEnCache(), 0u);
    EXPECT_EQ(Filas("select c from t where k = 1"), "c=a;|");
}
