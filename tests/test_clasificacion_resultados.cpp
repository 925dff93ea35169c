// What the classification leaves for step 3: the counters, the CIF totals, the
// wizard's step-1 exit, and the runner's classify and stats commands.
#include "Entorno.h"
#include "app/Asistente.h"
#include "app/Consola.h"
#include "classify/Estadisticas.h"
#include "platform/Numeros.h"
#include "platform/Texto.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace {

void Articulo(EntornoPrueba& e, const std::string& interno, int orden, const std::string& est, const std::string& crc,
              const std::string& tipo = "ECR1") {
    e.Trabajo("insert into ART (INTNRO, ARTORD, ARTNRO, ARTCAN, ARTUNI, ARTTOT, PRCEST, PRCCRC, PRCTDS) values ('" +
              interno + "', " + std::to_string(orden) + ", 'AUTO', 1, 10, 10, " + est + ", " + crc + ", '" + tipo +
              "')");
}

} // namespace

TEST(Estadisticas, ContadoresPorEstadoYResultado) {
    EntornoPrueba e;
    // status / result: unvalidated, good, each error, empty status, corrected by hand
    const char* filas[][2] = {{"null", "null"}, {"'A'", "'OK'"},  {"'E'", "'POS'"}, {"'E'", "'SUF'"},
                              {"'A'", "'CERO'"}, {"'E'", "'ERR'"}, {"''", "null"},   {"'M'", "'OK'"}};
    int orden = 0;
    for (auto& f : filas)
        Articulo(e, "1", ++orden, f[0], f[1]);
    Articulo(e, "2", 1, "null", "null"); // never validated: no errors
    Articulo(e, "2", 2, "null", "null");

    e.App.InternoActual = "1";
    auto c = Estadisticas::FRAM3_CargarEstadisticas(e.App);
    EXPECT_EQ(c.Total + c.EnCatalogo + c.Nuevos + c.Erroneos + c.ErrPos + c.ErrSuf, "000800020002000400010001");
    e.App.InternoActual = "2";
    c = Estadisticas::FRAM3_CargarEstadisticas(e.App);
    EXPECT_EQ(c.Total + c.EnCatalogo + c.Nuevos + c.Erroneos + c.ErrPos + c.ErrSuf, "000200000002000000000000");

    // More than four digits are all shown.
    e.App.Db.ComenzarTransaccion();
    for (int i = 1; i <= 10001; ++i)
        Articulo(e, "3", i, "'A'", "'OK'");
    e.App.Db.ConfirmarTransaccion();
    e.App.InternoActual = "3";
    c = Estadisticas::FRAM3_CargarEstadisticas(e.App);
    EXPECT_EQ(c.Total, "10001");
    EXPECT_EQ(c.Erroneos, "0000");
}

TEST(Estadisticas, TotalesCIFPorSubregimen) {
    EntornoPrueba e;
    e.Trabajo("insert into ARTINS (INTNRO, DIT, cif) values ('1', '22001ICR2000123', 1.5), ('1', '22001ICR2000124', "
              "2.25), ('1', '123', 4), ('1', '22001IC', 1234.567), ('2', '22001ICR1000001', 99)");
    e.App.InternoActual = "1";
    FijarSeparadorDecimal(',');
    bool ok = false;
    auto t = Estadisticas::CargarTotalesCIF(e.App, &ok);
    FijarSeparadorDecimal('.');
    EXPECT_TRUE(ok);
    ASSERT_EQ(t.size(), 3u);
    // A DIT shorter than 6 characters has an empty sub-regime; a short one a short code.
    EXPECT_EQ(t[0].SubReg + "=" + t[0].CIF, "=04,00");
    EXPECT_EQ(t[1].SubReg + "=" + t[1].CIF, "IC=1234,57");
    EXPECT_EQ(t[2].SubReg + "=" + t[2].CIF, "ICR2=03,75");

    e.Trabajo("alter table ARTINS rename to ARTINS_");
    t = Estadisticas::CargarTotalesCIF(e.App, &ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(t.empty());
    ASSERT_EQ(e.Op.Mensajes.size(), 1u);
    EXPECT_EQ(e.Op.Mensajes[0].Icon, Operador::Icono::Ninguno);
    EXPECT_NE(e.Op.Ultimo().find("\r\n\r\n-2147217900 - seccion[CargarTotalesCIF.frmMain.Velmarion]::Almacor.Gestor"),
              std::string::npos)
        << e.Op.Ultimo();
}

TEST(Asistente, SalidaDelPaso1ClasificaYCargaResultados) {
    EntornoPrueba e;
    e.EnAduana("insert into ncm ([001],[002],[003],[012]) values ('0101.21.00','100','W','07')");
    e.Trabajo("insert into INTN values ('7', '7')");
    Articulo(e, "7", 1, "null", "null");
    e.Trabajo("insert into ARTINS (INTNRO, DIT, cif) values ('7', '22001ICR2000123', 10)");
    e.EnAduana("insert into catarticulos (idcatalogo, idarticulo, ncm, lapi, sufijos) values "
               "('C1', 'AUTO', '0101.21.00.100', '', 'SIN SUFIJOS')");
    Asistente a(e.App);

    // Failing classification (no catalog chosen): step-2 captions, only the CIF totals.
    e.App.InternoActual = "7";
    e.App.ClasificarAlEntrar = true;
    a.MAIN_CambiarPaso();
    EXPECT_FALSE(a.UltimaClasificacionOk());
    EXPECT_EQ(a.pantalla().lbPasoNro, "Paso 2");
    EXPECT_EQ(a.pantalla().lbPasoDesc, "Depurar Articulos");
    EXPECT_EQ(a.pantalla().Contadores.Total, "");
    ASSERT_EQ(a.pantalla().lstCIF.size(), 1u);
    EXPECT_TRUE(a.pantalla().cmdSiguienteHabilitado);

    a.cmdVolver_Click();
    e.App.Config.INTCAT = "C1";
    e.App.InternoActual = "7";
    e.App.TipoDeclaracion = "ECR1";
    a.MAIN_CambiarPaso();
    EXPECT_TRUE(a.UltimaClasificacionOk());
    EXPECT_EQ(a.pantalla().lbPasoNro, "Paso 3");
    EXPECT_EQ(a.pantalla().cmdSiguiente, "Transferir");
    EXPECT_EQ(a.pantalla().Contadores.EnCatalogo, "0001");
    EXPECT_EQ(a.pantalla().Contadores.Erroneos, "0000");
    EXPECT_EQ(e.Valor("select PRCNCM || PRCCRC from ART"), "0101.21.00.100WOK");

    // Any other error: description, two line breaks and the number, no icon.
    a.cmdVolver_Click();
    e.Trabajo("alter table ART rename to ART_");
    e.Op.Mensajes.clear();
    a.ElegirInterno();
    ASSERT_FALSE(e.Op.Mensajes.empty());
    EXPECT_EQ(e.Op.Mensajes[0].Icon, Operador::Icono::Ninguno);
    EXPECT_TRUE(TerminaCon(e.Op.Mensajes[0].Texto, "\r\n\r\n-2147217900")) << e.Op.Mensajes[0].Texto;
}

namespace {
struct Cli {
    fs::path home = fs::temp_directory_path() / ("velmarion-clasif-" + std::to_string(::getpid()));
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
    void Sql(const std::string& base, const std::string& sql) {
        Almacor::Gestor g;
        g.CadenaConexion("Provider=SQLite;Data Source=" + (home / "db" / base).string());
        g.Conectar();
        g.Sql(sql);
        g.Ejecutar();
    }
};
} // namespace

TEST(Consola, ClassifyYStats) {
    Cli cli;
    ASSERT_EQ(cli({"init"}), 0);
    cli({"config", "INTCAT", "C1"});
    cli({"config", "ORIGEN", "310"});
    cli.Sql("Corvex.db", "insert into ncm ([001],[002],[003],[012]) values ('0101.21.00','100','W','07')");
    cli.Sql("Corvex.db", "insert into catarticulos (idcatalogo, idarticulo, ncm, lapi, sufijos) values "
                         "('C1', 'AUTO', '0101.21.00.100', '', 'SIN SUFIJOS')");
    cli.Sql("Dantremos.db", "insert into INTN values ('8', '8'), ('9', '9')");
    // The type is that of the first article: RR01 looks nothing up in the catalog.
    cli.Sql("Dantremos.db", "insert into ART (INTNRO, ARTORD, ARTNRO, PRCTDS, ARTUNI, ARTTOT) values "
                            "('8', 2, 'AUTO', 'ECR1', 1, 1), ('8', 1, 'AUTO', 'RR01', 1, 1), "
                            "('9', 1, 'AUTO', 'ECR1', 1, 1), ('9', 2, 'OTRO', 'ECR1', 1, 1)");

    EXPECT_EQ(cli({"classify", "8"}), 0) << cli.out;
    EXPECT_NE(cli.err.find("Fin de Proceso"), std::string::npos);
    EXPECT_EQ(cli({"stats", "8"}), 0);
    EXPECT_NE(cli.out.find("Articulos en Catalogo\t0000\n"), std::string::npos) << cli.out;

    EXPECT_EQ(cli({"classify", "9"}), 0) << cli.out;
    EXPECT_EQ(cli({"stats", "9"}), 0);
    EXPECT_NE(cli.out.find("Total de Registros\t0002\nArticulos en Catalogo\t0001\nArticulos Nuevos\t0001\n"
                           "Registros con Errores\t0000\n"),
              std::string::npos)
        << cli.out;

    // Corrections by hand are not overwritten; an unknown interno is an error.
    cli.Sql("Dantremos.db", "update ART set PRCEST = 'M', PRCNCM = 'MANO' where INTNRO = '9' and ARTORD = 1");
    EXPECT_EQ(cli({"classify", "9"}), 1);
    EXPECT_NE(cli.out.find("EXCLAMACION: El interno 9 tiene articulos corregidos"), std::string::npos) << cli.out;
    EXPECT_EQ(cli({"classify", "99"}), 1);
    EXPECT_NE(cli.out.find("No existe el interno 99"), std::string::npos);
    EXPECT_EQ(cli({"stats", "99"}), 1);
    EXPECT_EQ(cli({"classify"}), 2);
}
