// The nomenclator search: positions by prefix, full positions, digits without
// dots, description words; the details with their suffixes; the runner command.
#include "Entorno.h"
#include "app/Consola.h"
#include "global/modGlobal.h"
#include "platform/AppError.h"
#include "platform/Esquema.h"
#include "platform/Texto.h"
#include "review/Nomenclador.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using Lista = std::vector<std::string>;

namespace {

struct Busqueda : ::testing::Test {
    EntornoPrueba e{true};
    Pontevar::Principal& ent() { return *e.App.Entidades; }
    Lista Buscar(const std::string& t) { return Nomenclador::Buscar(ent(), t); }
};

// Every position of the reference file, as the demo loaded it.
Lista Posiciones() {
    Lista r;
    std::ifstream in(CarpetaDatosFuente() + "/sim-posiciones.txt");
    for (std::string l; std::getline(in, l);)
        if (Trim(l).size() == 15)
            r.push_back(Trim(l));
    return r;
}

TEST(TraduccionSql, MasEntreTextosLosUne) {
    struct Caso {
        const char* sql;
        const char* esperado;
    };
    const Caso casos[] = {
        {"select [001]+ '.' +[002] + [003] as ncm from ncm", "select [001]|| '.' ||[002] || [003] as ncm from ncm"},
        {"select n.[001] + '.' + n.[002] from ncm n", "select n.[001] || '.' || n.[002] from ncm n"},
        {"select a, 'x' + b from t where c = 'y' + d", "select a, 'x' || b from t where c = 'y' || d"},
        // Sums stay sums: no quoted text in the run, or another operator next to it.
        {"update t set n = n + 1 where m = a + b", "update t set n = n + 1 where m = a + b"},
        {"select x * [a] + 'b' from t", "select x * [a] + 'b' from t"},
        {"select [a] + 'b' - 1 from t", "select [a] + 'b' - 1 from t"},
        {"select f(x) + '.' from t", "select f(x) + '.' from t"},
        // A "+" inside a text, a name or a number is no operator.
        {"select 'a+b', [c+d], 1e+5 from t", "select 'a+b', [c+d], 1e+5 from t"},
    };
    for (const Caso& c : casos)
        EXPECT_EQ(Almacor::Gestor::TraducirSql(c.sql), c.esperado) << c.sql;
}

TEST_F(Busqueda, PrefijoDeLaPrimeraParte) {
    const Lista todas = Posiciones();
    ASSERT_EQ(todas.size(), 33110u);
    // The oracle, from the reference file: the dots of the text match any run of characters in [001].
    auto esperadas = [&](auto acepta) {
        Lista r;
        for (const std::string& p : todas)
            if (acepta(p.substr(0, 10)))
                r.push_back(p);
        std::sort(r.begin(), r.end());
        return r;
    };
    Lista r8703 = esperadas([](const std::string& a) { return EmpiezaCon(a, "8703"); });
    EXPECT_GT(r8703.size(), 50u);
    EXPECT_EQ(Buscar("8703"), r8703);
    EXPECT_EQ(Buscar("8703.23"), esperadas([](const std::string& a) {
                  return EmpiezaCon(a, "8703") && a.find("23", 4) != std::string::npos;
              }));
    // Every position: "." matches anything.
    EXPECT_EQ(Buscar(".").size(), 33110u);
    // Only the dot: a typed "%", "_" or backslash is that character, which no position holds.
    for (const char* literal : {"%", "_", "8703%", "8_03", "87%3.23", "\\", "8703\\"})
        EXPECT_EQ(Buscar(literal), Lista{}) << literal;
    e.EnAduana("insert into ncm ([001],[002],[003],[010]) values ('87_3%\\.01','100','Z','Literal')");
    EXPECT_EQ(Buscar("87_3%\\"), Lista{"87_3%\\.01.100Z"});
    EXPECT_EQ(Buscar("87_"), Lista{"87_3%\\.01.100Z"});
}

TEST_F(Busqueda, PosicionesCompletasYSinPuntos) {
    const Lista una = {"8703.23.10.100A"};
    const Lista dos = {"8703.23.10.100A", "8703.23.10.900U"};
    struct Caso {
        const char* texto;
        Lista esperado;
    };
    const Caso casos[] = {
        {"8703.23.10.100A", una},
        {"8703.23.10.100a", una},
        {"8703.23.10.100", una},
        {" 8703,23,10,100 ", una},
        {"87032310100", una},
        {"87032310100A", una},
        {"870323101", una},
        {"87032310", dos},
        {"8703,23,10", dos},
        // A wrong check letter names no position; neither do more digits than a position has.
        {"8703.23.10.100B", {}},
        {"870323101000", {}},
        {"9999.99.99.999", {}},
        {"zzzz", {}},
        {"", {}},
        {"   ", {}},
        // Quotes reach the statement doubled: no SQL error, just nothing found.
        {"O'Brien", {}},
        {"87'03", {}},
        {"'; drop table ncm; --", {}},
    };
    for (const Caso& c : casos)
        EXPECT_EQ(Buscar(c.texto), c.esperado) << c.texto;
    EXPECT_EQ(e.ValorAduana("select count(*) from ncm"), "33110");
}

TEST_F(Busqueda, PalabrasDeLaDescripcion) {
    Lista motor = Buscar("motor diesel");
    EXPECT_FALSE(motor.empty());
    EXPECT_TRUE(std::is_sorted(motor.begin(), motor.end()));
    EXPECT_NE(std::find(motor.begin(), motor.end(), "8408.20.10.100M"), motor.end());
    // Accents and case do not matter; every word is the beginning of a word.
    EXPECT_EQ(Buscar("MOTOR Diésel"), motor);
    Lista prefijos = Buscar("mot dies");
    EXPECT_TRUE(std::includes(prefijos.begin(), prefijos.end(), motor.begin(), motor.end()));
    // Every word is required.
    for (const std::string& p : Buscar("limpiaparabrisas automoviles"))
        EXPECT_TRUE(EmpiezaCon(p, "8512.40")) << p;
    EXPECT_FALSE(Buscar("limpiaparabrisas automoviles").empty());
    EXPECT_EQ(Buscar("limpiaparabrisas zzzz"), Lista{});
    // The index's own syntax typed as words is just words.
    EXPECT_NO_THROW(Buscar("motor AND NOT (diesel* NEAR"));
    EXPECT_EQ(Buscar("\"motor\" -diesel"), motor);

    auto con = Nomenclador::BuscarConDescripcion(ent(), "limpiaparabrisas automóviles");
    ASSERT_FALSE(con.empty());
    EXPECT_EQ(con[0].Descripcion, "Limpiaparabrisas para automóviles");
}

TEST_F(Busqueda, ElIndiceDePalabrasSigueANcm) {
    SOLO_ARCHIVO();
    e.EnAduana("insert into ncm ([001],[002],[003],[010],[004]) values ('9999.01.01','001','A','Xilófono de ensayo', "
               "'con teclas')");
    EXPECT_EQ(Buscar("xilofono teclas"), Lista{"9999.01.01.001A"});
    e.EnAduana("update ncm set [010] = 'Marimba de ensayo' where [001] = '9999.01.01'");
    EXPECT_EQ(Buscar("xilofono"), Lista{});
    EXPECT_EQ(Buscar("marimba"), Lista{"9999.01.01.001A"});
    e.EnAduana("delete from ncm where [001] = '9999.01.01'");
    EXPECT_EQ(Buscar("marimba"), Lista{});
    EXPECT_EQ(e.ValorAduana("select count(*) from ncm_texto where ncm_texto match 'marimba OR xilofono'"), "0");
    // The index answers exactly what ncm holds.
    EXPECT_NO_THROW(e.EnAduana("insert into ncm_texto (ncm_texto, rank) values ('integrity-check', 1)"));
}

TEST(Esquema, UnaBaseAduaneraAnteriorRecibeElIndiceDePalabras) {
    SOLO_ARCHIVO();
    EntornoPrueba e;
    // A customs database as version 1 left it: ncm rows, no word index.
    e.EnAduana("drop table ncm_texto");
    for (const char* t : {"ncm_texto_alta", "ncm_texto_baja", "ncm_texto_cambio"})
        e.EnAduana(std::string("drop trigger ") + t);
    e.EnAduana("insert into ncm ([001],[002],[003],[010],[004]) values ('8703.23.10','100','A','Vehículos automóviles',"
               "'')");
    e.EnAduana("pragma user_version = 1");
    Esquema::VerificarAduana(*e.AduanaArchivo());
    EXPECT_EQ(e.ValorAduana("pragma user_version"), std::to_string(Esquema::kVersionAduana));
    EXPECT_EQ(Nomenclador::Buscar(*e.App.Entidades, "vehiculos"), Lista{"8703.23.10.100A"});
    e.EnAduana("insert into ncm ([001],[002],[003],[010]) values ('8703.23.10','900','U','Vehículos usados')");
    EXPECT_EQ(Nomenclador::Buscar(*e.App.Entidades, "vehiculos"), (Lista{"8703.23.10.100A", "8703.23.10.900U"}));
}

TEST(LetraVerificadora, LaDeCadaPosicionDeReferencia) {
    const Lista todas = Posiciones();
    ASSERT_FALSE(todas.empty());
    for (size_t i = 0; i < todas.size(); i += 97)
        EXPECT_EQ(modGlobal::LetraVerificadora(todas[i].substr(0, 14)), todas[i].substr(14)) << todas[i];
    EXPECT_EQ(modGlobal::LetraVerificadora("8703.23.10.100"), "A");
    for (const char* malo : {"", "8703.23.10.10", "8703.23.10.1000", "8703-23-10-100", "87a3.23.10.100"})
        EXPECT_EQ(modGlobal::LetraVerificadora(malo), "") << malo;
    EXPECT_EQ(Nomenclador::PosicionCompleta("8703.23.10.100"), "8703.23.10.100A");
    EXPECT_EQ(Nomenclador::PosicionCompleta("8703.23.10"), "");
}

TEST(LetraVerificadora, LaQueCompletaUnaPosicionDeSusFilas) {
    auto Filas = [](std::vector<const char*> letras) {
        std::vector<Valor> celdas;
        for (const char* l : letras)
            celdas.push_back(Valor::DeTexto(l));
        return Recordset({"letra"}, std::move(celdas));
    };
    struct Caso {
        std::vector<const char*> letras;
        const char* posicion;
        std::string letra;
    } casos[] = {
        {{"A"}, "8703.23.10.100", "A"},
        {{"B", "W"}, "0101.21.00.100", "W"}, // the formula's among several, not the first
        {{"W ", "B"}, "0101.21.00.100", "W"},
        {{"b", "c"}, "0101.21.00.100", "b"}, // none is the formula's: the first, as read
        {{"B", "W"}, "0101,21,00,100", "B"}, // not a dotted position: no formula
        {{}, "8703.23.10.100", ""},
    };
    for (const Caso& c : casos)
        EXPECT_EQ(modGlobal::LetraDeFilas(Filas(c.letras), c.posicion), c.letra) << c.posicion;
    // A walked set is read from its first row.
    Recordset r = Filas({"C"});
    r.MoveNext();
    EXPECT_EQ(modGlobal::LetraDeFilas(r, "8703.23.10.100"), "C");
}

TEST_F(Busqueda, DatosYSufijos) {
    // Codes of one, five and six characters at the full-position level, and blanks around a code.
    e.EnAduana("insert into sufidos (sim, sufijo, detalle) values ('8703.23.10.100', 'X', ' UNO '), "
               "('8703.23.10.100', 'ABCDE', 'CINCO'), ('8703.23.10.100', 'ABCDEF', 'SEIS'), "
               "('8703.23.10.100', ' Y ', null)");
    auto d = Nomenclador::MostrarDatos(ent(), "8703.23.10.100A");
    EXPECT_TRUE(d.Encontrada);
    const std::string desc = "Vehíc.autom.c/motor explos.1500<cm3<=3000, hasta 6 pers.";
    EXPECT_EQ(d.Descripcion, desc + "\n\n" + desc);
    const Lista esperados = {// chapter 87, heading 8703, subheading 8703.23, then the position itself
                             "AA   MARCA",
                             "AB   MODELO",
                             "CA01 NUEVO SIN USO",
                             "CA02 USADO",
                             "AM   NUMERO DE IDENTIFICACION DEL VEHICULO (VIN)",
                             "PA01 CON CAJA DE CAMBIOS AUTOMATICA",
                             "PA02 CON CAJA DE CAMBIOS MANUAL",
                             "ZA   AÑO DE FABRICACION",
                             "ZC   CILINDRADA EN CM3",
                             "ABCDECINCO",
                             "ABCDEFSEIS",
                             "X    UNO",
                             "Y    "};
    Lista ordenados = d.Sufijos;
    Lista esperadosOrdenados = esperados;
    std::sort(ordenados.begin(), ordenados.end());
    std::sort(esperadosOrdenados.begin(), esperadosOrdenados.end());
    EXPECT_EQ(ordenados, esperadosOrdenados);

    // A position outside the nomenclator: no description, its heading's suffixes still listed.
    d = Nomenclador::MostrarDatos(ent(), "8704.99.99.999Z");
    EXPECT_FALSE(d.Encontrada);
    EXPECT_EQ(d.Descripcion, "");
    EXPECT_NE(std::find(d.Sufijos.begin(), d.Sufijos.end(), "ZB   CARGA UTIL EN KG"), d.Sufijos.end());
    // Null descriptions read as empty; quotes in the position are no SQL error.
    e.EnAduana("insert into ncm ([001],[002],[003]) values ('9999.01.01','001','A')");
    EXPECT_EQ(Nomenclador::MostrarDatos(ent(), "9999.01.01.001A").Descripcion, "\n\n");
    EXPECT_FALSE(Nomenclador::MostrarDatos(ent(), "87'3.23.10.100'").Encontrada);
}

TEST_F(Busqueda, TextoEnBlancoNoConsulta) {
    // Without the nomenclator every query fails: a blank text must not run one.
    e.EnAduana("drop table ncm");
    EXPECT_EQ(Buscar("  "), Lista{});
    EXPECT_TRUE(Nomenclador::MostrarDatos(ent(), "").Sufijos.empty());
    EXPECT_THROW(Buscar("8703"), AppError);
}

struct Cli {
    fs::path home = fs::temp_directory_path() / ("velmarion-nomenclador-" + std::to_string(::getpid()));
    std::string out;
    Cli() { fs::remove_all(home); }
    ~Cli() { fs::remove_all(home); }
    int operator()(std::vector<std::string> args) {
        args.insert(args.begin(), {"--home", home.string(), "--settings", (home / "s.ini").string()});
        std::ostringstream o, r;
        int rc = Consola::Ejecutar(args, o, r);
        out = o.str();
        return rc;
    }
};

TEST(Consola, Nomenclador) {
    Cli cli;
    ASSERT_EQ(cli({"init", "--demo"}), 0);
    // The whole demo nomenclator can be searched.
    EXPECT_EQ(cli({"nomenclador", "."}), 0);
    EXPECT_EQ(std::count(cli.out.begin(), cli.out.end(), '\n'), 33110);

    EXPECT_EQ(cli({"nomenclador", "87032310"}), 0);
    EXPECT_EQ(cli.out, "8703.23.10.100A\tVehíc.autom.c/motor explos.1500<cm3<=3000, hasta 6 pers.\n"
                       "8703.23.10.900U\tVehíc.autom.c/motor explos.1500<cm3<=3000, hasta 6 pers.\n");
    EXPECT_EQ(cli({"nomenclador", "motor", "diesel"}), 0); // the words may come as separate arguments
    EXPECT_NE(cli.out.find("8408.20.10.100M\tMotores diesel"), std::string::npos) << cli.out;
    EXPECT_EQ(cli({"nomenclador", "zzzz"}), 1);
    EXPECT_EQ(cli.out, "EXCLAMACION: Posición no encontrada.\n\n");

    EXPECT_EQ(cli({"nomenclador", "--detalle", "8703.23.10.100"}), 0);
    EXPECT_TRUE(EmpiezaCon(cli.out, "Vehíc.autom.c/motor explos.1500<cm3<=3000, hasta 6 pers.\n\nVehíc.autom.c/motor "
                                    "explos.1500<cm3<=3000, hasta 6 pers.\n\nAA   MARCA\n"))
        << cli.out;
    EXPECT_NE(cli.out.find("\nZC   CILINDRADA EN CM3\n"), std::string::npos);
    EXPECT_EQ(cli({"nomenclador", "--detalle", "8704.99.99.999Z"}), 1);
    EXPECT_TRUE(EmpiezaCon(cli.out, "EXCLAMACION: La posición 8704.99.99.999Z no está en el nomenclador."));

    for (std::vector<std::string> malo : {std::vector<std::string>{"nomenclador"},
                                          {"nomenclador", " "},
                                          {"nomenclador", "--detalle"},
                                          {"nomenclador", "--detalle", "8703", "x"},
                                          {"nomenclador", "--otra", "8703"}})
        EXPECT_EQ(cli(malo), 2) << malo.back();
}

} // namespace
