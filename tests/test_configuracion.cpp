// The settings dialog's logic: what it loads and what Esc saves.
#include "Entorno.h"
#include "config/Configuracion.h"
#include "platform/AppError.h"

#include <gtest/gtest.h>

namespace {

struct Configuracion : ::testing::Test {
    EntornoPrueba e;
    void SetUp() override {
        e.EnAduana("insert into unidades (id, descripcion) values ('07','UNIDAD'),('01','KILOGRAMO'),('10','LITRO')");
        e.EnAduana("insert into catalogo (idcatalogo, descripcion) values ('9','Zeta motors'),('12','Autos del Sur'),"
                   "('3','Motos')");
        // Origins the tests type, as countries of the country table.
        e.Trabajo("insert or ignore into pais (id, descripcion) values ('2A0','PRUEBA'),('AR0','PRUEBA AR')");
    }
    std::string Guardado(const std::string& clave) { return e.App.Almacen->GetSetting(clave, "<ausente>"); }
};

TEST_F(Configuracion, CargaListasOrdenadasYSeleccionGuardada) {
    e.App.Almacen->SaveSetting("INTCAT", "3");
    e.App.Almacen->SaveSetting("INTDUN", "10");
    e.App.Almacen->SaveSetting("MODELOVARIANTESINSPC", "1");
    e.App.Almacen->SaveSetting("AA_MARCA", "TOYOTA");
    FormConfig f(e.App);
    f.Form_Load();
    EXPECT_EQ(f.cboCatalogo, (std::vector<std::string>{"[12] Autos del Sur", "[3] Motos", "[9] Zeta motors"}));
    EXPECT_EQ(f.cboIdCatalogo, (std::vector<std::string>{"12", "3", "9"}));
    EXPECT_EQ(f.catalogo, 1);
    EXPECT_EQ(f.cboUnidad, (std::vector<std::string>{"KILOGRAMO", "LITRO", "UNIDAD"}));
    EXPECT_EQ(f.unidad, 1);
    EXPECT_EQ(f.chkModeloyVariantesinespacio, 1);
    EXPECT_EQ(f.txtMarca, "TOYOTA");
}

TEST_F(Configuracion, ValorGuardadoQueYaNoExisteSeleccionaElPrimero) {
    e.App.Almacen->SaveSetting("INTDUN", "99");
    e.App.Almacen->SaveSetting("INTCAT", "77");
    FormConfig f(e.App);
    f.Form_Load();
    EXPECT_EQ(f.unidad, 0);
    EXPECT_EQ(f.catalogo, 0);
    f.txtOrigen = "200";
    ASSERT_TRUE(f.GrabarySalir());
    EXPECT_EQ(Guardado("INTDUN"), "01");
    EXPECT_EQ(Guardado("INTCAT"), "12");
    EXPECT_EQ(e.App.Config.INTDUN, "01");
}

TEST_F(Configuracion, OrigenVacioNoGuardaNada) {
    FormConfig f(e.App);
    f.Form_Load();
    for (const char* origen : {"", "   "}) {
        f.txtOrigen = origen;
        f.txtMarca = "MARCA";
        EXPECT_FALSE(f.GrabarySalir());
        EXPECT_EQ(e.Op.Ultimo(), "Debe ingresar un origen por defecto");
        EXPECT_EQ(e.Op.Mensajes.back().Icon, Operador::Icono::Exclamacion);
    }
    EXPECT_EQ(Guardado("AA_MARCA"), "<ausente>");
    EXPECT_EQ(Guardado("ORIGEN"), "<ausente>");
    EXPECT_EQ(e.App.Config.AA_MARCA, "");
}

TEST_F(Configuracion, GuardaEnAlmacenYEnElProgramaEnMayusculas) {
    FormConfig f(e.App);
    f.Form_Load();
    f.txtOrigen = " 2a0 ";
    f.txtMarca = "Toyota ";
    f.catalogo = 2;
    f.unidad = 2;
    f.chkModeloyVariantesinespacio = 1;
    ASSERT_TRUE(f.GrabarySalir());
    EXPECT_EQ(Guardado("ORIGEN"), " 2A0 "); // upper-cased, blanks kept
    EXPECT_EQ(e.App.Config.ORIGEN, " 2A0 ");
    EXPECT_EQ(Guardado("AA_MARCA"), "Toyota ");
    EXPECT_EQ(Guardado("INTCAT"), "9");
    EXPECT_EQ(e.App.Config.INTCAT, "9");
    EXPECT_EQ(Guardado("INTDUN"), "07");
    EXPECT_EQ(Guardado("MODELOVARIANTESINSPC"), "1");
    EXPECT_TRUE(e.App.Config.MODELOVARIANTESINSPC);

    f.chkModeloyVariantesinespacio = 0;
    ASSERT_TRUE(f.GrabarySalir());
    EXPECT_EQ(Guardado("MODELOVARIANTESINSPC"), "0");
    EXPECT_FALSE(e.App.Config.MODELOVARIANTESINSPC);
}

TEST_F(Configuracion, AlmacenQueNoSePuedeEscribirDejaLosValoresEnUsoYAvisa) {
    FormConfig f(e.App);
    f.Form_Load();
    e.App.Almacen = std::make_unique<AlmacenAjustes>(e.Home.string()); // a folder, not a file
    f.txtOrigen = "ar0";
    f.txtMarca = "MARCA";
    f.catalogo = 0;
    f.chkModeloyVariantesinespacio = 1;
    try {
        f.GrabarySalir();
        FAIL();
    } catch (const AppError& x) {
        EXPECT_EQ(x.Description.rfind("No se pudo guardar el ajuste ORIGEN", 0), 0u) << x.Description;
    }
    EXPECT_EQ(e.App.Config.ORIGEN, "AR0");
    EXPECT_EQ(e.App.Config.INTCAT, "12");
    EXPECT_EQ(e.App.Config.AA_MARCA, "MARCA");
    EXPECT_TRUE(e.App.Config.MODELOVARIANTESINSPC);
}

TEST_F(Configuracion, ListasVaciasConservanElAjuste) {
    e.EnAduana("delete from catalogo");
    e.EnAduana("delete from unidades");
    e.App.Almacen->SaveSetting("INTCAT", "12");
    e.App.Almacen->SaveSetting("INTDUN", "07");
    e.App.Config.INTCAT = "12";
    FormConfig f(e.App);
    f.Form_Load();
    EXPECT_EQ(f.catalogo, -1);
    EXPECT_EQ(f.unidad, -1);
    f.txtOrigen = "200";
    ASSERT_TRUE(f.GrabarySalir());
    EXPECT_EQ(Guardado("INTCAT"), "12");
    EXPECT_EQ(Guardado("INTDUN"), "07");
    EXPECT_EQ(e.App.Config.INTCAT, "12");
}

TEST_F(Configuracion, RelacionesAgregarYEliminar) {
    e.Trabajo("insert into ORG (PAI, ORI, ESM) values ('JPN','323','E'),('DEU','410','N')");
    FormConfig f(e.App);
    f.Form_Load();
    ASSERT_EQ(f.lstRELPAIS.size(), 2u);
    EXPECT_EQ(f.lstRELPAIS[0].PAI, "DEU");

    // Insert starts from an empty code even after a look-up left one behind.
    e.App.Retorno1 = "410";
    std::string codigoMostrado = "<sin dialogo>";
    e.Op.AlMostrarRelPais = [&](Aplicacion& app) {
        RelacionPais::FormRelPais d(app);
        d.Form_Load();
        codigoMostrado = d.txtValor;
        d.f_Grabar("KOR", d.IndiceDe("410"), "E");
    };
    f.Ori_Nuevo();
    EXPECT_EQ(codigoMostrado, "");
    ASSERT_EQ(f.lstRELPAIS.size(), 3u);
    EXPECT_EQ(f.lstRELPAIS[2].PAI, "KOR");

    e.Op.RespuestasSiNo = {Operador::Respuesta::No, Operador::Respuesta::Si};
    EXPECT_FALSE(f.ORI_Eliminar(0));
    EXPECT_EQ(e.Op.Preguntas.back(), "Confirma eliminar la relación DEU - 410");
    EXPECT_EQ(e.Valor("select count(*) from ORG"), "3");
    EXPECT_TRUE(f.ORI_Eliminar(0));
    EXPECT_EQ(e.Valor("select count(*) from ORG where PAI = 'DEU'"), "0");
    EXPECT_EQ(f.lstRELPAIS.size(), 2u);
}

TEST_F(Configuracion, RelacionSinPaisElegidoYListaConNombres) {
    e.Trabajo("insert or ignore into pais (id, descripcion) values ('301','AFGANISTÁN'),('218','MÉXICO')");
    e.App.Retorno1 = "MEX";
    RelacionPais::FormRelPais d(e.App);
    d.Form_Load();
    // No country is taken for the operator, not even the first of the list.
    EXPECT_EQ(d.seleccion, -1);
    ASSERT_FALSE(d.cboPais.empty());
    EXPECT_FALSE(d.f_Grabar("MEX", d.seleccion, "E"));
    ASSERT_FALSE(e.Op.Mensajes.empty());
    EXPECT_EQ(e.Op.Ultimo(), "Seleccione el país de origen");
    EXPECT_EQ(e.Op.Mensajes.back().Icon, Operador::Icono::Exclamacion);
    EXPECT_EQ(e.Valor("select count(*) from ORG"), "0");

    ASSERT_TRUE(d.f_Grabar("MEX", d.IndiceDe("218"), "E"));
    e.Trabajo("insert into ORG (PAI, ORI, ESM) values ('ZZZ','999','N')");
    const auto lista = RelacionPais::ORI_CargarListado(e.App);
    ASSERT_EQ(lista.size(), 2u);
    EXPECT_EQ(lista[0].PAI + " " + lista[0].ORI + " " + lista[0].Pais, "MEX 218 MÉXICO");
    EXPECT_EQ(lista[1].Pais, ""); // a code missing from the country list
}

} // namespace
