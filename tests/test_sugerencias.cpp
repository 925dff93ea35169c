// Suggested positions for articles to depurate: the order of the sources and
// the counting, the nomenclator as the judge of every position, the catalog's
// 14-character positions, and the command line's sugerir and --sugerencia.
#include "Entorno.h"
#include "platform/SentenciaSql.h"
#include "review/Depuracion.h"
#include "review/Sugerencias.h"

#include <gtest/gtest.h>

namespace {

using Sugerencias::Fuente;

class Sugerir : public ::testing::Test {
protected:
    EntornoPrueba e;

    void SetUp() override {
        e.EnAduana("insert into ncm ([001],[002],[003],[012],[020],[059]) values "
                   "('8703.23.10','100','A','07','',''), ('8703.22.10','100','P','07','',''), "
                   "('8703.32.10','100','K','07','','')");
        e.EnAduana("insert into sufidos (sim, sufijo, detalle) values ('8703.  .  .   ','AA','MARCA'), "
                   "('8703.  .  .   ','AM','VIN')");
        e.EnAduana("insert into unidades (id, descripcion) values ('07','UNIDAD')");
        e.App.Config.INTCAT = "1";
        e.App.InternoActual = "100";
        e.Trabajo("insert into INTN (INTNRO, INTDSC) values ('100', 'Prueba')");
    }

    void Articulo(int ord, const std::string& nro, const std::string& est = "null", const std::string& ncm = "null",
                  const std::string& suf = "null", const std::string& vin = "null") {
        SentenciaSql s("insert into ART (INTNRO, ARTORD, ARTNRO, ARTCAN, ARTUNI, ARTTOT, PRCCAN, PRCDUN, PRCESM, "
                       "PRCORI, PRCNCM, PRCSUF, PRCEST, PRCCRC, PRCVIN) values ('100', ");
        s.Numero(static_cast<long long>(ord)).Sql(", ").Texto(nro).Sql(", 1, 10, 10, 1, '07', '1', '200', ");
        Dato(s, ncm).Sql(", ");
        Dato(s, suf).Sql(", ");
        Dato(s, est).Sql(est == "'M'" ? ", 'OK', " : ", null, ");
        e.Trabajo(Dato(s, vin).Sql(")"));
    }
    void Catalogo(const std::string& art, const std::string& ncm, const std::string& suf, const char* cat = "1") {
        e.EnAduana(SentenciaSql("insert into catarticulos (idcatalogo, idarticulo, ncm, sufijos) values (")
                       .Texto(cat)
                       .Sql(", ")
                       .Texto(art)
                       .Sql(", ")
                       .Texto(ncm)
                       .Sql(", ")
                       .Texto(suf)
                       .Sql(")"));
    }
    void Declarado(const std::string& interno, const std::string& art, const std::string& ncm, const std::string& suf,
                   const std::string& fecha) {
        SentenciaSql s("insert into subitems (interno, idarticulo, ncm, sufijos) values (");
        s.Texto(interno).Sql(", ").Texto(art).Sql(", ").Texto(ncm).Sql(", ").Texto(suf).Sql(")");
        e.EnAduana(s);
        s.Limpiar();
        e.EnAduana(
            s.Sql("insert into caratula (interno, fechaalta) values (").Texto(interno).Sql(", ").Texto(fecha).Sql(")"));
    }
};

TEST_F(Sugerir, FuentesEnOrdenDeConfianzaYCuentaDeArticulos) {
    Articulo(1, "KAPRA 2.0 GT"); // to depurate, no position
    Articulo(2, "KAPRA 1.4 GL", "'M'", "'8703.32.10.100K'", "'AA(MANO)-'");
    // Three catalog articles of the model at one position (14 characters, to be
    // completed), two of them with one suffix text; one at another position.
    Catalogo("KAPRA GL 1.4 MT", "8703.22.10.100", "AA(COMUN)-");
    Catalogo("kapra GLX 1.4 AT", "8703.22.10.100", "AA(COMUN)-");
    Catalogo("KAPRA ZZ", "8703.22.10.100P", "AA(RARO)-");
    Catalogo("KAPRA SPORT", "8703.23.10.100", "AA(SPORT)-");
    Catalogo("KAPRAX 1", "8703.23.10.100", "AA(OTRO MODELO)-"); // another model
    Catalogo("KAPRA OTRO", "8703.23.10.100", "AA(OTRO CATALOGO)-", "2");
    // Declared before: the hand-corrected position twice over, and one of its own.
    Declarado("1001//01", "KAPRA 2.0 GT", "8703.32.10.100K", "AA(DECL VIEJA)-", "2025-01-01 10:00:00");
    Declarado("1002//01", "KAPRA 2.0 GT", "8703.32.10.100K", "AA(DECL)-", "2026-01-01 10:00:00");
    Declarado("1003//01", "KAPRA 2.0 GT", "8703.23.10.100A", "AA(DECL SOLA)-", "2026-02-01 10:00:00");
    Declarado("100", "KAPRA 2.0 GT", "8703.22.10.100P", "AA(ESTE INTERNO)-", "2026-03-01 10:00:00");

    const auto lista = Sugerencias::DelArticulo(e.App, 1);
    struct Esperada {
        const char* posicion;
        const char* sufijos;
        Fuente origen;
        long articulos;
        const char* evidencia;
    } esperadas[] = {
        // Hand first, though fewer articles; its suffixes those of the hand correction.
        {"8703.32.10.100K", "AA(MANO)-", Fuente::Mano, 3,
         "corregido a mano: artículo 0002; despachado en 2 internos, el último 1002//01"},
        // Then the catalog by count: 3 articles (completed and written in full are one).
        {"8703.22.10.100P", "AA(COMUN)-", Fuente::Catalogo, 3, "3 artículos KAPRA en el catálogo"},
        {"8703.23.10.100A", "AA(SPORT)-", Fuente::Catalogo, 2,
         "1 artículo KAPRA en el catálogo; despachado en el interno 1003//01"},
    };
    ASSERT_EQ(lista.size(), std::size(esperadas));
    for (size_t i = 0; i < lista.size(); ++i) {
        EXPECT_EQ(lista[i].Posicion, esperadas[i].posicion) << i;
        EXPECT_EQ(lista[i].Sufijos, esperadas[i].sufijos) << i;
        EXPECT_EQ(lista[i].Origen, esperadas[i].origen) << i;
        EXPECT_EQ(lista[i].Articulos, esperadas[i].articulos) << i;
        EXPECT_EQ(lista[i].Evidencia, esperadas[i].evidencia) << i;
    }
    // The whole interno gives the same, and nothing for the corrected article.
    const auto todas = Sugerencias::DelInterno(e.App);
    ASSERT_EQ(todas.size(), 1u);
    ASSERT_EQ(todas.at(1).size(), lista.size());
    for (size_t i = 0; i < lista.size(); ++i)
        EXPECT_EQ(todas.at(1)[i].Posicion, lista[i].Posicion);
}

TEST_F(Sugerir, SoloPosicionesDelNomencladorYSoloArticulosSinPosicionValida) {
    Articulo(1, "SOLVIA X", "null", "'8703.99.99.999Z'");            // not in the nomenclator: suggested
    Articulo(2, "SOLVIA Y", "'E'", "'8703.23.10.100A'");             // a valid position: no suggestion
    Articulo(3, "SOLVIA Z", "'M'", "'9999.99.99.999Z'", "'AA(M)-'"); // hand-corrected to nothing real
    Catalogo("SOLVIA SEDAN", "8703.23.10.100", "AA(A)-");
    Catalogo("SOLVIA COUPE", "8701.10.00.000", "AA(B)-");                         // no such position
    Catalogo("SOLVIA HATCH", "8703.23.10.10", "AA(C)-");                          // 13 characters
    Declarado("1001//01", "SOLVIA X", "8703.23.10.100B", "AA(D)-", "2025-01-01"); // wrong letter

    const auto todas = Sugerencias::DelInterno(e.App);
    ASSERT_EQ(todas.size(), 1u);
    const auto& lista = todas.at(1);
    ASSERT_EQ(lista.size(), 1u);
    EXPECT_EQ(lista[0].Posicion, "8703.23.10.100A");
    EXPECT_EQ(lista[0].Evidencia, "1 artículo SOLVIA en el catálogo");
    EXPECT_TRUE(Sugerencias::DelArticulo(e.App, 2).empty());
}

TEST_F(Sugerir, SufijosPreviosGuardanElVinDelArticulo) {
    Sugerencias::Sugerencia s;
    s.Sufijos = "AA(ORVANTA)-AM(OTROVIN99)-CA01-";
    struct Caso {
        std::string sufijos, vin;
        bool modeloVariantes;
        std::string previos;
    } casos[] = {
        {"AA(ORVANTA)-AM(OTROVIN99)-CA01-", "8AJBA3FS0R0123456", false, "AA(ORVANTA)-CA01-AM(8AJBA3FS0)-"},
        {"AA(ORVANTA)-AM(OTROVIN99)-CA01-", "8AJBA3FS0R0123456", true, "AA(ORVANTA)-CA01-AM(8AJBA3FS0R0123456)-"},
        {"AM(X)-AA(ORVANTA)-", "", false, "AA(ORVANTA)-"},        // no VIN of its own: none offered
        {"AA(ORVANTA)-", "VIN1", false, "AA(ORVANTA)-AM(VIN1)-"}, // the text had none
        {"SIN SUFIJOS", "VIN1", false, "AM(VIN1)-"},
    };
    for (const Caso& c : casos) {
        s.Sufijos = c.sufijos;
        EXPECT_EQ(Sugerencias::SufijosPrevios(s, c.vin, c.modeloVariantes), c.previos) << c.sufijos;
    }
}

TEST_F(Sugerir, ComandosSugerirYEditarConSugerencia) {
    Articulo(7, "KAPRA 2.0 GT", "null", "null", "null", "'8AJBA3FS0R0123456'");
    Catalogo("KAPRA GL", "8703.23.10.100", "AA(ORVANTA)-AM(VINAJENO1)-");
    for (auto [clave, valor] : {std::pair{"INTCAT", "1"}, {"ORIGEN", "200"}})
        ASSERT_EQ(e.Cli({"config", clave, valor}), 0) << e.SalidaCli;
    ASSERT_EQ(e.Cli({"sugerir", "100"}), 0) << e.SalidaCli;
    EXPECT_EQ(e.SalidaCli, "0007\t8703.23.10.100A\tAA(ORVANTA)-AM(VINAJENO1)-\t1 artículo KAPRA en el catálogo\n");
    ASSERT_EQ(e.Cli({"depurar", "100"}), 0);
    EXPECT_NE(e.SalidaCli.find("\tMotivo\tSugerencia\n"), std::string::npos) << e.SalidaCli;
    EXPECT_NE(e.SalidaCli.find("\t8703.23.10.100A\n"), std::string::npos) << e.SalidaCli;

    // A suggestion that does not exist: refused, nothing written.
    for (const char* n : {"2", "9"}) {
        EXPECT_EQ(e.Cli({"editar", "100", "7", "--sugerencia", n, "--sin-pais", "si"}), 1);
        EXPECT_NE(e.SalidaCli.find("no tiene la sugerencia"), std::string::npos) << e.SalidaCli;
    }
    EXPECT_EQ(e.Cli({"editar", "100", "7", "--sugerencia", "0"}), 2);
    EXPECT_EQ(e.Cli({"editar", "100", "7", "--sugerencia", "1", "--posicion", "8703.23.10.100A"}), 2);
    EXPECT_EQ(e.Valor("select count(*) from ART where PRCEST is null"), "1");
    EXPECT_EQ(e.Valor("select count(*) from HIST_LOTE"), "0");

    // The best one, its suffix text the defaults, the VIN the article's own.
    ASSERT_EQ(e.Cli({"editar", "100", "7", "--sugerencia", "1"}), 0) << e.SalidaCli;
    EXPECT_EQ(e.Valor("select PRCNCM from ART where ARTORD = 7"), "8703.23.10.100A");
    EXPECT_EQ(e.Valor("select PRCSUF from ART where ARTORD = 7"), "AA(ORVANTA)-AM(8AJBA3FS0)-");
    EXPECT_EQ(e.Valor("select PRCEST from ART where ARTORD = 7"), "M");
    EXPECT_EQ(e.Cli({"sugerir", "100", "7"}), 0);
    EXPECT_EQ(e.SalidaCli, "");
}

} // namespace
