// The streamed walk over the work database against the snapshot it replaces.
#include "platform/Almacor.h"
#include "platform/AppError.h"
#include "platform/Cursor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct BaseTemporal {
    Almacor::Gestor db;
    fs::path ruta;
    BaseTemporal() {
        ruta = fs::temp_directory_path() / ("velmarion-cursor-" + std::to_string(::getpid()) + "-" +
                                            std::to_string(reinterpret_cast<uintptr_t>(this)) + ".db");
        fs::remove(ruta);
        db.CrearArchivo(ruta.string());
        db.Ejecutar("create table t (k integer, n integer, r real, s text, u)");
        db.Ejecutar("insert into t values (1, 5, 2.5, '0001', null)");
        db.Ejecutar("insert into t values (2, null, 3, 'It''s', 7)");
        db.Ejecutar("insert into t values (3, -12, null, '', 1.25)");
        db.Ejecutar("insert into t values (4, 0, 0.1, null, 'ART-9')");
        db.Ejecutar("insert into t values (5, 9007199254740993, -0.5, '2,5', x'414243')");
    }
    ~BaseTemporal() {
        db.Desconectar();
        fs::remove(ruta);
    }
};

std::string Tipo(const Valor& v) {
    return std::to_string(static_cast<int>(v.tipo())) + ":" + v.Texto();
}

} // namespace

// Every row, value, null and type comes out as the snapshot gives it, for
// plain and translated statement texts, and the walk reads each column once
// whether it is asked by name or by position.
TEST(Cursor, LeeLoMismoQueElRecordset) {
    BaseTemporal b;
    for (const std::string sql :
         {"select * from t order by k", "select k, left(s, 2) as i, mid(s, 2, 2) as m, s + '.' + u as j from t",
          "select u, count(*) as c from t group by u order by u desc", "select * from t where k > 99"}) {
        SCOPED_TRACE(sql);
        Recordset rs;
        b.db.Sql(SentenciaSql(sql));
        b.db.CrearRs(rs);
        Almacor::Cursor c(b.db, SentenciaSql(sql));
        ASSERT_EQ(c.Columnas(), rs.Columnas());
        long filas = 0;
        for (; !rs.Eof(); rs.MoveNext(), c.MoveNext()) {
            ASSERT_FALSE(c.Eof());
            EXPECT_EQ(c.AbsolutePosition(), rs.AbsolutePosition());
            for (size_t i = 0; i < rs.Columnas().size(); ++i) {
                const std::string& nombre = rs.Columnas()[i];
                EXPECT_EQ(Tipo(c.Fields(nombre)), Tipo(rs.Fields(nombre))) << nombre;
                EXPECT_EQ(Tipo(c.Fields(i)), Tipo(rs.Fields(i))) << nombre;
                EXPECT_EQ(c.Fields(nombre).Numero(), rs.Fields(nombre).Numero()) << nombre;
            }
            ++filas;
        }
        EXPECT_TRUE(c.Eof());
        EXPECT_EQ(filas, rs.RecordCount());
    }
}

// A value read on one row must not leak into the next when the next holds a
// null or another type in that column.
TEST(Cursor, CadaFilaSeLeeDeNuevo) {
    BaseTemporal b;
    Almacor::Cursor c(b.db, "select n, s from t order by k");
    std::vector<std::string> vistos;
    for (; !c.Eof(); c.MoveNext())
        vistos.push_back((c.Fields("N").EsNulo() ? "<null>" : c.Fields("n").Texto()) + "|" +
                         (c.Fields("s").EsNulo() ? "<null>" : c.Fields("S").Texto()));
    EXPECT_EQ(vistos, (std::vector<std::string>{"5|0001", "<null>|It's", "-12|", "0|<null>", "9007199254740993|2,5"}));
}

// The walk owns its statement: queries of the same shape run on the same
// connection in the middle of it (a cached statement would be reset under the
// walk) leave it where it was.
TEST(Cursor, OtrasConsultasNoLoMueven) {
    BaseTemporal b;
    Almacor::Cursor c(b.db, "select k from t where k > 1 order by k");
    std::vector<std::string> vistos;
    for (; !c.Eof(); c.MoveNext()) {
        Recordset rs;
        b.db.Sql("select k from t where k > 3 order by k");
        b.db.CrearRs(rs);
        Almacor::Cursor otro(b.db, "select k from t where k > 4 order by k");
        vistos.push_back(c.Fields("k").Texto() + "/" + rs.Fields("k").Texto() + "/" + otro.Fields("k").Texto());
    }
    EXPECT_EQ(vistos, (std::vector<std::string>{"2/4/5", "3/4/5", "4/4/5", "5/4/5"}));
}

// Faults raise the errors a snapshot raises, with the number the transfer's
// messages carry, instead of reading garbage.
TEST(Cursor, ErroresComoElRecordset) {
    BaseTemporal b;
    auto numero = [&](auto&& hacer) {
        try {
            hacer();
        } catch (const AppError& e) {
            return e.Number;
        }
        return 0L;
    };
    EXPECT_EQ(numero([&] { Almacor::Cursor c(b.db, "select * from NO_EXISTE"); }), -2147217900);
    EXPECT_EQ(numero([&] { Almacor::Cursor c(b.db, "select 1; delete from t"); }), -2147217900);
    EXPECT_EQ(Almacor::ContarFilas(b.db, " from t"), 5); // the refused second statement did not run
    EXPECT_EQ(Almacor::ContarFilas(b.db, " from t where s is not null and left(s, 1) <> 'I'"), 3);
    Almacor::Cursor c(b.db, "select k from t where k = 1");
    EXPECT_EQ(numero([&] { c.Fields("nada"); }), 3265);
    EXPECT_EQ(numero([&] { c.Fields(size_t{1}); }), 3265);
    c.MoveNext();
    EXPECT_TRUE(c.Eof());
    EXPECT_EQ(numero([&] { c.Fields("k"); }), 3021);
    c.MoveNext(); // past the end stays at the end
    EXPECT_TRUE(c.Eof());
    Almacor::Gestor cerrada;
    EXPECT_EQ(numero([&] { Almacor::Cursor x(cerrada, "select 1"); }), 3704);
}
