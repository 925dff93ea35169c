// Start-up: command line, version line, settings, entity manager, and the
// command-line runner's own commands.
#include "Entorno.h"
#include "app/Arranque.h"
#include "app/Consola.h"
#include "config/RelacionPais.h"
#include "platform/AppError.h"
#include "platform/Esquema.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

TEST(Arranque, LineaDeComandos) {
    struct Caso {
        const char* linea;
        const char* interno;
        const char* archivo;
    } casos[] = {
        {"1234|/tmp/envio.txt", "1234", "/tmp/envio.txt"},
        {"", "", ""},
        {"1234", "", ""},
        {"1|2|3", "", ""},
        {"|/tmp/x", "", "/tmp/x"},
    };
    for (const Caso& c : casos) {
        std::string i = "x", a = "x";
        Arranque::DividirLineaComandos(c.linea, i, a);
        EXPECT_EQ(i, c.interno) << c.linea;
        EXPECT_EQ(a, c.archivo) << c.linea;
    }
}

TEST(Arranque, LineaDeVersionYAjustesPorDefecto) {
    EntornoPrueba e;
    EXPECT_EQ(e.App.Version, "Versión: 1.4.5 - Generado 22-07-2014 version Ferlani");
    EXPECT_EQ(e.App.Config.INTCAT, "");
    EXPECT_EQ(e.App.Config.ORIGEN, "");
    EXPECT_FALSE(e.App.Config.MODELOVARIANTESINSPC);
    struct Caso {
        const char* guardado;
        bool qmr;
    } casos[] = {{"1", true}, {"0", false}, {"2", false}, {"", false}, {"1.0", true}, {"si", false}};
    for (const Caso& c : casos) {
        e.App.Almacen->SaveSetting("MODELOVARIANTESINSPC", c.guardado);
        e.Op.Mensajes.clear();
        Arranque::Form_Load(e.App, "");
        EXPECT_EQ(e.App.Config.MODELOVARIANTESINSPC, c.qmr) << c.guardado;
        EXPECT_EQ(e.App.Version, Arranque::LineaVersion(c.qmr));
    }
    EXPECT_EQ(Arranque::LineaVersion(true), "Versión: 1.4.5 - Generado 22-07-2014 version QMR");
    // Without an origin the start-up warns and goes on.
    ASSERT_EQ(e.Op.Mensajes.size(), 1u);
    EXPECT_EQ(e.Op.Mensajes[0].Texto, "Falta configurar el sistema!");
    EXPECT_EQ(e.Op.Mensajes[0].Icon, Operador::Icono::Exclamacion);
    e.App.Almacen->SaveSetting("ORIGEN", "320");
    e.Op.Mensajes.clear();
    Arranque::Form_Load(e.App, "77|/tmp/a.txt");
    EXPECT_TRUE(e.Op.Mensajes.empty());
    EXPECT_EQ(e.App.InternoLinea, "77");
    EXPECT_EQ(e.App.ArchivoLinea, "/tmp/a.txt");
}

TEST(Arranque, EntidadesCompartenUnaConexionPorArchivo) {
    EntornoPrueba e;
    auto& cat = e.App.Entidades->getDataConnectionByEntity("CATALOGOS");
    auto& ncm = e.App.Entidades->getDataConnectionByEntity("NCM");
    auto& internos = e.App.Entidades->getDataConnectionByEntity("internos");
    EXPECT_EQ(&cat, &ncm);
    EXPECT_EQ(&cat, &internos);
    // A statement set through one call is run through the next.
    e.App.Entidades->getDataConnectionByEntity("INTERNOS").Sql("insert into caratula (interno) values ('1')");
    EXPECT_EQ(e.App.Entidades->getDataConnectionByEntity("INTERNOS").Ejecutar(), 1);
    EXPECT_THROW(e.App.Entidades->getDataConnectionByEntity("OTRA"), AppError);
    std::string literal = e.App.Entidades->getDateFormatbyEntity("INTERNOS", 0);
    EXPECT_EQ(literal.front(), '\'');
    EXPECT_EQ(literal.size(), 21u);
    // The engine reads it back as the same date.
    EXPECT_EQ(e.ValorAduana("select " + literal), literal.substr(1, 19));
}

TEST(Arranque, EntidadesEnOtroArchivoYArchivosQueFaltan) {
    SOLO_ARCHIVO();
    EntornoPrueba e;
    // NCM in a file of its own, named relative to the home.
    fs::copy_file(e.Home / "db" / "Corvex.db", e.Home / "db" / "Nomenclador.db");
    std::ofstream(e.Home / "db" / "entidades.ini") << "[NCM]\nArchivo=db/Nomenclador.db\n[OTRA]\nArchivo=x.db\n";
    Arranque::Form_Load(e.App, "");
    EXPECT_NE(&e.App.Entidades->getDataConnectionByEntity("NCM"),
              &e.App.Entidades->getDataConnectionByEntity("INTERNOS"));
    EXPECT_EQ(e.App.Entidades->ArchivoDeEntidad("NCM"),
              fs::weakly_canonical(e.Home / "db" / "Nomenclador.db").string());

    // A missing database stops the start-up with its path.
    std::ofstream(e.Home / "db" / "entidades.ini") << "[CATALOGOS]\nArchivo=db/Falta.db\n";
    try {
        Arranque::Form_Load(e.App, "");
        FAIL();
    } catch (const AppError& x) {
        EXPECT_NE(x.Description.find("Falta.db"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(e.Home / "db" / "Falta.db"));
}

namespace {
struct Cli {
    fs::path home = fs::temp_directory_path() / ("velmarion-cli-" + std::to_string(::getpid()));
    std::string out, err;
    Cli() { fs::remove_all(home); }
    ~Cli() { fs::remove_all(home); }
    int operator()(std::vector<std::string> args) {
        args.insert(args.begin(), {"--home", home.string(), "--settings", (home / "s.ini").string()});
        std::ostringstream o, r;
        int rc = Consola::Ejecutar(args, o, r);
        out = o.str();
        err = r.str();
        return rc;
    }
};
} // namespace

TEST(Consola, InitConfigYRelaciones) {
    Cli cli;
    EXPECT_EQ(cli({"relacion", "list"}), 1); // no database yet: a clear message, exit 1
    EXPECT_NE(cli.out.find("No se encuentra la base de datos"), std::string::npos);
    EXPECT_FALSE(fs::exists(cli.home / "db" / "Dantremos.db"));

    EXPECT_EQ(cli({"init"}), 0);
    EXPECT_EQ(cli({"init"}), 1); // refuses to overwrite
    EXPECT_EQ(cli({"init", "--force"}), 0);

    EXPECT_EQ(cli({"config", "ORIGEN", "310"}), 0);
    EXPECT_EQ(cli({"config"}), 0);
    EXPECT_NE(cli.out.find("ORIGEN=310"), std::string::npos);
    EXPECT_NE(cli.out.find("MODELOVARIANTESINSPC=0"), std::string::npos);
    EXPECT_EQ(cli({"config", "NO_EXISTE", "1"}), 2);
    // A settings store that cannot be written is an error, never a value shown as stored.
    std::ostringstream o, r;
    EXPECT_EQ(Consola::Ejecutar({"--home", cli.home.string(), "--settings", cli.home.string(), "config", "ORIGEN", "1"},
                                o, r),
              1);
    EXPECT_NE(o.str().find("CRITICO: No se pudo guardar el ajuste ORIGEN"), std::string::npos) << o.str();

    EXPECT_EQ(cli({"relacion", "add", "JAP", "320", "1"}), 0);
    EXPECT_EQ(cli({"relacion", "add", "JAP", "203", "1"}), 1); // one relation per code
    EXPECT_NE(cli.out.find("Ya existe"), std::string::npos);
    EXPECT_EQ(cli({"relacion", "add", "XXX", "999", "1"}), 1); // no such country
    EXPECT_EQ(cli({"relacion", "list"}), 0);
    EXPECT_EQ(cli.out, "JAP\t320\t1\n");
    EXPECT_EQ(cli({"relacion", "delete", "JAP", "203"}), 1);
    EXPECT_EQ(cli({"relacion", "delete", "JAP", "320"}), 0);
    EXPECT_EQ(cli({"relacion", "list"}), 0);
    EXPECT_EQ(cli.out, "");

    EXPECT_EQ(cli({"no-existe"}), 2);
    EXPECT_EQ(cli({"--bogus", "config"}), 2);
    EXPECT_EQ(cli({"relacion", "add", "JAP"}), 2);
}

TEST(RelPais, ElDialogoGuardaYDevuelveLaRelacion) {
    EntornoPrueba e;
    e.App.Retorno1 = "JAP";
    RelacionPais::FormRelPais f(e.App);
    f.Form_Load();
    EXPECT_EQ(f.txtValor, "JAP");
    EXPECT_EQ(e.App.Retorno1, ""); // emptied on load: closing without saving leaves it empty
    int japon = f.IndiceDe("320");
    ASSERT_GE(japon, 0);
    EXPECT_EQ(f.cboPais[japon], "JAPÓN (320)");

    EXPECT_FALSE(f.f_Grabar("  ", japon, "1"));
    EXPECT_EQ(e.Op.Ultimo(), "el campo 'Valor origen' no puede estar vacio");
    EXPECT_FALSE(f.f_Grabar("JAP", japon, " "));
    EXPECT_EQ(e.Op.Ultimo(), "El campo Estado de Mercaderia no puede estar vacio");
    // The operator may change the code: the relation is stored for the new one,
    // and the chosen country is handed back either way.
    EXPECT_TRUE(f.f_Grabar("JPN", japon, " 1 "));
    EXPECT_EQ(e.App.Retorno1, "320");
    EXPECT_EQ(e.App.Retorno2, " 1 ");
    EXPECT_EQ(e.Valor("select ORI || '/' || ESM from ORG where PAI = 'JPN'"), "320/1");
    EXPECT_FALSE(f.f_Grabar("jpn", japon, "1")); // same code, other case: refused
    EXPECT_EQ(e.Valor("select count(*) from ORG"), "1");
}

TEST(Esquema, UnaBaseViejaSeActualizaYUnaMasNuevaSeRechaza) {
    EntornoPrueba e;
    // A work database as the first version left it.
    e.Trabajo("drop index ART_ARTICULO_ORDEN");
    e.Trabajo("create index ART_ESTADO on ART (INTNRO, PRCEST)");
    e.Trabajo("pragma user_version = 1");
    e.Trabajo("insert into INTN values ('7','7')");
    Esquema::VerificarTrabajo(e.App.Db);
    EXPECT_EQ(e.Valor("pragma user_version"), std::to_string(Esquema::kVersionTrabajo));
    EXPECT_EQ(e.Valor("select group_concat(name) from sqlite_master where name in ('ART_ARTICULO_ORDEN','ART_ESTADO')"),
              "ART_ARTICULO_ORDEN");
    EXPECT_EQ(e.Valor("select INTDSC from INTN"), "7"); // the data stays

    e.Trabajo("pragma user_version = " + std::to_string(Esquema::kVersionTrabajo + 1));
    EXPECT_THROW(Esquema::VerificarTrabajo(e.App.Db), AppError);
    e.Trabajo("pragma user_version = 0");
    EXPECT_THROW(Esquema::VerificarTrabajo(e.App.Db), AppError);
}
