// The components every run stands on: the SQL functions statement texts use,
// quoting, the recordset contract, number formatting and the file reader.
#include "Entorno.h"
#include "platform/AppError.h"
#include "platform/Numeros.h"
#include "platform/Texto.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

struct BaseEnMemoria {
    Almacor::Gestor db;
    fs::path ruta;
    BaseEnMemoria() {
        ruta = fs::temp_directory_path() / ("velmarion-base-" + std::to_string(::getpid()) + "-" +
                                            std::to_string(reinterpret_cast<uintptr_t>(this)) + ".db");
        fs::remove(ruta);
        db.CrearArchivo(ruta.string());
    }
    ~BaseEnMemoria() {
        db.Desconectar();
        fs::remove(ruta);
    }
    std::string Uno(const std::string& sql) { return Uno(SentenciaSql(sql)); }
    std::string Uno(const char* sql) { return Uno(SentenciaSql(sql)); }
    std::string Uno(const SentenciaSql& sql) {
        Recordset rs;
        db.Sql(sql);
        db.CrearRs(rs);
        const Valor& v = rs.Fields(size_t{0});
        return v.EsNulo() ? "<null>" : v.Texto();
    }
};

} // namespace

TEST(FuncionesSql, TienenLaSemanticaDelMotorDeConsultas) {
    BaseEnMemoria b;
    struct Caso {
        const char* sql;
        const char* esperado;
    } casos[] = {
        {"select mid('22001ICR2000123X',6,4)", "ICR2"},
        {"select mid('ABC',6,4)", ""},      // shorter than the start: empty, not null
        {"select mid('ABCDE',4,10)", "DE"}, // length past the end
        {"select mid('ABCDE',2)", "BCDE"},  // without length: to the end
        {"select mid(null,6,4)", "<null>"}, // null in, null out
        {"select mid('ÑANDÚ',2,3)", "AND"}, // characters, not bytes
        {"select left('AB12',2)", "AB"},
        {"select left('AB',5)", "AB"},
        {"select left(null,2)", "<null>"},
        {"select instr(1,'AA(X)-AB()-','()')", "9"},
        {"select instr(1,'AA(X)-','()')", "0"},
        {"select instr(3,'()ab()','()')", "5"}, // the search starts at the given position
        {"select instr(1,'abc','B')", "2"},     // text comparison ignores case
        {"select instr(1,null,'()')", "<null>"},
        {"select instr(9,'abc','a')", "0"},
        {"select count(*) from (select 1 as x) where instr(1,'A()','()')>0", "1"},
    };
    for (const Caso& c : casos)
        EXPECT_EQ(b.Uno(c.sql), c.esperado) << c.sql;

    // Arguments that make no sense are errors, not quiet empty results.
    b.db.Sql("select mid('abc',0,1)");
    Recordset rs;
    EXPECT_THROW(b.db.CrearRs(rs), AppError);
}

TEST(FuncionesSql, LeftSoloSeRenombraComoFuncion) {
    EXPECT_EQ(Almacor::Gestor::TraducirSql("select left(sufijo,2) as a from s where x = 'left(' and y=1"),
              "select vb_left(sufijo,2) as a from s where x = 'left(' and y=1");
    EXPECT_EQ(Almacor::Gestor::TraducirSql("select * from a left join b on a.x = b.x"),
              "select * from a left join b on a.x = b.x");
    EXPECT_EQ(Almacor::Gestor::TraducirSql("select LEFT (x, 1), aleft(x) from t"),
              "select vb_left (x, 1), aleft(x) from t");
}

TEST(Comillas, UnValorConComillaVuelveIgual) {
    BaseEnMemoria b;
    b.db.Sql("create table t (v text)");
    b.db.Ejecutar();
    for (std::string v : {std::string("O'BRIEN"), std::string("A'1"), std::string("''"),
                          std::string("'; drop table t; --"), std::string("ÑANDÚ 'x'")}) {
        b.db.Sql("delete from t");
        b.db.Ejecutar();
        b.db.Sql(SentenciaSql("insert into t (v) values (").Texto(v).Sql(")"));
        EXPECT_EQ(b.db.Ejecutar(), 1);
        EXPECT_EQ(b.Uno("select v from t"), v);
        EXPECT_EQ(b.Uno(SentenciaSql("select count(*) from t where v = ").Texto(v)), "1");
        // Its text, as a message quotes it, runs the same.
        EXPECT_EQ(b.Uno(SentenciaSql(SentenciaSql("select count(*) from t where v = ").Texto(v).TextoSql())), "1");
    }
    // A second statement hidden behind a ";" is refused, never run.
    b.db.Sql("delete from t; drop table t");
    EXPECT_THROW(b.db.Ejecutar(), AppError);
    EXPECT_EQ(b.Uno("select count(*) from t"), "1");
}

// Quotes at the ends, in runs or alone are all doubled, the rest kept as is.
TEST(Comillas, CadenaDobladaEntreComillas) {
    const std::pair<std::string, std::string> casos[] = {
        {"", "''"}, {"'", "''''"}, {"a''b", "'a''''b'"}, {"'x'", "'''x'''"}, {"ÑANDÚ", "'ÑANDÚ'"}};
    for (const auto& [valor, esperado] : casos)
        EXPECT_EQ(SentenciaSql("v = ").Texto(valor).TextoSql(), "v = " + esperado) << valor;
    // A list of them: one value each, commas between, none after the last.
    const SentenciaSql lista = SentenciaSql("in (").Textos({"a", "O'B", ""}).Sql(")");
    EXPECT_EQ(lista.TextoSql(), "in ('a','O''B','')");
    EXPECT_EQ(lista.NumValores(), 3u);
}

TEST(Recordset, ContratoDeCrearRsYEjecutar) {
    BaseEnMemoria b;
    b.db.Sql("create table t (n integer, r real, s text)");
    b.db.Ejecutar();
    Recordset rs;
    b.db.Sql("select * from t");
    EXPECT_FALSE(b.db.CrearRs(rs));
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(rs.RecordCount(), 0);

    b.db.Sql("insert into t values (5, 2.5, '0001')");
    EXPECT_EQ(b.db.Ejecutar(), 1);
    b.db.Sql("insert into t values (7, 3, null)");
    EXPECT_EQ(b.db.Ejecutar(), 1);
    b.db.Sql("update t set r = r + 1");
    EXPECT_EQ(b.db.Ejecutar(), 2);
    b.db.Sql("update t set r = 0 where n = 99");
    EXPECT_EQ(b.db.Ejecutar(), 0);
    b.db.Sql("select count(*) from t"); // a query changes nothing
    EXPECT_EQ(b.db.Ejecutar(), 0);

    b.db.Sql("select n, r, s from t order by n");
    ASSERT_TRUE(b.db.CrearRs(rs));
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    EXPECT_EQ(rs.Fields("N").Texto(), "5"); // names compare without case; whole numbers read without decimals
    EXPECT_EQ(rs.Fields("r").Texto(), "3.5");
    EXPECT_EQ(rs.Fields("s").Texto(), "0001"); // text stays as stored
    // Changes made while walking do not disturb the snapshot.
    b.db.Sql("delete from t");
    b.db.Ejecutar();
    rs.MoveNext();
    EXPECT_EQ(rs.AbsolutePosition(), 2);
    EXPECT_EQ(rs.Fields("r").Texto(), "4");
    EXPECT_TRUE(rs.Fields("s").EsNulo());
    EXPECT_EQ(rs.Fields("s").Texto(), "");
    EXPECT_THROW(rs.Fields("nada"), AppError);
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    EXPECT_THROW(rs.Fields("n"), AppError);
}

TEST(Recordset, ErroresDeSentenciaLlevanNumeroYFuente) {
    BaseEnMemoria b;
    b.db.Sql("select * from NO_EXISTE");
    Recordset rs;
    try {
        b.db.CrearRs(rs);
        FAIL();
    } catch (const AppError& e) {
        EXPECT_EQ(e.Number, -2147217900);
        EXPECT_EQ(e.Source, "Almacor.Gestor.CrearRs");
        EXPECT_NE(e.Description.find("NO_EXISTE"), std::string::npos);
    }
}

TEST(Conexion, UnaBaseQueNoExisteSeNombraYNoSeCrea) {
    Almacor::Gestor g;
    fs::path ruta = fs::temp_directory_path() / "velmarion-no-existe" / "Dantremos.db";
    g.CadenaConexion("Provider=SQLite;Data Source=" + ruta.string());
    try {
        g.Conectar();
        FAIL();
    } catch (const AppError& e) {
        EXPECT_NE(e.Description.find(ruta.string()), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(ruta));
}

TEST(Numeros, TextoYFormatosDelSistema) {
    FijarSeparadorDecimal('.');
    EXPECT_EQ(NumeroTexto(5), "5");
    EXPECT_EQ(NumeroTexto(12345.67), "12345.67");
    EXPECT_EQ(NumeroTexto(0.1 + 0.2), "0.3"); // 15 significant digits
    EXPECT_EQ(NumeroTexto(-2.5), "-2.5");
    struct Caso {
        double v;
        const char* patron;
        const char* esperado;
    } casos[] = {
        {2.5, "00.00", "02.50"},        {1234.567, "00.00", "1234.57"},
        {1.005, "00.00", "01.01"},      {0.125, "00.00", "00.13"},
        {5, "00.00", "05.00"},          {33.333333, "00.0000", "33.3333"},
        {12.5, "00.00000", "12.50000"}, {42, "000000", "000042"},
        {12345, "0000", "12345"},       {0, "0000", "0000"},
        {99.995, "00.00", "100.00"},    {-0.001, "00.00", "00.00"},
        {-3.256, "00.00", "-03.26"},    {0.004, "00.00", "00.00"},
        {0.005, "00.00", "00.01"},      {199.74, "00.00", "199.74"},
    };
    for (const Caso& c : casos)
        EXPECT_EQ(Formatear(c.v, c.patron), c.esperado) << c.v << " " << c.patron;
}

// Short decimals take a shortcut to their text: it must print exactly what the
// 15-digit general conversion prints, for them and for every other double.
TEST(Numeros, TextoComoLaConversionGeneral) {
    auto general = [](double v) {
        if (v == 0)
            return std::string("0");
        char buf[64];
        std::string s(buf, std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15).ptr);
        for (char& c : s)
            c = c == 'e' ? 'E' : c == '.' ? SeparadorDecimal() : c;
        return s;
    };
    std::mt19937_64 azar(11);
    std::vector<double> valores = {
        1e-4,    9.99e-5, 0.00012345, 1e15, 999999999999999.0, 99999999999999.9, 123456789012345.6, 0.1 + 0.2, -2.5,
        -0.0001, 1.0 / 3, 2.675,      1e22};
    for (int i = 0; i < 30000; ++i) {
        const double m = static_cast<double>(azar() % 1000000000000000ULL >> (azar() % 50));
        valores.push_back((azar() % 2 ? -1 : 1) * m / std::pow(10.0, static_cast<int>(azar() % 12)));
        valores.push_back(std::bit_cast<double>(azar() & 0x7FEFFFFFFFFFFFFFULL));
        valores.push_back(valores[valores.size() - 2] * 3); // the products the import writes
    }
    for (char separador : {'.', ','}) {
        FijarSeparadorDecimal(separador);
        for (double v : valores)
            ASSERT_EQ(NumeroTexto(v), general(v)) << std::bit_cast<uint64_t>(v);
    }
    FijarSeparadorDecimal('.');
}

// Formatting rounds half up on the value's 15-significant-digit decimal.
// Short decimals are rounded as integers; this reference rounds the digits
// of the 15-digit conversion instead, for every kind of value the road writes.
TEST(Numeros, FormatearRedondeaElDecimalDeQuinceCifras) {
    auto referencia = [](double v, int enteros, int decimales) {
        char buf[64];
        std::string s(buf, std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 14).ptr);
        unsigned __int128 m = 0;
        for (char c : s.substr(0, s.find('e')))
            if (c != '.')
                m = m * 10 + static_cast<unsigned>(c - '0');
        const int t = std::stoi(s.substr(s.find('e') + 1)) - 14 + decimales; // v * 10^decimales = m * 10^t
        unsigned __int128 p = 1;
        for (int i = 0; i < std::abs(t); ++i)
            p *= 10;
        unsigned __int128 n = t >= 0 ? m * p : m / p + (m % p * 2 >= p ? 1 : 0);
        std::string frac, ent;
        for (int i = 0; i < decimales; ++i, n /= 10)
            frac.insert(frac.begin(), static_cast<char>('0' + static_cast<int>(n % 10)));
        const bool cero = n == 0 && frac.find_first_not_of('0') == std::string::npos;
        for (; n > 0; n /= 10)
            ent.insert(ent.begin(), static_cast<char>('0' + static_cast<int>(n % 10)));
        if (static_cast<int>(ent.size()) < enteros)
            ent.insert(0, enteros - ent.size(), '0');
        return (v < 0 && !cero ? "-" : "") + ent + (decimales ? "." + frac : "");
    };
    std::mt19937_64 azar(5);
    std::vector<double> valores = {0,
                                   -0.0,
                                   0.005,
                                   0.015,
                                   1.005,
                                   2.675,
                                   99.995,
                                   -99.995,
                                   0.00005,
                                   0.0001,
                                   1e-4 - 1e-9,
                                   123456789012.345,
                                   999999999999.995,
                                   0.1 + 0.2,
                                   1.0 / 3,
                                   -2.5};
    for (int i = 0; i < 20000; ++i) {
        const double precio = static_cast<double>(azar() % 100000000) / std::pow(10.0, static_cast<int>(azar() % 6));
        const double cantidad = static_cast<double>(azar() % 100000) / std::pow(10.0, static_cast<int>(azar() % 3));
        valores.push_back(precio);
        valores.push_back(precio * cantidad);        // the totals the import writes
        valores.push_back(-precio / (cantidad + 1)); // unit prices the transfer writes
        valores.push_back(std::ldexp(static_cast<double>(azar() % (1ULL << 53)), -static_cast<int>(azar() % 80)));
    }
    for (const char* patron : {"00.00", "00.0000", "00.00000", "0000", "0.0", "#.000", "000000.0000000"}) {
        const std::string pt = patron;
        const int enteros =
            static_cast<int>(std::count(pt.begin(), pt.begin() + std::min(pt.find('.'), pt.size()), '0'));
        const int decimales = pt.find('.') == std::string::npos ? 0 : static_cast<int>(pt.size() - pt.find('.') - 1);
        for (double v : valores) {
            if (std::fabs(v) < 1e12) {
                ASSERT_EQ(Formatear(v, patron), referencia(v, enteros, decimales)) << v << " " << patron;
            }
        }
    }
}

TEST(Numeros, LaComaDelLocaleNuncaLlegaAlSql) {
    FijarSeparadorDecimal(',');
    EXPECT_EQ(NumeroTexto(1234.5), "1234,5");
    EXPECT_EQ(Formatear(2.5, "00.00"), "02,50");
    EXPECT_EQ(NumeroSql(1234.5), "1234.5");
    EXPECT_EQ(NumeroSql(Formatear(2.5, "00.00")), "02.50");
    EXPECT_DOUBLE_EQ(ValorNumerico("2,5"), 2.5);
    EXPECT_DOUBLE_EQ(ADosDecimales(1234.567), 1234.57);
    FijarSeparadorDecimal('.');
}

TEST(Numeros, LecturaTolerante) {
    EXPECT_DOUBLE_EQ(LeerNumero("0000012345.67"), 12345.67);
    EXPECT_DOUBLE_EQ(LeerNumero("  1 2.5 "), 12.5);
    EXPECT_DOUBLE_EQ(LeerNumero("-3.5x9"), -3.5);
    EXPECT_DOUBLE_EQ(LeerNumero("+7"), 7);
    EXPECT_DOUBLE_EQ(LeerNumero("          ."), 0);
    EXPECT_DOUBLE_EQ(LeerNumero("abc"), 0);
    EXPECT_DOUBLE_EQ(LeerNumero(""), 0);
    EXPECT_DOUBLE_EQ(LeerNumero(" -.5"), -0.5);
    EXPECT_DOUBLE_EQ(LeerNumero("--5"), 0);
    EXPECT_DOUBLE_EQ(LeerNumero("12.3.4"), 12.3);
    // Longer than the reader's stack buffer.
    EXPECT_DOUBLE_EQ(LeerNumero(std::string(80, ' ') + std::string(70, '0') + "42.25"), 42.25);
    EXPECT_TRUE(EsNumerico(" 42 "));
    EXPECT_FALSE(EsNumerico(""));
    EXPECT_FALSE(EsNumerico("4a"));
}

TEST(Texto, CortesPorCaracter) {
    EXPECT_EQ(Mid("HÑ234", 2, 2), "Ñ2");
    EXPECT_EQ(Len("ÑANDÚ"), 5u);
    EXPECT_EQ(Left("ÑANDÚ", 2), "ÑA");
    EXPECT_EQ(Right("ÑANDÚ", 2), "DÚ");
    EXPECT_EQ(Mid("abc", 4, 2), "");
    EXPECT_EQ(InStr(1, "xAM(1)-AM(2)", "AM("), 2u);
    EXPECT_EQ(InStr(3, "xAM(1)-AM(2)", "AM("), 8u);
    EXPECT_EQ(UCase("ñandú ça"), "ÑANDÚ ÇA");
    EXPECT_EQ(Trim("  a b  "), "a b");
}

namespace {
std::vector<std::string> Leer(const fs::path& p) {
    Lectran::Gestor g;
    g.Ubicacion_Archivo(p.string());
    g.Abrir_Archivo(1);
    std::vector<std::string> lineas;
    while (!g.FindeArchivo())
        lineas.push_back(g.LeerLinea());
    g.Cerrar_Archivo();
    return lineas;
}
} // namespace

TEST(Lectran, LineasYCodificaciones) {
    fs::path dir = fs::temp_directory_path() / ("velmarion-lectran-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    auto escribir = [&](const std::string& nombre, const std::string& bytes) {
        std::ofstream(dir / nombre, std::ios::binary) << bytes;
        return dir / nombre;
    };
    using V = std::vector<std::string>;
    // Windows-1252: Ñ is one byte and reads as one character.
    EXPECT_EQ(Leer(escribir("cp1252.txt", "H\xD1O\r\nP1\r\n")), (V{"HÑO", "P1"}));
    // UTF-8 with and without a byte-order mark.
    EXPECT_EQ(Leer(escribir("bom.txt", "\xEF\xBB\xBFH\xC3\x91O\r\n")), (V{"HÑO"}));
    EXPECT_EQ(Leer(escribir("utf8.txt", "abc\nH\xC3\x91O\n")), (V{"abc", "HÑO"}));
    // LF only, and a last line without a line end.
    EXPECT_EQ(Leer(escribir("lf.txt", "a\nb\nc")), (V{"a", "b", "c"}));
    EXPECT_EQ(Leer(escribir("vacio.txt", "")), V{});
    EXPECT_EQ(Leer(escribir("blanca.txt", "a\r\n\r\nb\r\n")), (V{"a", "", "b"}));
    // A fixed-width field after an Ñ stays where it is.
    auto lineas = Leer(escribir("campos.txt", "P\xD1XYZ12345\r\n"));
    EXPECT_EQ(Mid(lineas[0], 6, 5), "12345");

    Lectran::Gestor g;
    g.Ubicacion_Archivo((dir / "no-existe.txt").string());
    EXPECT_THROW(g.Abrir_Archivo(1), AppError);
    fs::remove_all(dir);
}

TEST(Errores, LaCadenaDeFuentesSeAlarga) {
    AppError e(111, "Validando Fecha desde String", "Fecha 30/02/2023 inválida!");
    AppError r = e.Relanzar(-2036030393, "seccion getFechafromString de Módulo modEntidadesTarvelo:: ", " nro: 3");
    EXPECT_EQ(r.Number, -2036030393);
    EXPECT_EQ(r.Source,
              "seccion getFechafromString de Módulo modEntidadesTarvelo:: Validando Fecha desde String nro: 3");
    EXPECT_EQ(r.Description, e.Description);
    try {
        try {
            throw std::runtime_error("boom");
        } catch (...) {
            AppError a = AppError::Actual();
            EXPECT_EQ(a.Description, "boom");
            throw;
        }
    } catch (const std::runtime_error&) {
    }
}

// The operator's stop is not an error: a handler that catches everything and
// asks for the error lets it through unchanged, one that catches only errors
// never sees it.
TEST(Errores, LaDetencionDelOperadorNoSeVuelveError) {
    auto trampa = [] {
        try {
            throw Cancelacion("Importación cancelada.");
        } catch (...) {
            AppError e = AppError::Actual();
            ADD_FAILURE() << "convertida en el error " << e.Number;
        }
    };
    try {
        trampa();
        ADD_FAILURE() << "la detención no salió";
    } catch (const Cancelacion& c) {
        EXPECT_EQ(c.Motivo, "Importación cancelada.");
    }
    bool paso = false;
    try {
        try {
            throw Cancelacion("x");
        } catch (const std::exception&) {
            ADD_FAILURE() << "atrapada como error";
        }
    } catch (const Cancelacion&) {
        paso = true;
    }
    EXPECT_TRUE(paso);
}

// The work database keeps SQLite's page cache at its default size; the customs
// database gets a small one (its lookups and appends need no more, and a large
// one grew with the shipment), and both keep theirs across a reconnection.
TEST(Almacor, CacheDePaginasPorConexion) {
    EntornoPrueba e;
    auto cache = [](Conexion& c) {
        Recordset rs;
        c.Sql("pragma cache_size");
        c.CrearRs(rs);
        return static_cast<long>(rs.Fields(size_t{0}).Numero());
    };
    EXPECT_EQ(cache(e.App.Db), -Almacor::Gestor::kCachePorDefecto);
    const long aduana = cache(e.Aduana());
    EXPECT_LT(aduana, 0);
    EXPECT_LT(-aduana, Almacor::Gestor::kCachePorDefecto);
    e.AduanaArchivo()->Reconectar();
    EXPECT_EQ(cache(e.Aduana()), aduana);
    e.App.Db.TamanoCache(4000);
    e.App.Db.Reconectar();
    EXPECT_EQ(cache(e.App.Db), -4000);
}

// A run of look-ups in one read transaction: held only on a WAL file and
// outside any transaction, one snapshot for all its reads while another
// connection writes, and nothing left open when it ends.
TEST(Almacor, LecturaSostenidaSoloEnWalYFueraDeTransaccion) {
    BaseEnMemoria a;
    a.db.Ejecutar("create table t (x)");
    {
        Almacor::LecturaSostenida l(a.db); // a new file keeps its rollback journal
        EXPECT_FALSE(l.Sostenida());
        EXPECT_FALSE(a.db.EnTransaccion());
    }
    EXPECT_EQ(a.Uno("pragma journal_mode = wal"), "wal");
    a.db.Ejecutar("insert into t values (1)");
    Almacor::Gestor b;
    b.CadenaConexion(a.db.CadenaConexion());
    b.Conectar();
    {
        Almacor::LecturaSostenida l(a.db);
        ASSERT_TRUE(l.Sostenida());
        Almacor::LecturaSostenida otra(a.db); // the first one holds it already
        EXPECT_FALSE(otra.Sostenida());
        EXPECT_EQ(a.Uno("select count(*) from t"), "1");
        b.Ejecutar("insert into t values (2)"); // the writer does not wait for the reader
        EXPECT_EQ(a.Uno("select count(*) from t"), "1");
        EXPECT_TRUE(a.db.EnTransaccion());
    }
    EXPECT_FALSE(a.db.EnTransaccion());
    EXPECT_EQ(a.Uno("select count(*) from t"), "2");

    // Inside the caller's own transaction it neither begins nor ends one.
    a.db.ComenzarTransaccion();
    a.db.Ejecutar("insert into t values (3)");
    {
        Almacor::LecturaSostenida l(a.db);
        EXPECT_FALSE(l.Sostenida());
    }
    ASSERT_TRUE(a.db.EnTransaccion());
    a.db.ConfirmarTransaccion();
    EXPECT_EQ(a.Uno("select count(*) from t"), "3");
}

// instr() in a statement gives what InStr gives, on texts with and without
// letters, accents, empty texts and starts past the end.
TEST(FuncionesSql, InstrComoInStr) {
    BaseEnMemoria b;
    std::mt19937 azar(5);
    const std::vector<std::string> piezas = {"(", ")", "()", "a", "A", "-", "\xC3\xB1", " "};
    auto Texto = [&](size_t largo) {
        std::string t;
        for (size_t i = 0; i < largo; ++i)
            t += piezas[azar() % piezas.size()];
        return t;
    };
    for (int k = 0; k < 2000; ++k) {
        const std::string texto = Texto(azar() % 8), buscado = Texto(azar() % 3);
        const size_t inicio = 1 + azar() % 10;
        EXPECT_EQ(b.Uno(SentenciaSql("select instr(")
                            .Numero(static_cast<long long>(inicio))
                            .Sql(", ")
                            .Texto(texto)
                            .Sql(", ")
                            .Texto(buscado)
                            .Sql(")")),
                  std::to_string(InStr(inicio, texto, buscado, true)))
            << inicio << " " << texto << " " << buscado;
    }
}

// A function backed by a callback: its arguments come through with their
// type, a fixed text comes back as is, the statements prepared meanwhile keep
// working, and once the object goes the function is gone with it, also from a
// statement prepared while it was there.
TEST(Almacor, FuncionSqlMientrasViveElObjeto) {
    BaseEnMemoria b;
    b.db.Ejecutar("create table t (a, b text)");
    b.db.Ejecutar("insert into t values (1, 'uno'), (2, null), (3, 'tres')");
    const std::string fijo = "X";
    int llamadas = 0;
    {
        Almacor::FuncionSql f(b.db, "probar", 2, [&](Almacor::LlamadaSql& l) {
            ++llamadas;
            if (l.EsNulo(1))
                l.DevolverNulo();
            else if (l.Entero(0) == 3)
                l.DevolverTextoFijo(fijo);
            else
                l.DevolverArgumento(1);
        });
        EXPECT_EQ(b.Uno("select group_concat(ifnull(probar(a, b), '-') || typeof(probar(a, a)), ' ') from t"),
                  "unointeger -integer Xtext");
        EXPECT_EQ(llamadas, 6);
        b.db.Ejecutar("update t set b = probar(a, b)");
        EXPECT_EQ(b.Uno("select group_concat(ifnull(b, '-'), ' ') from t"), "uno - X");
    }
    EXPECT_THROW(b.db.Ejecutar("update t set b = probar(a, b)"), AppError);
    EXPECT_THROW(b.Uno("select probar(1, 2)"), AppError);
    EXPECT_EQ(b.Uno("select count(*) from t"), "3"); // the connection goes on
}
