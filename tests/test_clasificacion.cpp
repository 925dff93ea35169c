// The classification run: catalog look-up, nomenclator completion, validation
// and the final checks, against a small catalog and nomenclator.
#include "Entorno.h"
#include "classify/Clasificacion.h"
#include "platform/Texto.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Clasificacion : ::testing::Test {
    EntornoPrueba e;

    void SetUp() override {
        e.App.Config.INTCAT = "C1";
        e.App.Config.INTDUN = "07";
        e.App.InternoActual = "500";
        e.App.TipoDeclaracion = "ECR1";
        e.EnAduana("insert into ncm ([001],[002],[003],[012],[020],[059]) values "
                   "('8703.23.10','100','A','07','','*'), ('8708.29.99','900','K','01','07','')");
        e.EnAduana("insert into sufidos (sim, sufijo, detalle) values "
                   "('87  .  .  .   ','AA','MARCA'), ('8703.  .  .   ','AM','VIN')");
        Catalogo("AUTO", "8703.23.10.100", "", "AA(TOYOTA)-AM(X)-", "310");
        Catalogo("PARTE", "8708.29.99.900", "N", "AA(BOSCH)-", "");
        Catalogo("TRECE", "8703.23.10.10", "", "AA(TOYOTA)-AM(X)-", "");
        Catalogo("QUINCE", "8708.29.99.900K", "S", "AA(BOSCH)-", "");
        Catalogo("SINNCM", "9999.99.99.999", "", "SIN SUFIJOS", "");
        Catalogo("O'NEIL", "8703.23.10.100", "", "AA(TOYOTA)-AM(X)-", "");
    }

    void Catalogo(const std::string& art, const std::string& ncm, const std::string& lapi, const std::string& suf,
                  const std::string& pais) {
        e.EnAduana("insert into catarticulos (idcatalogo, idarticulo, ncm, lapi, sufijos, idpais) values ('C1', '" +
                   SqlTexto(art) + "', '" + ncm + "', '" + lapi + "', '" + suf + "', '" + pais + "')");
    }

    // ARTCAN 1 and total 100 unless told; `org` and `vin` as SQL literals.
    void Articulo(int orden, const std::string& art, const std::string& org, const std::string& vin,
                  const std::string& tipo = "ECR1", double uni = 100, double can = 1) {
        e.Trabajo("insert into ART (INTNRO, ARTORD, ARTNRO, ARTCAN, ARTUNI, ARTTOT, ARTORG, PRCORI, PRCVIN, PRCTDS) "
                  "values ('500', " + std::to_string(orden) + ", '" + SqlTexto(art) + "', " + std::to_string(can) +
                  ", " + std::to_string(uni) + ", " + std::to_string(uni * can) + ", " + org + ", " + org + ", " +
                  vin + ", '" + tipo + "')");
    }

    std::string Campo(int orden, const std::string& columna) {
        Recordset rs = e.Filas("select " + columna + " from ART where INTNRO = '500' and ARTORD = " +
                               std::to_string(orden));
        const Valor& v = rs.Fields(size_t{0});
        return v.EsNulo() ? "<null>" : v.Texto();
    }
};

} // namespace

TEST_F(Clasificacion, CadaArticuloTerminaComoCorresponde) {
    Articulo(1, "AUTO", "''", "'VIN1'");             // origin from the catalog
    Articulo(2, "AUTO", "'320'", "'VIN2'");          // imported origin kept
    Articulo(3, "AUTO", "''", "null");               // no VIN: "AM()"
    Articulo(4, "PARTE", "'320'", "null", "ECR1", 10, 5);
    Articulo(5, "PARTE", "'320'", "null", "ECR1", 0, 7); // same number and VIN as 4: classified with it
    Articulo(6, "TRECE", "''", "'V6'");
    Articulo(7, "QUINCE", "''", "null");
    Articulo(8, "SINNCM", "''", "null");
    Articulo(9, "NUEVO", "''", "null");              // not in the catalog
    Articulo(10, "O'NEIL", "''", "'V''3'");          // quotes in the values
    Articulo(11, "AUTO", "''", "'VIN11'", "ICR1");

    ASSERT_TRUE(FRAM2_GuardarDatosToBase(e.App)) << e.Op.Ultimo();
    EXPECT_TRUE(e.Op.Mensajes.empty());

    const char* columnas = "PRCNCM || '|' || ifnull(PRCLAP,'-') || '|' || ifnull(PRCSUF,'-') || '|' || "
                           "ifnull(PRCORI,'-') || '|' || ifnull(PRCDST,'-') || '|' || ifnull(PRCEUN,'-') || '|' || "
                           "ifnull(PRCSUN,'-') || '|' || ifnull(PRCEST,'-') || '|' || ifnull(PRCCRC,'-')";
    struct Caso {
        int orden;
        const char* esperado;
    } casos[] = {
        {1, "8703.23.10.100A|S|AA(TOYOTA)-AM(VIN1)-|310|-|07|-|A|OK"},
        {2, "8703.23.10.100A|S|AA(TOYOTA)-AM(VIN2)-|320|-|07|-|A|OK"},
        {3, "8703.23.10.100A|S|AA(TOYOTA)-AM()-|310|-|07|-|E|SUF"},
        {4, "8708.29.99.900K|N|AA(BOSCH)-|320|-|01|07|A|OK"},
        {5, "8708.29.99.900K|N|AA(BOSCH)-|320|-|01|07|A|CERO"},
        {6, "8703.23.10.10|N|AA(TOYOTA)-AM(V6)-||-|-|-|E|POS"},   // 13 characters: no letter, no units
        {7, "8708.29.99.900K|S|AA(BOSCH)-||-|01|07|A|OK"},      // 15 characters: no second letter, units found
        {8, "9999.99.99.999|N|SIN SUFIJOS||-|-|-|E|POS"},       // not in the nomenclator
        {10, "8703.23.10.100A|S|AA(TOYOTA)-AM(V'3)-||-|07|-|E|SUF"},
        {11, "8703.23.10.100A|S|AA(TOYOTA)-AM(VIN11)-|200|200|07|-|A|OK"},
    };
    for (const Caso& c : casos)
        EXPECT_EQ(Campo(c.orden, columnas), c.esperado) << "ARTORD " << c.orden;

    // The article not in the catalog is left alone but for the declared unit.
    EXPECT_EQ(Campo(9, "ifnull(PRCNCM,'-') || ifnull(PRCEST,'-') || ifnull(PRCCRC,'-') || PRCDUN"), "---07");
    EXPECT_EQ(e.Valor("select count(*) from ART where PRCDUN = '07'"), "11");
    // Quantities: statistical from the unit 07, specific duty from PRCSUN 07.
    EXPECT_EQ(Campo(1, "PRCECA"), "1");
    EXPECT_EQ(Campo(4, "PRCECA"), "0");
    EXPECT_EQ(Campo(4, "PRCSCA"), "5");

    EXPECT_EQ(e.Op.Estados, (std::vector<std::string>{
                                "Procesando... Etapa 2 de 4: Buscando articulos en catalogo",
                                "Procesando... Etapa 3 de 4: Actualizando datos comunes",
                                "Procesando... Etapa 4 de 4: Validando NCM...", "Procesando... validando precios",
                                "Procesando... estableciendo pais destino y proc ", "Procesando... validando sufijos",
                                "Fin de Proceso"}));
    EXPECT_FALSE(e.Op.BarraVisible);
    EXPECT_EQ(e.Op.BarraMax, 10); // the classified rows of stage 4
    EXPECT_FALSE(e.App.Db.EnTransaccion());
}

TEST_F(Clasificacion, SinCatalogoNoEscribeNada) {
    Articulo(1, "AUTO", "''", "'VIN1'");
    e.App.Config.INTCAT = "";
    EXPECT_FALSE(FRAM2_GuardarDatosToBase(e.App));
    ASSERT_EQ(e.Op.Mensajes.size(), 1u);
    EXPECT_EQ(e.Op.Ultimo(), "Falta seleccionar el CATALOGO\r\n\r\nHaga click en CONFIGURACIÓN");
    EXPECT_EQ(e.Op.Mensajes[0].Icon, Operador::Icono::Exclamacion);
    EXPECT_EQ(Campo(1, "ifnull(PRCNCM,'-') || ifnull(PRCDUN,'-') || ifnull(PRCEST,'-')"), "---");
    EXPECT_TRUE(e.Op.BarraVisible);
}

TEST_F(Clasificacion, TiposSinCatalogoSoloCompletanYValidan) {
    for (const char* tipo : {"RR01", "ICR2"}) {
        e.Trabajo("delete from ART");
        e.App.TipoDeclaracion = tipo;
        e.App.Config.INTCAT = ""; // never asked for
        Articulo(1, "AUTO", "''", "'VIN1'", tipo);
        Articulo(2, "AUTO", "''", "'VIN2'", tipo);
        e.Trabajo("update ART set PRCSUF = 'AA(X)-AM()-' where ARTORD = 2");
        // A row classified earlier under another type is still validated.
        Articulo(3, "AUTO", "''", "'VIN3'", tipo);
        e.Trabajo("update ART set PRCEST = 'A', PRCNCM = '8703.23.10.100A', PRCSUF = 'AA(X)-AM(Y)-' where ARTORD = 3");

        ASSERT_TRUE(FRAM2_GuardarDatosToBase(e.App)) << tipo << ": " << e.Op.Ultimo();
        EXPECT_EQ(Campo(1, "ifnull(PRCNCM,'-') || ifnull(PRCEST,'-') || ifnull(PRCCRC,'-') || PRCDUN"), "---07")
            << tipo;
        EXPECT_EQ(Campo(2, "ifnull(PRCEST,'-') || PRCCRC"), "-SUF") << tipo;
        EXPECT_EQ(Campo(3, "PRCEST || PRCCRC"), "AOK") << tipo;
        EXPECT_FALSE(e.Op.BarraVisible);
    }
    EXPECT_TRUE(e.Op.Mensajes.empty());
}

TEST_F(Clasificacion, UnSufijoAMSinCierreDetieneYConservaLoHecho) {
    Catalogo("B_ROTO", "8703.23.10.100", "", "AA(TOYOTA)-AM(X-", "");
    Articulo(1, "AUTO", "''", "'VIN1'");
    Articulo(2, "B_ROTO", "''", "'VIN2'");
    Articulo(3, "PARTE", "''", "null");

    EXPECT_FALSE(FRAM2_GuardarDatosToBase(e.App));
    ASSERT_EQ(e.Op.Mensajes.size(), 1u);
    const auto& m = e.Op.Mensajes[0];
    EXPECT_EQ(m.Icon, Operador::Icono::Critico);
    EXPECT_NE(m.Texto.find("\r\n\r\n1119111 - seccion [Quelvorin.frmMain.FRAM2_GuardarDatosToBase]::"
                           "ImplementarVINenSufijos.modEntidadesTarvelo.Velmarion "),
              std::string::npos)
        << m.Texto;
    // The statement quoted is the update being built for the failing article.
    EXPECT_TRUE(TerminaCon(m.Texto, "\r\n\r\nSQL:\r\nupdate ART set PRCLAP = 'S',PRCNCM = '8703.23.10.100A',"))
        << m.Texto;

    // What came before stays, committed; what comes after was not reached.
    EXPECT_FALSE(e.App.Db.EnTransaccion());
    Almacor::Gestor otra;
    otra.CadenaConexion(e.App.Db.CadenaConexion());
    otra.Conectar();
    Recordset rs;
    otra.Sql("select ARTORD, ifnull(PRCEST,'-') as est from ART order by ARTORD");
    ASSERT_TRUE(otra.CrearRs(rs));
    std::string estados;
    for (; !rs.Eof(); rs.MoveNext())
        estados += rs.Fields("est").Texto();
    EXPECT_EQ(estados, "A--");
    EXPECT_EQ(e.Op.Estados.back(), "Procesando... Etapa 2 de 4: Buscando articulos en catalogo");
}
