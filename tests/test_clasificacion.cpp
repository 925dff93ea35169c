// The classification run against a small catalog and nomenclator, and what it
// leaves for step 3: counters, CIF totals, the wizard's step-1 exit, the runner.
#include "Entorno.h"
#include "app/Asistente.h"
#include "app/Consola.h"
#include "classify/Clasificacion.h"
#include "classify/Estadisticas.h"
#include "platform/Numeros.h"
#include "platform/SentenciaSql.h"
#include "platform/Texto.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct Clasificacion : ::testing::Test {
    EntornoPrueba e;

    void SetUp() override {
        e.App.Config = {"07", "C1", "", "310", false};
        e.App.InternoActual = "500";
        e.App.TipoDeclaracion = "ECR1";
        e.EnAduana("insert into ncm ([001],[002],[003],[012],[020],[059]) values "
                   "('8703.23.10','100','A','07','','*'), ('8708.29.99','900','K','01','07','')");
        e.EnAduana("insert into sufidos (sim, sufijo) values ('87  .  .  .   ','AA'), ('8703.  .  .   ','AM')");
        e.EnAduana("insert into catarticulos (idcatalogo, idarticulo, ncm, lapi, sufijos, idpais) values "
                   "('C1','AUTO','8703.23.10.100','','AA(TOYOTA)-AM(X)-','310'), "
                   "('C1','PARTE','8708.29.99.900','N','AA(BOSCH)-',''), "
                   "('C1','TRECE','8703.23.10.10','','AA(TOYOTA)-AM(X)-',''), "
                   "('C1','QUINCE','8708.29.99.900K','S','AA(BOSCH)-',''), "
                   "('C1','SINNCM','9999.99.99.999','','SIN SUFIJOS',''), "
                   "('C1','O''NEIL','8703.23.10.100','','AA(TOYOTA)-AM(X)-',''), "
                   "('C1','ROTO','8703.23.10.100','','AA(TOYOTA)-AM(X-','')");
    }
    // `org` and `vin` as SQL literals; quantity 1 and price 100 unless told.
    void Articulo(int orden, const std::string& art, const std::string& org, const std::string& vin,
                  const std::string& tipo = "ECR1", int uni = 100, int can = 1) {
        e.Trabajo(SentenciaSql("insert into ART (INTNRO, ARTORD, ARTNRO, ARTCAN, ARTUNI, ARTTOT, ARTORG, PRCORI, "
                               "PRCVIN, PRCTDS) values ('500', ")
                      .Numero(static_cast<long long>(orden))
                      .Sql(", ")
                      .Texto(art)
                      .Sql(", ")
                      .Numero(static_cast<long long>(can))
                      .Sql(", ")
                      .Numero(static_cast<long long>(uni))
                      .Sql(", ")
                      .Numero(static_cast<long long>(uni * can))
                      .Sql(", ")
                      .Sql(org)
                      .Sql(", ")
                      .Sql(org)
                      .Sql(", ")
                      .Sql(vin)
                      .Sql(", ")
                      .Texto(tipo)
                      .Sql(")"));
    }
    std::string Campo(int orden, const std::string& expresion) {
        return e.Valor(SentenciaSql("select ")
                           .Sql(expresion)
                           .Sql(" from ART where ARTORD = ")
                           .Numero(static_cast<long long>(orden)));
    }
};

const char* const kResumen = "ifnull(PRCNCM,'-') || '|' || ifnull(PRCLAP,'-') || '|' || ifnull(PRCSUF,'-') || '|' || "
                             "ifnull(PRCORI,'-') || '|' || ifnull(PRCDST,'-') || '|' || ifnull(PRCEUN,'-') || '|' || "
                             "ifnull(PRCSUN,'-') || '|' || ifnull(PRCEST,'-') || '|' || ifnull(PRCCRC,'-')";

} // namespace

TEST_F(Clasificacion, CadaArticuloTerminaComoCorresponde) {
    Articulo(1, "AUTO", "''", "'VIN1'");    // origin from the catalog
    Articulo(2, "AUTO", "'320'", "'VIN2'"); // imported origin kept
    Articulo(3, "AUTO", "''", "null");      // no VIN: "AM()"
    Articulo(4, "PARTE", "'320'", "null", "ECR1", 10, 5);
    Articulo(5, "PARTE", "'320'", "null", "ECR1", 0, 7); // classified with 4 (same number, no VIN)
    Articulo(6, "TRECE", "''", "'V6'");
    Articulo(7, "QUINCE", "''", "null");
    Articulo(8, "SINNCM", "''", "null");
    Articulo(9, "NUEVO", "''", "null");
    Articulo(10, "O'NEIL", "''", "'V''3'");
    Articulo(11, "AUTO", "''", "'VIN11'", "ICR1");
    ASSERT_TRUE(FRAM2_GuardarDatosToBase(e.App)) << e.Op.Ultimo();
    EXPECT_TRUE(e.Op.Mensajes.empty());

    const char* esperado[] = {
        "8703.23.10.100A|S|AA(TOYOTA)-AM(VIN1)-|310|-|07|-|A|OK",
        "8703.23.10.100A|S|AA(TOYOTA)-AM(VIN2)-|320|-|07|-|A|OK",
        "8703.23.10.100A|S|AA(TOYOTA)-AM()-|310|-|07|-|E|SUF",
        "8708.29.99.900K|N|AA(BOSCH)-|320|-|01|07|A|OK",
        "8708.29.99.900K|N|AA(BOSCH)-|320|-|01|07|A|CERO",
        "8703.23.10.10|N|AA(TOYOTA)-AM(V6)-||-|-|-|E|POS", // 13 characters: no letter, no units
        "8708.29.99.900K|S|AA(BOSCH)-||-|01|07|A|OK",      // 15 characters: no second letter, units found
        "9999.99.99.999|N|SIN SUFIJOS||-|-|-|E|POS",       // lapi empty, not in the nomenclator
        "-|-|-||-|-|-|-|-",                                // not in the catalog
        "8703.23.10.100A|S|AA(TOYOTA)-AM(V'3)-||-|07|-|E|SUF",
        "8703.23.10.100A|S|AA(TOYOTA)-AM(VIN11)-|200|200|07|-|A|OK",
    };
    for (int i = 1; i <= 11; ++i)
        EXPECT_EQ(Campo(i, kResumen), esperado[i - 1]) << "ARTORD " << i;
    EXPECT_EQ(e.Valor("select count(*) from ART where PRCDUN = '07'"), "11");
    EXPECT_EQ(Campo(1, "PRCECA") + Campo(4, "PRCECA") + Campo(4, "PRCSCA"), "105");
    EXPECT_EQ(e.Op.Estados.size(), 7u);
    EXPECT_EQ(e.Op.Estados.back(), "Fin de Proceso");
    EXPECT_EQ(e.Op.BarraMax, 10); // the classified rows of stage 4
    EXPECT_FALSE(e.Op.BarraVisible);
    EXPECT_FALSE(e.App.Db.EnTransaccion());
    if (Almacor::Gestor* aduana = e.AduanaArchivo()) { // its look-ups' read transaction ended with the run
        EXPECT_FALSE(aduana->EnTransaccion());
    }
}

// Numbers and VINs compare ignoring case: a pair is looked up once whatever
// its spelling, and pairs of other numbers sharing a VIN (or none) between
// them are each looked up.
TEST_F(Clasificacion, NumerosYVinQueSoloDifierenEnMayusculas) {
    Articulo(1, "AUTO", "''", "'VIN1'");
    Articulo(2, "PARTE", "'320'", "'VIN1'");
    Articulo(3, "auto", "'320'", "'VIN1'"); // same pair as 1, another origin
    Articulo(4, "Auto", "''", "null");
    Articulo(5, "PARTE", "''", "null");
    Articulo(6, "AUTO", "'310'", "''"); // an empty VIN is not a null one
    Articulo(7, "QUINCE", "''", "'VIN1'");
    Articulo(8, "auto", "''", "'VIN8'");
    ASSERT_TRUE(FRAM2_GuardarDatosToBase(e.App)) << e.Op.Ultimo();
    const char* esperado[] = {
        "8703.23.10.100A|AA(TOYOTA)-AM(VIN1)-|A", "8708.29.99.900K|AA(BOSCH)-|A",
        "8703.23.10.100A|AA(TOYOTA)-AM(VIN1)-|A", "8703.23.10.100A|AA(TOYOTA)-AM()-|E",
        "8708.29.99.900K|AA(BOSCH)-|A",           "8703.23.10.100A|AA(TOYOTA)-AM()-|E",
        "8708.29.99.900K|AA(BOSCH)-|A",           "8703.23.10.100A|AA(TOYOTA)-AM(VIN8)-|A",
    };
    for (int i = 1; i <= 8; ++i)
        EXPECT_EQ(Campo(i, "ifnull(PRCNCM,'-') || '|' || ifnull(PRCSUF,'-') || '|' || ifnull(PRCEST,'-')"),
                  esperado[i - 1])
            << "ARTORD " << i;
    EXPECT_EQ(e.Op.BarraMax, 8); // every row reached stage 4
}

// Pairs of a number whose suffixes take no VIN set the same values; those of a
// number whose pairs differ in their origin do not. Either way every row ends
// as its own pair's update leaves it, and a row already classified is kept.
TEST_F(Clasificacion, ParesDeUnMismoNumero) {
    e.EnAduana("insert into catarticulos (idcatalogo, idarticulo, ncm, lapi, sufijos, idpais) values "
               "('C1','FILTRO','8708.29.99.900','','AA(BOSCH)-','330')");
    Articulo(1, "PARTE", "'320'", "'P1'");
    Articulo(2, "PARTE", "'320'", "null");
    Articulo(3, "parte", "'320'", "'P3'");
    Articulo(4, "PARTE", "'320'", "'P4'");
    e.Trabajo("update ART set PRCEST = 'A', PRCNCM = 'previa', PRCSUF = 'previos' where ARTORD = 4");
    Articulo(5, "FILTRO", "''", "'F1'");
    Articulo(6, "FILTRO", "'320'", "'F2'");
    Articulo(7, "FILTRO", "''", "null");
    Articulo(8, "filtro", "''", "'f1'");
    ASSERT_TRUE(FRAM2_GuardarDatosToBase(e.App)) << e.Op.Ultimo();
    const char* esperado[] = {
        "8708.29.99.900K|AA(BOSCH)-|320|A", "8708.29.99.900K|AA(BOSCH)-|320|A",
        "8708.29.99.900K|AA(BOSCH)-|320|A", "previa|previos|320|E",
        "8708.29.99.900K|AA(BOSCH)-|330|A", "8708.29.99.900K|AA(BOSCH)-|320|A",
        "8708.29.99.900K|AA(BOSCH)-|330|A", "8708.29.99.900K|AA(BOSCH)-|330|A",
    };
    for (int i = 1; i <= 8; ++i)
        EXPECT_EQ(Campo(i, "ifnull(PRCNCM,'-') || '|' || ifnull(PRCSUF,'-') || '|' || PRCORI || '|' || PRCEST"),
                  esperado[i - 1])
            << "ARTORD " << i;
    EXPECT_EQ(e.Op.BarraMax, 8);
}

// On its own the run commits its work; inside a caller's transaction it leaves
// that transaction open, and the caller's rollback undoes the run with the rest.
TEST_F(Clasificacion, DentroDeLaTransaccionDeQuienLlama) {
    Articulo(1, "AUTO", "''", "'VIN1'");
    Articulo(2, "NUEVO", "''", "null");
    e.App.Db.ComenzarTransaccion();
    e.Trabajo("update ART set ARTDSC = 'antes' where ARTORD = 2");
    ASSERT_TRUE(FRAM2_GuardarDatosToBase(e.App)) << e.Op.Ultimo();
    ASSERT_TRUE(e.App.Db.EnTransaccion());
    EXPECT_EQ(Campo(1, "PRCEST || PRCCRC") + Campo(2, "ARTDSC"), "AOKantes");
    e.App.Db.DeshacerTransaccion();
    EXPECT_EQ(Campo(1, "ifnull(PRCEST, '-')") + Campo(2, "ifnull(ARTDSC, '-')"), "--");

    ASSERT_TRUE(FRAM2_GuardarDatosToBase(e.App)) << e.Op.Ultimo();
    EXPECT_FALSE(e.App.Db.EnTransaccion());
    EXPECT_EQ(Campo(1, "PRCEST || PRCCRC"), "AOK");
}

// Stage 2 tells the distinct rows (number, price, origin, VIN) apart itself:
// its progress bar counts what DISTINCT counts, on every combination of
// spellings, nulls and empty texts, and of a price written as a whole or a
// decimal number or as text. No article is in the catalog, so stage 4 leaves
// the bar as stage 2 set it.
TEST_F(Clasificacion, FilasDistintasComoLasCuentaDistinct) {
    const char* nros[] = {"'X1'", "'x1'", "null", "''", "'X2'"};
    const char* unis[] = {"10", "10.0", "'10'", "'diez'", "null", "0", "-0.0"};
    const char* orgs[] = {"''", "'a'", "'A'", "null", "' '"};
    const char* vins[] = {"null", "''", "'v'", "'V'"};
    e.App.Db.ComenzarTransaccion();
    int orden = 0;
    for (auto v : vins)
        for (auto o : orgs)
            for (auto u : unis)
                for (auto n : nros) {
                    ++orden;
                    if (orden % 3 == 0)
                        continue; // not every combination: some come once, some more
                    // The combinations are SQL literals of the test's own.
                    auto Fila = [&](int artord) {
                        e.Trabajo(SentenciaSql("insert into ART (INTNRO, ARTORD, ARTNRO, ARTUNI, ARTORG, PRCVIN) "
                                               "values ('500', ")
                                      .Numero(static_cast<long long>(artord))
                                      .Sql(", ")
                                      .Sql(n)
                                      .Sql(", ")
                                      .Sql(u)
                                      .Sql(", ")
                                      .Sql(o)
                                      .Sql(", ")
                                      .Sql(v)
                                      .Sql(")"));
                    };
                    Fila(orden);
                    if (orden % 5 == 0) // the same combination again, later
                        Fila(orden + 10000);
                }
    e.App.Db.ConfirmarTransaccion();
    ASSERT_TRUE(FRAM2_GuardarDatosToBase(e.App)) << e.Op.Ultimo();
    EXPECT_EQ(std::to_string(e.Op.BarraMax),
              e.Valor("select count(*) from (select DISTINCT ARTNRO, ARTUNI, ARTORG, PRCVIN from ART "
                      "where INTNRO = '500')"));
}

TEST_F(Clasificacion, SinCatalogoYTiposQueNoLoConsultan) {
    Articulo(1, "AUTO", "''", "'VIN1'", "RR01");
    Articulo(2, "AUTO", "''", "'VIN2'", "RR01");
    e.Trabajo("update ART set PRCSUF = 'AA(X)-AM()-' where ARTORD = 2");
    e.App.Config.INTCAT = "";
    EXPECT_FALSE(FRAM2_GuardarDatosToBase(e.App));
    EXPECT_EQ(e.Op.Ultimo(), "Falta seleccionar el CATALOGO\r\n\r\nHaga click en CONFIGURACIÓN");
    EXPECT_EQ(Campo(1, "ifnull(PRCDUN,'-')"), "-");

    // RR01 and ICR2 never ask for the catalog; stages 3 and 4 still run, and a
    // row classified earlier under another type is still validated.
    Articulo(3, "AUTO", "''", "'VIN3'", "RR01");
    e.Trabajo("update ART set PRCEST = 'A', PRCNCM = '8703.23.10.100A', PRCSUF = 'AA(X)-AM(Y)-' where ARTORD = 3");
    for (const char* tipo : {"RR01", "ICR2"}) {
        e.App.TipoDeclaracion = tipo;
        ASSERT_TRUE(FRAM2_GuardarDatosToBase(e.App)) << e.Op.Ultimo();
        EXPECT_EQ(Campo(1, kResumen + std::string(" || PRCDUN")), "-|-|-||-|-|-|-|-07");
        EXPECT_EQ(Campo(2, "ifnull(PRCEST,'-') || PRCCRC || PRCDUN"), "-SUF07");
        EXPECT_EQ(Campo(3, "PRCEST || PRCCRC"), "AOK");
    }
}

TEST_F(Clasificacion, UnSufijoAMSinCierreDetieneYConservaLoHecho) {
    Articulo(1, "AUTO", "''", "'VIN1'");
    Articulo(2, "ROTO", "''", "'VIN2'");
    Articulo(3, "SINNCM", "''", "null");
    EXPECT_FALSE(FRAM2_GuardarDatosToBase(e.App));
    ASSERT_EQ(e.Op.Mensajes.size(), 1u);
    EXPECT_EQ(e.Op.Mensajes[0].Icon, Operador::Icono::Critico);
    const std::string& m = e.Op.Ultimo();
    EXPECT_NE(m.find("\r\n\r\n1119111 - seccion [Quelvorin.frmMain.FRAM2_GuardarDatosToBase]::"
                     "ImplementarVINenSufijos.modEntidadesTarvelo.Velmarion "),
              std::string::npos)
        << m;
    EXPECT_TRUE(TerminaCon(m, "\r\n\r\nSQL:\r\nupdate ART set PRCLAP = 'S',PRCNCM = '8703.23.10.100A',")) << m;
    if (Almacor::Gestor* aduana = e.AduanaArchivo()) {
        EXPECT_FALSE(aduana->EnTransaccion());
    }
    // What came before is committed (another connection sees it); the rest was not reached.
    Almacor::Gestor otra;
    otra.CadenaConexion(e.App.Db.CadenaConexion());
    otra.Conectar();
    Recordset rs;
    otra.Sql("select group_concat(ifnull(PRCEST,'-'), '') as est from (select PRCEST from ART order by ARTORD)");
    otra.CrearRs(rs);
    EXPECT_EQ(rs.Fields("est").Texto(), "A--");
}

// A stage-2 update that fails is quoted whole, as a pair's (with its VIN) or
// as its number's when the pairs set the same values; the trigger fires only
// on rows the update reached, so the quoted values are the ones it ran with.
TEST_F(Clasificacion, UnaActualizacionQueFallaSeCitaEntera) {
    e.Trabajo("create trigger sin_clasificar before update of PRCEST on ART when new.PRCEST = 'A' "
              "begin select raise(abort, 'no se clasifica'); end");
    Articulo(1, "PARTE", "'320'", "'P''1'");
    const std::string valores = "update ART set PRCLAP = 'N',PRCNCM = '8708.29.99.900K',PRCSUF = 'AA(BOSCH)-',"
                                "PRCEUN = '01',PRCSUN = '07',PRCEST = 'A' WHERE INTNRO = '500'   and ARTNRO = 'PARTE'";
    EXPECT_FALSE(FRAM2_GuardarDatosToBase(e.App));
    EXPECT_NE(e.Op.Ultimo().find("no se clasifica"), std::string::npos) << e.Op.Ultimo();
    EXPECT_TRUE(TerminaCon(e.Op.Ultimo(), "\r\n\r\nSQL:\r\n" + valores +
                                              "   and PRCVIN = 'P''1'   and (PRCEST <> 'A' or PRCEST is null)"))
        << e.Op.Ultimo();
    Articulo(2, "parte", "'320'", "null");
    EXPECT_FALSE(FRAM2_GuardarDatosToBase(e.App));
    EXPECT_TRUE(TerminaCon(e.Op.Ultimo(), "\r\n\r\nSQL:\r\n" + valores + "   and (PRCEST <> 'A' or PRCEST is null)"))
        << e.Op.Ultimo();
    EXPECT_EQ(e.Valor("select count(*) from ART where PRCEST is not null"), "0");
}

// A validation that fails with an error stops the run; stage 3 is written, the
// articles validated before it keep their codes (the valid ones too, though
// they are marked together), the rest stay unvalidated.
TEST_F(Clasificacion, UnErrorDelValidadorConservaLoValidado) {
    // The suffix groups of 8708 positions cannot be read: the query fails.
    e.EnAduana("insert into sufidos (sim, sufijo) values ('8708.29.99.900','SA')");
    e.EnAduana("alter table sufidos rename to sufidos_t");
    e.EnAduana("create view sufidos as select sim, sufijo from sufidos_t "
               "where mid(sim, case when sim like '8708%' then 0 else 1 end) is not null");
    e.App.TipoDeclaracion = "RR01"; // validates the positions already written
    const char* filas[][3] = {{"1", "8703.23.10.100A", "AA(X)-AM(Y)-"},
                              {"2", "8703.23.10.100", "AA(X)-"},
                              {"3", "8703.23.10.100A", "AA(X)-AM(Y)-"},
                              {"4", "8708.29.99.900K", "AA(X)-"},
                              {"5", "8703.23.10.100A", "AA(X)-AM(Y)-"}};
    for (const auto& f : filas) {
        Articulo(std::stoi(f[0]), "AUTO", "''", "null", "RR01");
        e.Trabajo(SentenciaSql("update ART set PRCEST = 'A', PRCEUN = '07', PRCNCM = ")
                      .Texto(f[1])
                      .Sql(", PRCSUF = ")
                      .Texto(f[2])
                      .Sql(" where ARTORD = ")
                      .Numero(std::string_view(f[0])));
    }
    EXPECT_FALSE(FRAM2_GuardarDatosToBase(e.App));
    ASSERT_EQ(e.Op.Mensajes.size(), 1u);
    EXPECT_NE(e.Op.Ultimo().find("(mid)"), std::string::npos) << e.Op.Ultimo();
    EXPECT_EQ(e.Valor("select group_concat(PRCEST || ifnull(PRCCRC, '-'), ' ') from "
                      "(select PRCEST, PRCCRC from ART order by ARTORD)"),
              "AOK ESUF AOK A- A-");
    EXPECT_EQ(e.Valor("select count(*) from ART where PRCDUN = '07' and PRCECA = ARTCAN"), "5"); // stage 3 ran
    EXPECT_FALSE(e.App.Db.EnTransaccion());

    // Once it can be read, a second run validates what was left.
    e.EnAduana("drop view sufidos");
    e.EnAduana("alter table sufidos_t rename to sufidos");
    e.EnAduana("delete from sufidos where sufijo = 'SA'");
    e.Op.Mensajes.clear();
    ASSERT_TRUE(FRAM2_GuardarDatosToBase(e.App)) << e.Op.Ultimo();
    EXPECT_EQ(e.Valor("select group_concat(PRCEST || ifnull(PRCCRC, '-'), ' ') from "
                      "(select PRCEST, PRCCRC from ART order by ARTORD)"),
              "AOK ESUF AOK AOK AOK");
}

// Stages 2 and 4 are written by the closing pass. On a mix of rows (found and
// unknown numbers, rows classified already, one number under several VINs,
// null, empty and in other case, a number whose pairs are written together,
// failing validations, empty suffix values, zero prices, ICR1 rows, the
// declared unit) it leaves every row as the stages' own statements one after
// the other do. Those run on a copy of the rows (interno 501), where a trigger
// refuses a statement that sets stage 2's values and the declared unit at
// once: the pass fails there and the stages are written one by one.
TEST_F(Clasificacion, ElCierreDejaLoQueLasEtapasUnaTrasOtra) {
    e.App.Config.INTDUN = "01";
    // An empty number is an article like any other; a null one is none.
    e.EnAduana("insert into catarticulos (idcatalogo, idarticulo, ncm, lapi, sufijos, idpais) values "
               "('C1','','8708.29.99.900','N','AA(BOSCH)-','')");
    Articulo(1, "AUTO", "''", "'VIN1'");
    Articulo(2, "auto", "'320'", "'vin1'");
    Articulo(3, "AUTO", "''", "null");
    Articulo(4, "Auto", "''", "''");
    Articulo(5, "PARTE", "'320'", "'P1'");
    Articulo(6, "parte", "''", "'P2'", "ECR1", 0);
    Articulo(7, "PARTE", "'320'", "null", "ICR1", 10, 3);
    Articulo(8, "NUEVO", "''", "'X'");
    Articulo(9, "TRECE", "''", "'V9'");
    Articulo(10, "AUTO", "''", "'VIN10'", "ECR1", 0);
    Articulo(11, "AUTO", "''", "'VIN1'");
    Articulo(12, "QUINCE", "''", "null", "ICR1");
    Articulo(13, "AUTO", "''", "'VIN13'", "ICR1");
    Articulo(14, "PARTE", "''", "'P14'");
    Articulo(15, "NUEVO", "''", "null");
    Articulo(16, "SINNCM", "''", "null");
    Articulo(17, "AUTO", "''", "'VIN1'");
    Articulo(18, "", "''", "'VIN1'");
    Articulo(500, "O'NEIL", "''", "'o''n'"); // far apart: rows are found by their order through a map
    // Classified already, with other values: kept, and validated as they are.
    e.Trabajo("update ART set PRCEST = 'A', PRCLAP = 'Z', PRCNCM = '8708.29.99.900K', PRCSUF = 'AA(X)-' "
              "where ARTORD = 11");
    e.Trabajo("update ART set PRCEST = 'a', PRCCRC = 'ok', PRCEUN = '01', PRCNCM = '8703.23.10.100', "
              "PRCSUF = 'AA(X)-AM()-' where ARTORD = 14");
    e.Trabajo("update ART set PRCEST = 'E', PRCCRC = 'POS', PRCEUN = '01' where ARTORD = 15");
    e.Trabajo("update ART set ARTNRO = null where ARTORD = 17");
    e.Trabajo("create temp table copia as select * from ART where INTNRO = '500'");
    e.Trabajo("update copia set INTNRO = '501'");
    e.Trabajo("insert into ART select * from copia");
    e.Trabajo("create table escritas (n)");
    e.Trabajo("create trigger a_la_vez before update of PRCLAP, PRCDUN on ART when new.INTNRO = '501' and "
              "new.PRCLAP is not old.PRCLAP and new.PRCDUN is not old.PRCDUN "
              "begin select raise(abort, 'de a una'); end");
    e.Trabajo("create trigger etapa2 after update of PRCLAP on ART when new.INTNRO = '501' "
              "begin insert into escritas values (new.ARTORD); end");

    ASSERT_TRUE(FRAM2_GuardarDatosToBase(e.App)) << e.Op.Ultimo();
    e.App.InternoActual = "501";
    ASSERT_TRUE(FRAM2_GuardarDatosToBase(e.App)) << e.Op.Ultimo();
    EXPECT_TRUE(e.Op.Mensajes.empty()) << e.Op.Ultimo();
    EXPECT_NE(e.Valor("select count(*) from escritas"), "0"); // 501 was written one stage after the other

    const std::string fila = "ARTORD || ':' || quote(PRCLAP) || quote(PRCNCM) || quote(PRCSUF) || quote(PRCORI) || "
                             "quote(PRCDST) || quote(PRCEUN) || quote(PRCSUN) || quote(PRCDUN) || quote(PRCECA) || "
                             "quote(PRCSCA) || quote(PRCEST) || quote(PRCCRC)";
    auto Filas = [&](const char* interno) {
        return e.Valor(SentenciaSql("select group_concat(f, ' ') from (select ")
                           .Sql(fila)
                           .Sql(" as f from ART where INTNRO = ")
                           .Texto(interno)
                           .Sql(" order by ARTORD)"));
    };
    EXPECT_EQ(Filas("500"), Filas("501"));
    EXPECT_EQ(e.Valor("select group_concat(ifnull(PRCEST, '-') || ifnull(PRCCRC, '-'), ' ') from "
                      "(select PRCEST, PRCCRC from ART where INTNRO = '500' order by ARTORD)"),
              "AOK AOK ESUF ESUF AOK ACERO AOK -- EPOS ACERO AOK AOK AOK ESUF EPOS EPOS -- AOK ESUF");
}

// A catalog that tells numbers apart by case finds one spelling of a number
// and not another; when the pairs found set the same values, the number's
// one update classifies the rows of the other spelling too.
TEST_F(Clasificacion, UnNumeroEscritoJuntoAlcanzaSusOtrasGrafias) {
    SOLO_ARCHIVO(); // the catalog that tells case apart is a view of the file's
    e.EnAduana("alter table catarticulos rename to catarticulos_t");
    e.EnAduana("create view catarticulos as select idcatalogo, idarticulo collate binary as idarticulo, ncm, lapi, "
               "sufijos, idunidad, estadistica, estadomerc, deresp, preciounitario, descripcion, idpais, "
               "ArtKgUnitario from catarticulos_t");
    Articulo(1, "PARTE", "'320'", "'M1'");
    Articulo(2, "parte", "'320'", "'M2'");
    Articulo(3, "PARTE", "'320'", "'M3'");
    Articulo(4, "quince", "''", "null");
    ASSERT_TRUE(FRAM2_GuardarDatosToBase(e.App)) << e.Op.Ultimo();
    EXPECT_EQ(e.Valor("select group_concat(ifnull(PRCEST, '-') || ifnull(PRCNCM, '-'), ' ') from "
                      "(select PRCEST, PRCNCM from ART order by ARTORD)"),
              "A8708.29.99.900K A8708.29.99.900K A8708.29.99.900K --");
}

// Stage 3, and stage 4's "OK" with the closing checks, run as one pass each:
// on every combination of the values they read, they leave the rows as their
// statements one after the other do (run here on a copy of the rows, interno
// 501, with the validator's verdict written by hand).
TEST_F(Clasificacion, PasadasComunesComoLasSentenciasUnaTrasOtra) {
    const char* eun[] = {"'07'", "'01'", "null"};
    const char* sun[] = {"'07'", "null"};
    const char* crc[] = {"'OK'", "'ok'", "'POS'", "null"};
    const char* precios[] = {"0, 5", "5, 0", "5, 5"};
    const char* suf[] = {"'AA(X)-AM(Y)-'", "'AA(X)-AM()-'", "'AA(X)-'", "null"}; // only the first is valid
    const char* tds[] = {"'ICR1'", "'icr1'", "'ECR1'"};
    const char* est[] = {"'A'", "'a'", "'M'", "null"};
    e.App.Db.ComenzarTransaccion();
    int orden = 0;
    for (auto a : eun)
        for (auto b : sun)
            for (auto c : crc)
                for (auto d : precios)
                    for (auto f : suf)
                        for (auto g : tds)
                            for (auto h : est) {
                                ++orden;
                                for (const char* interno : {"500", "501"})
                                    e.Trabajo(SentenciaSql("insert into ART (INTNRO, ARTORD, ARTCAN, PRCECA, PRCSCA, "
                                                           "PRCEUN, PRCSUN, PRCCRC, ARTTOT, ARTUNI, PRCSUF, PRCTDS, "
                                                           "PRCEST, PRCORI, PRCDST, PRCNCM) values (")
                                                  .Texto(interno)
                                                  .Sql(", ")
                                                  .Numero(static_cast<long long>(orden))
                                                  .Sql(", ")
                                                  .Numero(static_cast<long long>(orden % 7 + 1))
                                                  .Sql(", 0.5, 0.25, ")
                                                  .Sql(a)
                                                  .Sql(", ")
                                                  .Sql(b)
                                                  .Sql(", ")
                                                  .Sql(c)
                                                  .Sql(", ")
                                                  .Sql(d)
                                                  .Sql(", ")
                                                  .Sql(f)
                                                  .Sql(", ")
                                                  .Sql(g)
                                                  .Sql(", ")
                                                  .Sql(h)
                                                  .Sql(", '310', null, '8703.23.10.100A')"));
                            }
    e.App.Db.ConfirmarTransaccion();
    e.App.TipoDeclaracion = "RR01"; // no catalog: the rows go to stage 3 as they are
    e.App.Config.INTDUN = "01";     // the closing quantity check is not stage 3's again
    ASSERT_TRUE(FRAM2_GuardarDatosToBase(e.App)) << e.Op.Ultimo();
    for (const char* sql :
         {"update ART set PRCECA = ARTCAN WHERE INTNRO = '501'  AND PRCEUN = '07'",
          "update ART set PRCSCA = ARTCAN WHERE INTNRO = '501'  AND PRCSUN = '07'",
          "update ART set PRCDUN = '01' where INTNRO = '501'",
          "update ART set PRCCRC = 'SUF', PRCEST = 'E' where INTNRO = '501' and PRCEST = 'A' "
          "and ifnull(PRCSUF, '') <> 'AA(X)-AM(Y)-'",
          "update ART set PRCCRC = 'OK' where INTNRO = '501' and PRCEST = 'A'",
          "update ART set PRCECA = ARTCAN where INTNRO = '501' and PRCDUN = PRCEUN and PRCCRC = 'OK' ",
          "update ART set PRCCRC = 'CERO' where INTNRO = '501' and (ARTTOT = 0 OR ARTUNI = 0)and PRCCRC = 'OK' ",
          "update ART set PRCORI = '200',PRCDST = '200' where INTNRO = '501' and PRCTDS = 'ICR1' ",
          "update ART set PRCCRC = 'SUF' where INTNRO = '501' and instr(1,PRCSUF,'()')>0 "})
        e.Trabajo(sql);
    const std::string fila = "ARTORD || '|' || quote(PRCECA) || quote(PRCSCA) || quote(PRCDUN) || quote(PRCCRC) || "
                             "quote(PRCORI) || quote(PRCDST) || quote(PRCEST)";
    auto Filas = [&](const char* interno) {
        return e.Valor(SentenciaSql("select group_concat(f, ' ') from (select ")
                           .Sql(fila)
                           .Sql(" as f from ART where INTNRO = ")
                           .Texto(interno)
                           .Sql(" order by ARTORD)"));
    };
    EXPECT_EQ(Filas("500"), Filas("501"));
    EXPECT_EQ(e.Valor("select count(*) from ART where INTNRO = '500' and PRCCRC = 'CERO'"), "720");
    EXPECT_EQ(e.Valor("select count(*) from ART where INTNRO = '500' and PRCCRC = 'OK' and PRCEST = 'A'"), "144");
}

TEST_F(Clasificacion, ContadoresYTotalesCIF) {
    const char* filas[][2] = {{"null", "null"},  {"'A'", "'OK'"},  {"'E'", "'POS'"}, {"'E'", "'SUF'"},
                              {"'A'", "'CERO'"}, {"'E'", "'ERR'"}, {"''", "null"},   {"'M'", "'OK'"}};
    for (int i = 0; i < 8; ++i)
        e.Trabajo(SentenciaSql("insert into ART (INTNRO, ARTORD, PRCEST, PRCCRC) values ('1', ")
                      .Numero(static_cast<long long>(i))
                      .Sql(", ")
                      .Sql(filas[i][0])
                      .Sql(", ")
                      .Sql(filas[i][1])
                      .Sql(")"));
    e.App.Db.ComenzarTransaccion();
    for (int i = 1; i <= 10001; ++i) // never validated
        e.Trabajo(
            SentenciaSql("insert into ART (INTNRO, ARTORD) values ('2', ").Numero(static_cast<long long>(i)).Sql(")"));
    e.App.Db.ConfirmarTransaccion();
    auto Contar = [&](const char* interno) {
        e.App.InternoActual = interno;
        auto c = Estadisticas::FRAM3_CargarEstadisticas(e.App);
        return c.Total + " " + c.EnCatalogo + " " + c.Nuevos + " " + c.Erroneos + " " + c.ErrPos + " " + c.ErrSuf;
    };
    EXPECT_EQ(Contar("1"), "0008 0002 0002 0004 0001 0001");
    EXPECT_EQ(Contar("2"), "10001 0000 10001 0000 0000 0000");

    e.Trabajo("insert into ARTINS (INTNRO, DIT, cif) values ('1', '22001ICR2000123', 1.5), "
              "('1', '22001ICR2000124', 2.25), ('1', '123', 4), ('1', '22001IC', 1234.567), ('2', '22001ICR1', 9)");
    e.App.InternoActual = "1";
    FijarSeparadorDecimal(',');
    std::string cif;
    for (const auto& t : Estadisticas::CargarTotalesCIF(e.App))
        cif += t.SubReg + "=" + t.CIF + " ";
    FijarSeparadorDecimal('.');
    EXPECT_EQ(cif, "=04,00 IC=1234,57 ICR2=03,75 ");
}

TEST_F(Clasificacion, SalidaDelPaso1DelAsistente) {
    e.Trabajo("insert into INTN values ('500', '500')");
    e.Trabajo("insert into ARTINS (INTNRO, DIT, cif) values ('500', '22001ICR2000123', 10)");
    Articulo(1, "AUTO", "''", "'V1'");
    Asistente a(e.App);

    e.App.Config.INTCAT = ""; // the classification fails: step-2 captions, only the CIF totals
    e.App.ClasificarAlEntrar = true;
    a.MAIN_CambiarPaso();
    EXPECT_EQ(a.pantalla().lbPasoNro + a.pantalla().Contadores.Total, "Paso 2");
    EXPECT_EQ(a.pantalla().lstCIF.size(), 1u);
    EXPECT_TRUE(a.pantalla().cmdSiguienteHabilitado);

    a.cmdVolver_Click();
    e.App.Config.INTCAT = "C1";
    e.App.InternoActual = "500";
    a.MAIN_CambiarPaso();
    EXPECT_EQ(a.pantalla().lbPasoNro + a.pantalla().Contadores.EnCatalogo, "Paso 30001");
    EXPECT_EQ(Campo(1, "PRCCRC"), "OK");

    a.cmdVolver_Click(); // any other error: description, two line breaks, number, no icon
    e.Trabajo("alter table ART rename to ART_");
    e.Op.Mensajes.clear();
    a.ElegirInterno();
    ASSERT_EQ(e.Op.Mensajes.size(), 1u);
    EXPECT_EQ(e.Op.Mensajes[0].Icon, Operador::Icono::Ninguno);
    EXPECT_TRUE(TerminaCon(e.Op.Ultimo(), "\r\n\r\n-2147217900")) << e.Op.Ultimo();
}

TEST_F(Clasificacion, Paso3AlDiaYLineaDeEstadoLimpiaAlCambiarDePaso) {
    e.Trabajo("insert into INTN values ('500', '500')");
    e.Trabajo("insert into ARTINS (INTNRO, DIT, cif) values ('500', '22001ICR2000123', 10)");
    Articulo(1, "AUTO", "''", "'V1'");
    Articulo(2, "NUEVO", "''", "'V2'");
    Asistente a(e.App);
    a.FRAM1_CargarInternos();
    // Not at step 3 yet: nothing to reload.
    a.RecargarResultados();
    EXPECT_EQ(a.pantalla().Contadores.Total, "");

    e.Op.Estados = {"Validando datos..."};
    e.App.ClasificarAlEntrar = true;
    a.MAIN_CambiarPaso();
    ASSERT_EQ(a.pantalla().lbPasoNro, "Paso 3");
    ASSERT_FALSE(e.Op.Estados.size() < 2);
    EXPECT_EQ(e.Op.Estados[1], ""); // the forward move starts from a clean line
    EXPECT_EQ(a.pantalla().Contadores.Nuevos, "0001");

    // A correction outside the wizard (the editor, its replication, an undo):
    // the counters and totals follow it.
    e.Trabajo("update ART set PRCEST = 'M', PRCCRC = 'OK' where ARTORD = 2");
    e.Trabajo("update ARTINS set cif = 25");
    a.RecargarResultados();
    EXPECT_EQ(a.pantalla().Contadores.Nuevos, "0000");
    ASSERT_EQ(a.pantalla().lstCIF.size(), 1u);
    EXPECT_EQ(a.pantalla().lstCIF[0].CIF, Formatear(25, "00.00"));

    // A stopped run's status stays until the step changes.
    e.Op.Estados = {"Validando datos..."};
    a.cmdVolver_Click();
    ASSERT_FALSE(e.Op.Estados.empty());
    EXPECT_EQ(e.Op.Estados.back(), "");
    a.RecargarResultados(); // back at step 1: nothing read
    EXPECT_EQ(a.pantalla().Frente, Asistente::Marco::FRAM1);
}

TEST_F(Clasificacion, ComandosClassifyYStats) {
    e.Trabajo("insert into INTN values ('500', '500')");
    Articulo(2, "AUTO", "''", "'V2'", "ECR1");
    Articulo(1, "AUTO", "''", "'V1'", "RR01"); // the first article's type: no catalog look-up
    e.App.Almacen->SaveSetting("INTCAT", "C1");
    std::ostringstream out, err;
    auto Cli = [&](const std::string& comando, const std::string& interno) {
        out.str("");
        return Consola::Ejecutar(
            {"--home", e.Home.string(), "--settings", (e.Home / "ajustes.ini").string(), comando, interno}, out, err);
    };
    EXPECT_EQ(Cli("classify", "500"), 0) << out.str();
    EXPECT_EQ(Cli("stats", "500"), 0);
    EXPECT_NE(out.str().find("Total de Registros\t0002\nArticulos en Catalogo\t0000\n"), std::string::npos)
        << out.str();

    e.Trabajo("update ART set PRCTDS = 'ECR1'");
    e.Trabajo("update ART set PRCEST = 'M' where ARTORD = 2"); // corrections by hand are not overwritten
    EXPECT_EQ(Cli("classify", "500"), 1);
    EXPECT_NE(out.str().find("tiene articulos corregidos a mano o replicados"), std::string::npos) << out.str();
    EXPECT_EQ(Campo(1, "ifnull(PRCEST,'-')"), "-");
    EXPECT_EQ(Cli("classify", "99"), 1);
    EXPECT_NE(out.str().find("No existe el interno 99"), std::string::npos);
}

// A run the operator stops on the way is undone whole: nothing classified,
// no transaction left open, and no error box (a stop is not an error).
TEST_F(Clasificacion, DetenidaPorElOperadorNoDejaNada) {
    struct QueSeDetiene : OperadorPrueba {
        void Estado(const std::string& texto) override {
            OperadorPrueba::Estado(texto);
            if (texto == "Procesando... validando sufijos")
                throw Cancelacion("detenida");
        }
    } op;
    Articulo(1, "AUTO", "''", "'VIN1'");
    Articulo(2, "PARTE", "'320'", "null");
    e.App.Op = &op;
    EXPECT_THROW(FRAM2_GuardarDatosToBase(e.App), Cancelacion);
    e.App.Op = &e.Op;
    EXPECT_FALSE(e.App.Db.EnTransaccion());
    EXPECT_EQ(e.Valor("select count(*) from ART where PRCNCM is not null or PRCEST is not null"), "0");
    EXPECT_TRUE(op.Mensajes.empty()) << op.Ultimo();
}
