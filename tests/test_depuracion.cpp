// Depuration against a small nomenclator: the record lists, the editor's
// checks and save, the position check, the suffix collection, the replication,
// the history with its undo, and the editar command.
#include "Entorno.h"
#include "app/Consola.h"
#include "app/OperadorConsola.h"
#include "import/ListaInternos.h"
#include "platform/Numeros.h"
#include "platform/SentenciaSql.h"
#include "review/Depuracion.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>

namespace {

using Icono = Operador::Icono;
using Depuracion::FormModificar;

class Depurar : public ::testing::Test {
protected:
    EntornoPrueba e;

    void SetUp() override {
        e.EnAduana("insert into ncm ([001],[002],[003],[012],[020],[059]) values "
                   "('8703.23.10','100','A','7','','*'), ('2204.21.00','100','X','5','5',''), "
                   "('0101.21.00','100','W','1','','')");
        e.EnAduana("insert into sufidos (sim, sufijo, detalle) values "
                   "('87  .  .  .   ','AA','MARCA'), ('87  .  .  .   ','CA01','NUEVO'), "
                   "('87  .  .  .   ','CA02','USADO'), ('8703.  .  .   ','ZA','AÑO'), "
                   "('8703.23.  .   ','AM','VIN'), ('22  .  .  .   ','AA','MARCA')");
        e.EnAduana("insert into unidades (id, descripcion) values ('01','KILOGRAMO'), ('05','LITRO'), "
                   "('07','UNIDAD'), ('0''7','CON APOSTROFO')");
        e.App.InternoActual = "100";
    }

    // An article of interno 100 as the classification leaves one with a suffix error.
    void Articulo(int ord, const std::string& nro, const std::map<std::string, std::string>& c = {}) {
        std::map<std::string, std::string> v = {{"INTNRO", "'100'"},
                                                {"ARTORD", std::to_string(ord)},
                                                {"ARTNRO", "'" + nro + "'"},
                                                {"ARTCAN", "1"},
                                                {"ARTUNI", "10"},
                                                {"ARTTOT", "10"},
                                                {"PRCCAN", "1"},
                                                {"PRCDUN", "'07'"},
                                                {"PRCEUN", "'07'"},
                                                {"PRCESM", "'1'"},
                                                {"PRCORI", "'200'"},
                                                {"PRCNCM", "'8703.23.10.100A'"},
                                                {"PRCSUF", "'AA(X)-CA01-ZA(002024)-'"},
                                                {"PRCEST", "'E'"},
                                                {"PRCCRC", "'SUF'"}};
        for (const auto& [k, x] : c)
            v[k] = x;
        SentenciaSql s("insert into ART (");
        for (const auto& [k, x] : v)
            s.Sql(k == v.begin()->first ? "" : ",").Sql(k);
        s.Sql(") values (");
        for (const auto& [k, x] : v)
            Dato(s.Sql(k == v.begin()->first ? "" : ","), x);
        e.Trabajo(s.Sql(")"));
    }

    std::string Col(int ord, const std::string& col) {
        return e.Valor(SentenciaSql("select ").Sql(col).Sql(" from ART where ARTORD = ").Numero(ord * 1LL));
    }

    // The editor on an article whose values all pass the checks.
    FormModificar Editor(int ord) {
        FormModificar f(e.App);
        EXPECT_TRUE(f.CargarDatos(std::to_string(ord)));
        f.txtPRCSUF = "AA(X)-CA01-ZA(002024)-AM(V1)-";
        return f;
    }
};

TEST_F(Depurar, ListasEligenYOrdenanComoSeDepura) {
    Articulo(7, "A", {{"PRCEST", "null"}, {"PRCCRC", "null"}, {"PRCVIN", "null"}});
    Articulo(2, "B", {{"PRCEST", "'A'"}, {"PRCCRC", "'OK'"}}); // good: never among errors
    Articulo(3, "C", {{"PRCEST", "''"}, {"PRCCRC", "'OK'"}});  // "OK" without status: to depurate
    Articulo(4, "D", {{"PRCEST", "'A'"}, {"PRCCRC", "'CERO'"}});
    Articulo(12345, "E");
    Articulo(6, "F", {{"PRCEST", "'M'"}, {"PRCCRC", "'OK'"}});
    bool ok = false;
    auto errores = Depuracion::CargarRegConErrores(e.App, &ok);
    ASSERT_TRUE(ok);
    std::vector<std::string> orden;
    for (const auto& f : errores)
        orden.push_back(f.Orden);
    // Status null first, then by status, result code and order number.
    EXPECT_EQ(orden, (std::vector<std::string>{"0007", "0003", "0004", "12345"}));
    EXPECT_EQ(errores[0].PRCVIN, "");
    EXPECT_EQ(errores[0].Colour, Depuracion::Color::RojoOscuro);
    EXPECT_EQ(errores[2].Colour, Depuracion::Color::AzulOscuro);
    // Each says why, in words.
    EXPECT_EQ(errores[0].Motivo, "No está en el catálogo. Su país no tiene relación de origen.");
    EXPECT_EQ(errores[2].Motivo, "El total o el unitario es cero.");
    EXPECT_EQ(errores[3].Motivo, "Falta el sufijo AM.");

    auto buenos = Depuracion::CargarRegOK(e.App);
    ASSERT_EQ(buenos.size(), 3u);
    EXPECT_EQ(buenos[0].Orden, "0002");
    EXPECT_EQ(buenos[2].Orden, "0006");
    EXPECT_EQ(buenos[2].Colour, Depuracion::Color::CianOscuro);
    EXPECT_EQ(buenos[0].Colour, Depuracion::Color::Normal);
    EXPECT_TRUE(buenos[0].Motivo.empty());
}

TEST_F(Depurar, VerificarDatosReglasEnOrdenConSuTexto) {
    Articulo(1, "A");
    struct Caso {
        const char* nombre;
        std::function<void(FormModificar&)> cambio;
        std::string texto;
        Icono icono;
    };
    const std::vector<Caso> casos = {
        {"sin unidad estadistica",
         [](FormModificar& f) {
             f.txtPRCNCM_Tag.clear();
             f.txtPRCDUN.clear();
         },
         "Falta información sobre la posición arancelaria.", Icono::Exclamacion},
        {"sin unidad declarada",
         [](FormModificar& f) {
             f.txtPRCDUN = "  ";
             f.txtPRCESM = "x";
         },
         "Falta ingresar unidad declarada", Icono::Exclamacion},
        {"cantidades distintas",
         [](FormModificar& f) {
             f.txtPRCECA = "3";
             f.txtPRCCAN = "5";
             f.txtPRCESM = "x";
         },
         "La Cantidad Declarada debe ser igual a la Cantidad Especifica", Icono::Exclamacion},
        {"estado",
         [](FormModificar& f) {
             f.txtPRCESM = " x ";
             f.txtPRCNCM = "9999.99.99.999Z";
         },
         "Estado de mercaderia inválida", Icono::Critico},
        {"posicion",
         [](FormModificar& f) {
             f.txtPRCNCM = "9999.99.99.999Z";
             f.txtARTCAN = "x";
         },
         "La posición es Inexistente!\r\n\r\nLa posición 9999.99.99.999Z no está en el nomenclador.",
         Icono::Exclamacion},
        {"sufijos",
         [](FormModificar& f) {
             f.txtPRCSUF = "AA(X)-";
             f.txtARTCAN = "x";
         },
         "Sufijos inválidos\r\n\r\nFaltan los sufijos AM, CA, ZA.", Icono::Exclamacion},
        {"cantidad texto",
         [](FormModificar& f) {
             f.txtARTCAN = "x";
             f.txtARTUNI = "0";
         },
         "el campo cantidad debe ser númerico", Icono::Exclamacion},
        {"unitario texto", [](FormModificar& f) { f.txtARTUNI = "1,2,3"; }, "el campo unitario debe ser númerico",
         Icono::Exclamacion},
        {"total texto", [](FormModificar& f) { f.txtARTTOT = ""; }, "el campo total debe ser númerico",
         Icono::Exclamacion},
        {"cantidad cero",
         [](FormModificar& f) {
             f.txtARTCAN = "0";
             f.txtARTTOT = "-1";
         },
         "el campo cantidad debe ser mayor a cero", Icono::Exclamacion},
        {"unitario negativo", [](FormModificar& f) { f.txtARTUNI = "-2"; }, "el campo unitario debe ser mayor a cero",
         Icono::Exclamacion},
        {"total cero", [](FormModificar& f) { f.txtARTTOT = "0.00"; }, "el campo total debe ser mayor a cero",
         Icono::Exclamacion},
        // What the declaration cannot carry, each at its rule.
        {"unidad inexistente",
         [](FormModificar& f) {
             f.txtPRCDUN = "99";
             f.txtPRCESM = "x";
         },
         "La unidad declarada 99 no existe en la tabla de unidades", Icono::Exclamacion},
        {"estado de cinco cifras",
         [](FormModificar& f) {
             f.txtPRCESM = "12345";
             f.txtPRCSUF = "AA(X)-";
         },
         "Estado de mercaderia inválida", Icono::Critico},
        {"estado con decimales", [](FormModificar& f) { f.txtPRCESM = "1.5"; }, "Estado de mercaderia inválida",
         Icono::Critico},
        {"estado de 5000 cifras", [](FormModificar& f) { f.txtPRCESM = std::string(5000, '1'); },
         "Estado de mercaderia inválida", Icono::Critico},
        {"valor de sufijo largo",
         [](FormModificar& f) {
             f.txtPRCSUF = "AA(" + std::string(22, 'M') + ")-CA01-ZA(002024)-AM(V1)-";
             f.txtARTCAN = "x";
         },
         "Sufijos inválidos\r\n\r\nEl valor del sufijo AA tiene 22 caracteres; admite hasta 21.", Icono::Exclamacion},
        {"unitario que se guarda cero", [](FormModificar& f) { f.txtARTUNI = "0.000001"; },
         "el campo unitario debe ser mayor a cero", Icono::Exclamacion},
        {"total que se guarda cero", [](FormModificar& f) { f.txtARTTOT = "0.004"; },
         "el campo total debe ser mayor a cero", Icono::Exclamacion},
        {"cantidad de once cifras",
         [](FormModificar& f) {
             f.txtARTCAN = "10000000000";
             f.txtARTUNI = "0";
         },
         "el campo cantidad es demasiado grande", Icono::Exclamacion},
        {"cantidad que redondea a once cifras", [](FormModificar& f) { f.txtARTCAN = "9999999999.999"; },
         "el campo cantidad es demasiado grande", Icono::Exclamacion},
        {"unitario de 10^18", [](FormModificar& f) { f.txtARTUNI = "1000000000000000000"; },
         "el campo unitario es demasiado grande", Icono::Exclamacion},
        {"total de 321 cifras", [](FormModificar& f) { f.txtARTTOT = "1" + std::string(320, '0'); },
         "el campo total es demasiado grande", Icono::Exclamacion},
        {"cantidad de 321 cifras", [](FormModificar& f) { f.txtARTCAN = "1" + std::string(320, '0'); },
         "el campo cantidad es demasiado grande", Icono::Exclamacion},
    };
    for (const Caso& c : casos) {
        FormModificar f = Editor(1);
        c.cambio(f);
        e.Op.Mensajes.clear();
        EXPECT_FALSE(f.VerificarDatos()) << c.nombre;
        ASSERT_EQ(e.Op.Mensajes.size(), 1u) << c.nombre;
        EXPECT_EQ(e.Op.Mensajes[0].Texto, c.texto) << c.nombre;
        EXPECT_EQ(e.Op.Mensajes[0].Icon, c.icono) << c.nombre;
    }
    FormModificar f = Editor(1);
    EXPECT_TRUE(f.VerificarDatos()) << e.Op.Ultimo();
    // The largest values the declaration carries still pass.
    f.txtARTCAN = "9999999999";
    f.txtARTUNI = "999999999999999";
    f.txtARTTOT = "0.005";
    f.txtPRCSUF = "AA(" + std::string(21, 'M') + ")-CA01-ZA(002024)-AM(V1)-";
    EXPECT_TRUE(f.VerificarDatos()) << e.Op.Ultimo();
}

TEST_F(Depurar, PosicionDeCatorceCaracteresTomaLaLetraDelNomenclador) {
    // Two rows share 0101.21.00 and 100: the one whose letter the check
    // formula gives (W) is the position, whichever comes first.
    e.EnAduana("delete from ncm where [001] = '0101.21.00'");
    e.EnAduana("insert into ncm ([001],[002],[003],[012],[020],[059]) values "
               "('0101.21.00','100','B','9','',''), ('0101.21.00','100','W','1','','')");
    Articulo(1, "A", {{"PRCLAP", "'S'"}, {"PRCCRC", "'OK'"}});
    struct Caso {
        const char* tecleado;
        std::string devuelta, caja, unidad, mensaje;
    } casos[] = {
        {"8703.23.10.100", "8703.23.10.100A", "8703.23.10.100A", "07", ""},
        {"0101,21,00,100", "0101.21.00.100W", "0101.21.00.100W", "01", "No se encontro Sufijo en el nomenclador"},
        {"8703.23.10.999", "", "8703.23.10.999", "07", "Posición no encontrada en Nomenclador"},
    };
    for (const Caso& c : casos) {
        FormModificar f = Editor(1);
        e.Op.Mensajes.clear();
        e.Op.Opciones = {{"CA", "CA01"}};
        e.Op.Entradas = {"M", "2024", "V"};
        f.txtPRCNCM = c.tecleado;
        EXPECT_EQ(f.ProcesarNCM(f.txtPRCNCM), c.devuelta) << c.tecleado;
        EXPECT_EQ(f.txtPRCNCM, c.caja) << c.tecleado;
        EXPECT_EQ(f.txtPRCNCM_Tag, c.unidad) << c.tecleado;
        EXPECT_EQ(e.Op.Ultimo(), c.mensaje) << c.tecleado;
    }

    // Typed and saved without the check: completed, with the units and LAPI
    // mark of its own row, not of the position the article had.
    {
        FormModificar f = Editor(1);
        EXPECT_EQ(f.lbPRCLAP_Tag, "S");
        f.txtPRCNCM = "0101.21.00.100";
        f.txtPRCSUF = "SIN SUFIJOS";
        f.txtPRCDUN = "01";
        f.txtPRCECA = "0";
        ASSERT_EQ(f.GrabarDatos(), Resultado::Hecho) << e.Op.Ultimo();
        EXPECT_EQ(Col(1, "PRCNCM || '|' || PRCEUN || '|' || PRCLAP"), "0101.21.00.100W|01|N");
        EXPECT_EQ(Col(1, "PRCECA"), "1");
    }
    // A 15-character position typed without the check gets its row's units too.
    {
        FormModificar f = Editor(1);
        f.txtPRCNCM = "8703.23.10.100A";
        f.txtPRCDUN = "07";
        ASSERT_EQ(f.GrabarDatos(), Resultado::Hecho) << e.Op.Ultimo();
        EXPECT_EQ(Col(1, "PRCNCM || '|' || PRCEUN || '|' || PRCLAP"), "8703.23.10.100A|07|S");
    }
    // One the check did not find is never saved.
    for (const char* mala : {"8703.23.10.999", "8703.23.10.100Q"}) {
        FormModificar f = Editor(1);
        f.txtPRCNCM = mala;
        e.Op.Mensajes.clear();
        EXPECT_EQ(f.GrabarDatos(), Resultado::Detenido) << mala;
        EXPECT_EQ(e.Op.Ultimo().rfind("La posición es Inexistente!", 0), 0u) << e.Op.Ultimo();
        EXPECT_EQ(Col(1, "PRCNCM"), "8703.23.10.100A") << mala;
    }
}

TEST_F(Depurar, EditarRechazaLoQueLaDeclaracionNoAdmite) {
    Articulo(1, "A", {{"PRCVIN", "'VIN1'"}});
    e.Trabajo("insert into INTN (INTNRO, INTDSC) values ('100', 'Prueba')");
    const std::string sufijos = "AA(X)-CA01-ZA(002024)-AM(V1)-";
    struct Caso {
        std::vector<std::string> args;
        std::string mensaje;
    } casos[] = {
        {{"--unidad-declarada", "99"}, "La unidad declarada 99 no existe en la tabla de unidades"},
        {{"--estado-mercaderia", "12345"}, "CRITICO: Estado de mercaderia inválida"},
        {{"--sufijos", "AA(" + std::string(300, 'M') + ")-CA01-ZA(002024)-AM(V1)-"},
         "Sufijos inválidos\n\nEl valor del sufijo AA tiene 300 caracteres; admite hasta 21."},
        {{"--unitario", "1000000000000000000"}, "el campo unitario es demasiado grande"},
        {{"--unitario", "0.000001"}, "el campo unitario debe ser mayor a cero"},
        {{"--posicion", "8703.23.10.999"}, "La posición es Inexistente!"},
    };
    for (const Caso& c : casos) {
        std::vector<std::string> args = {"editar", "100", "1"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        if (c.args[0] != "--sufijos")
            args.insert(args.end(), {"--sufijos", sufijos});
        EXPECT_EQ(e.Cli(args), 1) << c.mensaje;
        EXPECT_NE(e.SalidaCli.find(c.mensaje), std::string::npos) << e.SalidaCli;
        EXPECT_EQ(Col(1, "PRCEST"), "E") << c.mensaje;
    }
    // A 14-character position is stored with its letter.
    EXPECT_EQ(e.Cli({"editar", "100", "1", "--posicion", "8703.23.10.100", "--valor", "AA=M", "--valor", "ZA=2024",
                     "--valor", "AM=VIN1", "--opcion", "CA=CA01"}),
              0)
        << e.SalidaCli;
    EXPECT_NE(e.SalidaCli.find("guardado (8703.23.10.100A AA(M)-CA01-ZA(002024)-AM(VIN1)-)"), std::string::npos)
        << e.SalidaCli;
    EXPECT_EQ(Col(1, "PRCNCM"), "8703.23.10.100A");
}

TEST(OperadorConsolaValores, EnElTerminalVacioTomaElDefectoYGuionNada) {
    struct Caso {
        const char* linea;
        const char* defecto;
        std::string respuesta;
    } casos[] = {
        {"", "ORVANTA", "ORVANTA"}, {"   ", "ORVANTA", "ORVANTA"}, {"-", "ORVANTA", ""},
        {" - ", "ORVANTA", ""},     {"OTRA", "ORVANTA", "OTRA"},   {"", "", ""},
        {"--", "X", "--"},
    };
    for (const Caso& c : casos) {
        std::istringstream entrada(std::string(c.linea) + "\n");
        std::streambuf* antes = std::cin.rdbuf(entrada.rdbuf());
        std::ostringstream out, err;
        OperadorConsola op(out, err);
        op.Terminal = true;
        std::string r = op.InputBox("AA", "AA - MARCA", "Ingrese Valor", c.defecto);
        std::cin.rdbuf(antes);
        EXPECT_EQ(r, c.respuesta) << "\"" << c.linea << "\"";
        EXPECT_NE(err.str().find(std::string("[") + c.defecto + "]"), std::string::npos) << err.str();
    }
    // A value given on the command line is taken as it is, even empty.
    std::ostringstream out, err;
    OperadorConsola op(out, err);
    op.Valores["AA"] = "";
    EXPECT_EQ(op.InputBox("AA", "AA - MARCA", "Ingrese Valor", "ORVANTA"), "");
}

TEST_F(Depurar, NumerosConSusDecimalesYCantidadesComoSeEscribieron) {
    struct Muestra {
        double valor;
        int maximo;
        const char* texto;
    } muestras[] = {{5, 15, "05.00"},          {12.5, 15, "12.50"},   {213.7709, 5, "213.7709"},
                    {0.123456, 5, "00.12346"}, {1.234, 15, "01.234"}, {0.1234567, 15, "00.1234567"}};
    for (const Muestra& m : muestras)
        EXPECT_EQ(Depuracion::Mostrar(m.valor, m.maximo), m.texto) << m.valor;

    Articulo(1, "A",
             {{"ARTUNI", "213.7709"},
              {"ARTTOT", "427.5418"},
              {"ARTCAN", "2"},
              {"PRCCAN", "1.234"},
              {"PRCECA", "1.234"},
              {"PRCDUN", "'01'"}});
    FormModificar f = Editor(1);
    EXPECT_EQ(f.txtARTUNI, "213.7709");
    EXPECT_EQ(f.txtARTTOT, "427.5418");
    EXPECT_EQ(f.txtPRCCAN, "01.234");
    // Only the suffixes change: every number stays as it was stored.
    ASSERT_EQ(f.GrabarDatos(), Resultado::Hecho) << e.Op.Ultimo();
    EXPECT_EQ(Col(1, "ARTUNI || '|' || ARTTOT || '|' || PRCCAN || '|' || PRCECA"), "213.7709|427.54|1.234|1.234");
    EXPECT_EQ(e.Valor("select count(*) from HIST where COLUMNA in ('ARTUNI', 'PRCCAN', 'PRCECA')"), "0");

    // Typed: the declared and statistical quantities as typed, the prices with their patterns.
    FormModificar g = Editor(1);
    g.txtPRCCAN = "1.23456789";
    g.txtPRCECA = "7.125";
    g.txtARTUNI = "1.234567";
    g.txtARTCAN = "2.004";
    ASSERT_EQ(g.GrabarDatos(), Resultado::Hecho) << e.Op.Ultimo();
    EXPECT_EQ(Col(1, "typeof(PRCCAN) || '|' || PRCCAN || '|' || PRCECA || '|' || ARTUNI || '|' || ARTCAN"),
              "real|1.23456789|7.125|1.23457|2.0");
}

TEST_F(Depurar, CantidadEstadisticaYDerechoEspecifico) {
    Articulo(1, "A", {{"PRCECA", "0"}, {"PRCCAN", "4"}});
    FormModificar f = Editor(1);
    ASSERT_TRUE(f.VerificarDatos());
    EXPECT_EQ(f.txtPRCECA, f.txtPRCCAN); // same units: the declared quantity is copied
    ASSERT_EQ(f.GrabarDatos(), Resultado::Hecho) << e.Op.Ultimo();
    EXPECT_EQ(Col(1, "PRCECA"), "4");
    // Without specific duty neither PRCSUN nor PRCSCA is written.
    EXPECT_EQ(Col(1, "PRCSUN"), "");
    EXPECT_EQ(Col(1, "typeof(PRCSCA)"), "real");

    Articulo(2, "W",
             {{"PRCNCM", "'2204.21.00.100X'"},
              {"PRCSUF", "'AA(V)-'"},
              {"PRCEUN", "'05'"},
              {"PRCDUN", "'05'"},
              {"PRCSUN", "'05'"},
              {"PRCSCA", "0"},
              {"PRCECA", "2"},
              {"PRCCAN", "2"}});
    FormModificar w(e.App);
    ASSERT_TRUE(w.CargarDatos("2"));
    EXPECT_TRUE(w.PRCSCAVisible);
    EXPECT_EQ(w.lbPRCSUN, "Derecho Especifico [05]");
    w.txtPRCSCA = "abc";
    EXPECT_FALSE(w.VerificarDatos());
    EXPECT_EQ(e.Op.Ultimo(), "Debe ingresar un valor númerico en el campo Der Especifico");
    w.txtPRCSCA = "0";
    ASSERT_TRUE(w.VerificarDatos()) << e.Op.Ultimo();
    EXPECT_EQ(w.txtPRCSCA, w.txtPRCECA); // same unit, zero duty quantity: the statistical quantity
    ASSERT_EQ(w.GrabarDatos(), Resultado::Hecho) << e.Op.Ultimo();
    EXPECT_EQ(Col(2, "PRCSCA"), "2");
    EXPECT_EQ(Col(2, "PRCSUN"), "05");
}

TEST_F(Depurar, GrabarGuardaNumerosComoNumerosEnCualquierLocale) {
    for (char separador : {',', '.'}) {
        FijarSeparadorDecimal(separador);
        e.Trabajo("delete from ART");
        Articulo(1, "A");
        FormModificar f = Editor(1);
        EXPECT_EQ(f.txtARTUNI, separador == ',' ? "10,00" : "10.00");
        f.txtARTUNI = separador == ',' ? "12,5" : "12.5";
        f.txtARTCAN = "2.004";
        f.txtPRCNCM = "8703,23,10,100A"; // typed with commas: stored dotted
        f.txtPRCDUN = "0'7";             // an apostrophe stays an apostrophe
        f.txtPRCNCM_Tag = "0'7";
        // The statement that runs, the same text in either locale.
        ASSERT_TRUE(f.VerificarDatos()) << e.Op.Ultimo();
        EXPECT_EQ(f.SentenciaGrabar().TextoSql(),
                  "update ART set PRCNCM = '8703.23.10.100A', PRCLAP = '', PRCSUF = 'AA(X)-CA01-ZA(002024)-AM(V1)-', "
                  "PRCDUN = '0''7', PRCEUN = '0''7', PRCECA = 1, ARTCAN = 02.00, ARTUNI = 12.50000, ARTTOT = 10.00, "
                  "PRCESM = '1', PRCORI = '200', PRCCAN = 1,PRCEST = 'M', PRCCRC = 'OK' where ARTORD = 1 and "
                  "INTNRO = '100' ");
        ASSERT_EQ(f.GrabarDatos(), Resultado::Hecho) << e.Op.Ultimo();
        EXPECT_EQ(Col(1, "typeof(ARTUNI)"), "real");
        EXPECT_EQ(Col(1, "ARTUNI = 12.5"), "1");
        EXPECT_EQ(Col(1, "ARTCAN = 2"), "1"); // two decimals
        EXPECT_EQ(Col(1, "PRCNCM"), "8703.23.10.100A");
        EXPECT_EQ(Col(1, "PRCDUN"), "0'7");
        EXPECT_EQ(Col(1, "PRCEST || PRCCRC"), "MOK");
        EXPECT_EQ(e.App.Retorno1, "OK");
        FormModificar otra(e.App);
        otra.CargarDatos("1");
        EXPECT_EQ(otra.txtARTUNI, separador == ',' ? "12,50" : "12.50");
    }
    FijarSeparadorDecimal('.');
}

TEST_F(Depurar, CorregirSoloElPrecioConservaLaMarcaLapi) {
    Articulo(1, "A", {{"PRCEST", "'A'"}, {"PRCCRC", "'CERO'"}, {"PRCLAP", "'S'"}, {"ARTUNI", "0"}, {"ARTTOT", "0"}});
    Articulo(2, "B", {{"PRCLAP", "null"}});
    FormModificar f = Editor(1);
    EXPECT_TRUE(f.lbPRCLAPVisible);
    f.txtARTUNI = "25000";
    f.txtARTTOT = "25000";
    ASSERT_EQ(f.GrabarDatos(), Resultado::Hecho) << e.Op.Ultimo();
    EXPECT_EQ(Col(1, "PRCLAP || PRCCRC"), "SOK");
    FormModificar g = Editor(2);
    EXPECT_EQ(g.lbPRCLAP_Tag, ""); // nothing known yet: the position check decides
}

TEST_F(Depurar, SinPaisPreguntaYGuardaOrigenVacio) {
    Articulo(1, "A");
    FormModificar f = Editor(1);
    ASSERT_GE(f.cboPRCORI_Indice, 0);
    EXPECT_EQ(f.cboidPRCORI[static_cast<size_t>(f.cboPRCORI_Indice)], "200");
    f.cboPRCORI_Indice = -1;
    e.Op.RespuestasSiNo = {Operador::Respuesta::No};
    EXPECT_EQ(f.GrabarDatos(), Resultado::Detenido);
    EXPECT_EQ(e.Op.IdsPreguntas.back(), Operador::Preguntas::SinPais);
    EXPECT_EQ(Col(1, "PRCEST"), "E"); // nothing written
    e.Op.RespuestasSiNo = {Operador::Respuesta::Si};
    EXPECT_EQ(f.GrabarDatos(), Resultado::Hecho);
    EXPECT_EQ(Col(1, "PRCORI"), "");
}

TEST_F(Depurar, ControlDePosicion) {
    Articulo(1, "A", {{"PRCEUN", "''"}, {"PRCCRC", "'POS'"}});
    FormModificar f(e.App);
    ASSERT_TRUE(f.CargarDatos("1"));
    // No unit: the save must wait for the position check.
    EXPECT_FALSE(f.VerificarDatos());
    EXPECT_EQ(e.Op.Ultimo(), "Falta información sobre la posición arancelaria.");

    for (const char* mala : {"8703.23.10.10", "8703.23.10.100AB"}) {
        e.Op.Mensajes.clear();
        EXPECT_EQ(f.ProcesarNCM(mala), "");
        EXPECT_EQ(e.Op.Ultimo(), "Error en la estructura de la posición");
    }
    // Not found: the editor keeps what it showed.
    e.Op.Mensajes.clear();
    EXPECT_EQ(f.ProcesarNCM("8703.23.10.900U"), "");
    EXPECT_EQ(e.Op.Ultimo(), "Posición no encontrada en Nomenclador");
    EXPECT_EQ(f.txtPRCNCM_Tag, "");
    EXPECT_EQ(f.txtPRCSUF, "AA(X)-CA01-ZA(002024)-");

    // Commas are taken as dots; a unit read as 1 is "01"; suffixes collected anew.
    f.txtPRCNCM = "0101,21,00,100W";
    EXPECT_EQ(f.ProcesarNCM(f.txtPRCNCM), "0101.21.00.100W");
    EXPECT_EQ(f.txtPRCNCM, "0101,21,00,100W"); // the box keeps what was typed
    EXPECT_EQ(f.txtPRCNCM_Tag, "01");
    EXPECT_EQ(f.lbPRCEUN, "Unidad Estadistica [01]");
    EXPECT_EQ(f.txtPRCSUF, "SIN SUFIJOS");
    EXPECT_EQ(e.Op.Ultimo(), "No se encontro Sufijo en el nomenclador");
    EXPECT_FALSE(f.PRCSCAVisible);
    EXPECT_EQ(f.lbPRCLAP_Tag, "N");

    // Specific duty and LAPI follow the nomenclator.
    e.Op.Entradas = {"MARCA"};
    EXPECT_EQ(f.ProcesarNCM("2204.21.00.100X"), "2204.21.00.100X");
    EXPECT_TRUE(f.PRCSCAVisible);
    EXPECT_EQ(f.lbPRCSUN, "Unidad Der Especif [05]");
    EXPECT_EQ(f.txtPRCSCA_Tag, "5");
    EXPECT_EQ(f.lbPRCSUN_Tag, "05");
    EXPECT_EQ(f.txtPRCSUF, "AA(MARCA)-");
    e.Op.Opciones = {{"CA", "CA02"}};
    e.Op.Entradas = {"M", "2024", "V"};
    f.txtNroVin = "VIN123";
    EXPECT_EQ(f.ProcesarNCM("8703.23.10.100A"), "8703.23.10.100A");
    EXPECT_FALSE(f.PRCSCAVisible);
    EXPECT_EQ(f.lbPRCLAP_Tag, "S");
    EXPECT_TRUE(f.lbPRCLAPVisible);
}

TEST_F(Depurar, RecoleccionDeSufijos) {
    Articulo(1, "MODELO X");
    e.App.Config.AA_MARCA = "ORVANTA";
    using R = Operador::Respuesta;
    // Groups come as the nomenclator returns them: AA and CA (chapter), ZA (heading), AM (subheading).
    struct Caso {
        const char* nombre;
        std::deque<std::string> entradas;
        std::map<std::string, std::string> opciones;
        std::deque<R> cancelar;
        std::string resultado;
    } casos[] = {
        {"valores y opcion", {"marca-(x)", "42", "vin"}, {{"CA", "CA01"}}, {}, "AA(MARCA  X)-CA01-ZA(000042)-AM(VIN)-"},
        {"ninguna opcion", {"M", "42", "V"}, {{"CA", "CA00"}}, {}, "AA(M)-CA00-ZA(000042)-AM(V)-"},
        {"siete cifras", {"M", "1234567", "V"}, {{"CA", "CA01"}}, {}, "AA(M)-CA01-ZA(123456)-AM(V)-"},
        {"largo",
         {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "1", "V"},
         {{"CA", "CA01"}},
         {},
         "AA(ABCDEFGHIJKLMNOPQRSTU)-CA01-ZA(000001)-AM(V)-"},
        {"cancelar valor", {"M", ""}, {{"CA", "CA01"}}, {R::Si}, ""},
        {"picker cerrado", {"M"}, {}, {}, ""},
        {"numero no numerico", {"M", "abc", "7", "V"}, {{"CA", "CA02"}}, {}, "AA(M)-CA02-ZA(000007)-AM(V)-"},
        {"vacio y seguir", {"", "M", "7", "V"}, {{"CA", "CA02"}}, {R::No}, "AA(M)-CA02-ZA(000007)-AM(V)-"},
    };
    for (const Caso& c : casos) {
        FormModificar f(e.App);
        ASSERT_TRUE(f.CargarDatos("1"));
        e.Op.Entradas = c.entradas;
        e.Op.Opciones = c.opciones;
        e.Op.RespuestasSiNo = c.cancelar;
        e.Op.Mensajes.clear();
        EXPECT_EQ(f.VerificarSufijos("8703.23.10.100A", "", 1), c.resultado) << c.nombre;
        EXPECT_TRUE(e.Op.Entradas.empty()) << c.nombre;
        if (std::string(c.nombre) == "numero no numerico") {
            EXPECT_EQ(e.Op.Mensajes.at(0).Texto, "Debe Ingresar un Valor Númerico");
        }
        if (std::string(c.nombre) == "picker cerrado") {
            EXPECT_EQ(e.Op.Ultimo(), "Error en generar sufijos");
        }
    }

    // Defaults: the brand setting and the VIN's first nine characters without
    // previous suffixes, the previous values otherwise.
    FormModificar f(e.App);
    ASSERT_TRUE(f.CargarDatos("1"));
    f.txtNroVin = "8AJBA3FS0R0123456";
    e.Op.Opciones = {{"CA", "CA02"}};
    e.Op.Entradas = {"<defecto>", "1", "<defecto>"};
    e.Op.Defectos.clear();
    EXPECT_EQ(f.VerificarSufijos("8703.23.10.100A", "", 1), "AA(ORVANTA)-CA02-ZA(000001)-AM(8AJBA3FS0)-");
    e.Op.Entradas = {"<defecto>", "<defecto>", "<defecto>"};
    EXPECT_EQ(f.VerificarSufijos("8703.23.10.100A", "AA(PREVIA)-AM(Q)-CA01-ZA(002020)-", 1),
              "AA(PREVIA)-CA02-ZA(002020)-AM(Q)-");
    EXPECT_EQ(e.Op.Defectos, (std::vector<std::string>{"ORVANTA", "", "8AJBA3FS0", "PREVIA", "002020", "Q"}));

    // Only options chosen: still ends with "-". A value code of another letter
    // before any A or Z is text, never an endless question.
    e.EnAduana("insert into sufidos (sim, sufijo, detalle) values ('01  .  .  .   ','QB01','OPCION'), "
               "('0101.21.00.100','QC','OTRO')");
    e.Op.Opciones = {{"QB", "QB01"}};
    e.Op.Entradas = {"libre texto"};
    EXPECT_EQ(f.VerificarSufijos("0101.21.00.100W", "", 1), "QB01-QC(LIBRE TEXTO)-");
    e.EnAduana("delete from sufidos where sufijo = 'QC'");
    EXPECT_EQ(f.VerificarSufijos("0101.21.00.100W", "", 1), "QB01-");
}

TEST_F(Depurar, ReplicacionALosIgualesSinTocar) {
    Articulo(1, "A");
    Articulo(2, "A", {{"PRCEST", "null"}, {"PRCCRC", "null"}, {"PRCSUF", "null"}, {"PRCECA", "0"}, {"PRCCAN", "3"}});
    Articulo(3, "A", {{"PRCEST", "''"}, {"PRCVIN", "''"}});
    Articulo(4, "A", {{"PRCEST", "null"}, {"PRCVIN", "'VIN4'"}});
    Articulo(5, "A", {{"PRCEST", "'M'"}, {"PRCCRC", "'OK'"}, {"PRCSUF", "'MANO-'"}});
    Articulo(6, "A", {{"PRCEST", "'R'"}, {"PRCCRC", "'OK'"}, {"PRCSUF", "'ANTES-'"}});
    Articulo(7, "B", {{"PRCEST", "null"}});
    FormModificar f = Editor(1);
    ASSERT_EQ(f.GrabarDatos(), Resultado::Hecho) << e.Op.Ultimo();
    EXPECT_EQ(f.SentenciaReplicar().TextoSql(),
              "update ART set PRCNCM = '8703.23.10.100A',PRCLAP = '',PRCSUF = 'AA(X)-CA01-ZA(002024)-AM(V1)-',"
              "PRCEST = 'R',PRCCRC = 'OK',PRCEUN = '07' where INTNRO = '100' and ARTNRO = 'A' and (PRCEST = '' or "
              "PRCEST IS NULL)and (PRCVIN = '' or PRCVIN IS NULL)");
    EXPECT_EQ(e.Op.Ultimo(), "Se replico la modificiación a 2 articulos A");
    EXPECT_EQ(e.Op.Mensajes.back().Icon, Icono::Informacion);
    for (int ord : {2, 3}) {
        EXPECT_EQ(Col(ord, "PRCEST || PRCCRC"), "ROK") << ord;
        EXPECT_EQ(Col(ord, "PRCSUF"), f.txtPRCSUF) << ord;
    }
    EXPECT_EQ(Col(2, "PRCECA"), "3"); // same units: declared quantity taken as statistical
    EXPECT_EQ(Col(4, "PRCEST"), "");  // has a VIN
    EXPECT_EQ(Col(5, "PRCSUF"), "MANO-");
    EXPECT_EQ(Col(6, "PRCSUF"), "ANTES-");
    EXPECT_EQ(Col(7, "PRCEST"), "");

    // Nothing left to replicate: no message (only the question about the
    // vehicle, answered No), the quantity steps still run.
    e.Trabajo("update ART set PRCECA = 0, PRCCAN = 9 where ARTORD = 6");
    e.Op.Mensajes.clear();
    FormModificar g = Editor(5);
    ASSERT_EQ(g.GrabarDatos(), Resultado::Hecho) << e.Op.Ultimo();
    ASSERT_EQ(e.Op.Mensajes.size(), 1u) << e.Op.Ultimo();
    EXPECT_EQ(e.Op.Mensajes[0].Icon, Icono::Pregunta);
    EXPECT_EQ(Col(6, "PRCECA"), "9");

    // Model and variant: the others keep their suffixes.
    e.App.Config.MODELOVARIANTESINSPC = true;
    Articulo(8, "C V1");
    Articulo(9, "C", {{"PRCEST", "null"}, {"PRCSUF", "'PROPIO-'"}});
    FormModificar h(e.App);
    ASSERT_TRUE(h.CargarDatos("8"));
    EXPECT_EQ(h.txtARTNRO, "C");
    EXPECT_EQ(h.txtARTNRO_Tag, "C V1");
    h.txtPRCSUF = "AA(X)-CA01-ZA(002024)-AM(V1)-";
    ASSERT_EQ(h.GrabarDatos(), Resultado::Hecho) << e.Op.Ultimo();
    e.App.InternoActual = "1'00";
    h.PRCSCAVisible = true;
    h.txtPRCSCA_Tag = "0'1";
    EXPECT_EQ(h.SentenciaReplicar().TextoSql(),
              "update ART set PRCNCM = '8703.23.10.100A',PRCLAP = '',PRCEST = 'R',PRCCRC = 'OK',PRCEUN = '07' , "
              "PRCSUN = '0''1' where INTNRO = '1''00' and ARTNRO = 'C' and (PRCEST = '' or PRCEST IS NULL)and "
              "(PRCVIN = '' or PRCVIN IS NULL)");
    e.App.InternoActual = "100";
    EXPECT_EQ(Col(9, "PRCEST"), "R");
    EXPECT_EQ(Col(9, "PRCSUF"), "PROPIO-");
}

// The vehicles of the edited number: asked about, each takes the correction
// with its own VIN as its VIN suffix, in both settings; nobody else is reached,
// and one undo takes back the save and both replications.
TEST_F(Depurar, ReplicacionALosVehiculosConSuPropioVin) {
    struct Caso {
        const char* nombre;
        bool variantes;     // MODELOVARIANTESINSPC
        bool si;            // the answer to the vehicles question
        const char* sufijo; // the editor's suffix text
        const char* vin2;   // article 2's suffix text after a Yes
        const char* vin3;
    };
    const Caso casos[] = {
        {"primeros 9", false, true, "AA(X)-AM(V1)-CA01-ZA(002024)-", "AA(X)-AM(JRVUHBKW7)-CA01-ZA(002024)-",
         "AA(X)-AM(AB  X 9 Z)-CA01-ZA(002024)-"},
        {"VIN entero", true, true, "AA(X)-CA01-ZA(002024)-AM(V1)-", "AA(X)-CA01-ZA(002024)-AM(JRVUHBKW7RK534991)-",
         "AA(X)-CA01-ZA(002024)-AM(AB  X 9 Z12)-"},
        {"VIN primero", false, true, "AM(V1)-AA(X)-CA01-ZA(002024)-", "AM(JRVUHBKW7)-AA(X)-CA01-ZA(002024)-",
         "AM(AB  X 9 Z)-AA(X)-CA01-ZA(002024)-"},
        {"No", false, false, "AA(X)-CA01-ZA(002024)-AM(V1)-", "", ""},
    };
    const std::string todas = "select group_concat(ARTORD || ':' || quote(PRCNCM) || quote(PRCSUF) || quote(PRCEST) || "
                              "quote(PRCCRC) || quote(PRCECA), '|') from ART order by ARTORD";
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        e.Trabajo("delete from ART");
        e.App.Config.MODELOVARIANTESINSPC = c.variantes;
        const auto nuevo = [](const char* vin) {
            return std::map<std::string, std::string>{{"PRCEST", "null"}, {"PRCCRC", "null"}, {"PRCSUF", "null"},
                                                      {"PRCNCM", "null"}, {"PRCECA", "0"},    {"PRCCAN", "4"},
                                                      {"PRCVIN", vin},    {"PRCEUN", "null"}};
        };
        Articulo(1, "A", {{"PRCVIN", "'EDITADO12345'"}, {"PRCEST", "null"}});
        Articulo(2, "A", nuevo("'JRVUHBKW7RK534991'"));
        Articulo(3, "A", nuevo("'ab-(x)9 z12'")); // typed into a value question, this would be cleaned
        Articulo(4, "A", nuevo("'SINVIN'"));
        e.Trabajo("update ART set PRCEST = 'M' where ARTORD = 4");
        for (int ord : {5, 6, 7})
            Articulo(ord, "A", {{"PRCVIN", "'TOCADO'"}, {"PRCEST", ord == 5 ? "'R'" : ord == 6 ? "'A'" : "'E'"}});
        Articulo(8, "A B", nuevo("'OTRONUMERO'")); // another number, the same model
        Articulo(9, "B", nuevo("'OTRO'"));
        Articulo(10, "A", nuevo("null")); // no VIN: the ordinary replication's
        const std::string antes = e.Valor(todas);
        const auto Fila = [&](int ord) {
            return e.Valor(SentenciaSql("select quote(PRCNCM) || quote(PRCSUF) || quote(PRCEST) || quote(PRCCRC) "
                                        "from ART where ARTORD = ")
                               .Numero(ord * 1LL));
        };
        std::map<int, std::string> filaAntes;
        for (int ord : {4, 5, 6, 7, 8, 9})
            filaAntes[ord] = Fila(ord);

        e.Op.Mensajes.clear();
        e.Op.IdsPreguntas.clear();
        e.Op.RespuestasSiNo = {c.si ? Operador::Respuesta::Si : Operador::Respuesta::No};
        FormModificar f = Editor(1);
        f.txtPRCSUF = c.sufijo;
        ASSERT_EQ(f.GrabarDatos(), Resultado::Hecho) << e.Op.Ultimo();
        ASSERT_EQ(e.Op.IdsPreguntas, std::vector<std::string>{Operador::Preguntas::ReplicarVehiculos});
        EXPECT_EQ(e.Op.Preguntas.back(), "¿Replicar la corrección a los 2 vehículos de A, cada uno con su propio VIN?");
        EXPECT_EQ(f.Vehiculos(), c.si ? 2 : 0);
        EXPECT_EQ(f.Replicados(), 1);
        const bool vehiculos = e.Op.Ultimo().find("Se replicó la corrección a 2 vehículos de A") != std::string::npos;
        EXPECT_EQ(vehiculos, c.si) << e.Op.Ultimo();
        EXPECT_NE(e.Op.Ultimo().find("Se replico la modificiación a 1 articulos A"), std::string::npos);
        if (c.si) {
            EXPECT_EQ(Col(2, "PRCSUF"), c.vin2);
            EXPECT_EQ(Col(3, "PRCSUF"), c.vin3);
            for (int ord : {2, 3}) {
                EXPECT_EQ(Col(ord, "PRCEST || PRCCRC"), "ROK") << ord;
                for (const char* col : {"PRCNCM", "PRCEUN", "quote(PRCLAP)"})
                    EXPECT_EQ(Col(ord, col), Col(1, col)) << ord << col;
                EXPECT_EQ(Col(ord, "PRCECA"), "4") << ord; // the quantity steps reach them too
            }
        } else {
            EXPECT_EQ(Col(2, "quote(PRCEST) || quote(PRCSUF) || (PRCECA = 0)"), "NULLNULL1");
        }
        // Never reached: touched (M, R, classified, with an error), another number.
        for (int ord : {4, 5, 6, 7, 8, 9})
            EXPECT_EQ(Fila(ord), filaAntes[ord]) << ord;
        EXPECT_EQ(Col(10, "PRCEST"), "R");

        // One undo takes back the save, the ordinary replication and the vehicles.
        EXPECT_EQ(e.Valor("select count(*) from HIST_LOTE where DESHECHA = 0"), "1");
        ASSERT_EQ(Depuracion::Deshacer(e.App, "100", false), Resultado::Hecho) << e.Op.Ultimo();
        EXPECT_EQ(e.Valor(todas), antes);
        e.Trabajo("delete from HIST");
        e.Trabajo("delete from HIST_LOTE");
    }
}

TEST_F(Depurar, UnaReplicacionQueFallaNoDejaNadaDeLaCorreccion) {
    Articulo(1, "A");
    Articulo(2, "A", {{"PRCEST", "null"}});
    e.Trabajo("create trigger falla before update of PRCEST on ART when new.PRCEST = 'R' "
              "begin select raise(abort, 'replica rota'); end");
    FormModificar f = Editor(1);
    EXPECT_EQ(f.GrabarDatos(), Resultado::Fallido);
    const std::string m = e.Op.Ultimo();
    EXPECT_NE(m.find("replica rota"), std::string::npos) << m;
    EXPECT_NE(m.find("CopiarModificacion.frmModificar.Velmarion"), std::string::npos) << m;
    EXPECT_NE(m.find("No se guardó la corrección"), std::string::npos) << m;
    EXPECT_EQ(Col(1, "PRCEST || PRCCRC"), "ESUF");
    EXPECT_EQ(e.Valor("select count(*) from HIST") + e.Valor("select count(*) from HIST_LOTE"), "00");
    EXPECT_NE(e.App.Retorno1, "OK");
    EXPECT_FALSE(e.App.Db.EnTransaccion());
}

TEST_F(Depurar, HistorialYDeshacer) {
    Articulo(1, "A", {{"PRCSUF", "null"}});
    Articulo(2, "A", {{"PRCEST", "null"}, {"PRCCRC", "null"}, {"PRCSUF", "null"}});
    EXPECT_EQ(Depuracion::Deshacer(e.App, "100", false), Resultado::Detenido);
    EXPECT_EQ(e.Op.Ultimo(), "No hay correcciones para deshacer en el interno 100.");

    const std::string antes = e.Valor("select group_concat(quote(PRCSUF) || PRCEST || quote(PRCCRC) || ARTUNI, '|') "
                                      "from ART order by ARTORD");
    FormModificar f = Editor(1);
    f.txtARTUNI = "7.5";
    ASSERT_EQ(f.GrabarDatos(), Resultado::Hecho) << e.Op.Ultimo();
    auto h = Depuracion::Historial(e.App, "100");
    std::map<std::string, std::string> tipos;
    for (const auto& c : h)
        tipos[std::to_string(c.ARTORD) + c.COLUMNA] = c.TIPO + ":" + c.ANTES + ">" + c.DESPUES;
    EXPECT_EQ(tipos["1ARTUNI"], "M:10>7.5");
    EXPECT_EQ(tipos["2PRCEST"], "R:(nulo)>R");
    EXPECT_EQ(tipos["1PRCSUF"], "M:(nulo)>AA(X)-CA01-ZA(002024)-AM(V1)-");
    // The history and undo statements, word for word.
    const char* columnas[] = {"PRCNCM", "PRCLAP", "PRCSUF", "PRCDUN", "PRCEUN", "PRCECA", "ARTCAN", "ARTUNI",
                              "ARTTOT", "PRCSUN", "PRCSCA", "PRCESM", "PRCORI", "PRCCAN", "PRCEST", "PRCCRC"};
    std::string filas, antes_, despues, cambio;
    for (std::string c : columnas) {
        filas += (filas.empty() ? "select '" : " union all select '") + c + "' as col";
        antes_ += " when '" + c + "' then b." + c;
        despues += " when '" + c + "' then a." + c;
        cambio += " when '" + c + "' then a." + c + " is not b." + c;
    }
    EXPECT_EQ(Depuracion::SentenciaHistoria("1'00", 7, 3).TextoSql(),
              "insert into HIST (LOTE, COLUMNA, ARTORD, ANTES, DESPUES, TIPO) select 7, c.col, a.ARTORD, case c.col" +
                  antes_ + " end, case c.col" + despues +
                  " end, case when a.ARTORD = 3 then 'M' else 'R' end from temp.HIST_ANTES b join ART a on a.INTNRO "
                  "= b.INTNRO and a.ARTORD = b.ARTORD cross join (" +
                  filas + ") c where a.INTNRO = '1''00' and case c.col" + cambio + " end");
    SentenciaSql deshacer;
    Depuracion::SentenciaDeshacer(deshacer, "1'00", 7, "PRCSUF");
    Depuracion::SentenciaDeshacer(deshacer, "1'00", 12, "ARTUNI"); // reused: nothing of the first is left
    EXPECT_EQ(deshacer.TextoSql(),
              "update ART set ARTUNI = (select h.ANTES from HIST h where h.LOTE = 12 and h.COLUMNA = 'ARTUNI' and "
              "h.ARTORD = ART.ARTORD) where INTNRO = '1''00' and ARTORD in (select ARTORD from HIST where LOTE = 12 "
              "and COLUMNA = 'ARTUNI')");

    // Undone as a whole; nulls come back as nulls. The question comes first in the windows.
    e.Op.RespuestasSiNo = {Operador::Respuesta::No};
    EXPECT_EQ(Depuracion::Deshacer(e.App, "100", true), Resultado::Detenido);
    EXPECT_EQ(e.Op.IdsPreguntas.back(), Operador::Preguntas::Deshacer);
    EXPECT_EQ(Depuracion::Deshacer(e.App, "100", false), Resultado::Hecho);
    EXPECT_EQ(e.Valor("select group_concat(quote(PRCSUF) || PRCEST || quote(PRCCRC) || ARTUNI, '|') "
                      "from ART order by ARTORD"),
              antes);
    EXPECT_EQ(Depuracion::Deshacer(e.App, "100", false), Resultado::Detenido);

    // Transferred after the correction: refused.
    FormModificar g = Editor(1);
    ASSERT_EQ(g.GrabarDatos(), Resultado::Hecho);
    e.EnAduana("insert into caratula (interno, fechaalta) values ('100', '2999-01-01 00:00:00')");
    EXPECT_EQ(Depuracion::Deshacer(e.App, "100", false), Resultado::Detenido);
    EXPECT_NE(e.Op.Ultimo().find("ya fue transferida"), std::string::npos) << e.Op.Ultimo();
    EXPECT_EQ(Col(1, "PRCEST"), "M");
}

// What an undo may give back: only to the articles the correction changed,
// and a save that changed nothing is no correction.
TEST_F(Depurar, DeshacerSoloSobreLosArticulosQueCambio) {
    struct Caso {
        const char* nombre;
        std::function<void()> despues; // what happens between the save and the undo
        Resultado esperado;
        const char* mensaje;
    };
    const Caso casos[] = {
        {"nada", [] {}, Resultado::Hecho, "(1 articulos)"},
        {"articulos borrados", [this] { e.Trabajo("delete from ART"); }, Resultado::Detenido, "ya no están"},
        {"otro interno reimportado", [this] { ListaInternos::FRAM1_EliminarInterno(e.App, "100"); },
         Resultado::Detenido, "No hay correcciones"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        e.Trabajo("delete from ART");
        e.Trabajo("delete from HIST");
        e.Trabajo("delete from HIST_LOTE");
        Articulo(1, "A", {{"PRCLAP", "'N'"}});
        FormModificar f = Editor(1);
        f.txtARTUNI = "7.5";
        ASSERT_EQ(f.GrabarDatos(), Resultado::Hecho) << e.Op.Ultimo();
        // The same values saved again write no second lot.
        FormModificar g = Editor(1);
        ASSERT_EQ(g.GrabarDatos(), Resultado::Hecho) << e.Op.Ultimo();
        EXPECT_EQ(e.Valor("select count(*) from HIST_LOTE"), "1") << e.Valor(
            "select group_concat(COLUMNA || ':' || quote(ANTES) || '>' || quote(DESPUES)) from HIST where LOTE > 1");
        e.Op.PorDefecto = Operador::Respuesta::Si;
        c.despues();
        e.Op.PorDefecto = Operador::Respuesta::No;
        EXPECT_EQ(Depuracion::Deshacer(e.App, "100", false), c.esperado);
        EXPECT_NE(e.Op.Ultimo().find(c.mensaje), std::string::npos) << e.Op.Ultimo();
    }
}

TEST_F(Depurar, ComandoEditarConRespuestas) {
    Articulo(1, "A", {{"PRCVIN", "'VIN1'"}});
    e.Trabajo("insert into INTN (INTNRO, INTDSC) values ('100', 'Prueba')");
    auto Cli = [&](std::vector<std::string> args) { return e.Cli(std::move(args)); };
    // A question without its answer stops the run, nothing written.
    EXPECT_EQ(Cli({"editar", "100", "1", "--posicion", "8703.23.10.100A", "--valor", "AA=M"}), 1);
    EXPECT_NE(e.SalidaCli.find("--opcion CA=CODIGO"), std::string::npos) << e.SalidaCli;
    EXPECT_EQ(Col(1, "PRCEST"), "E");
    EXPECT_EQ(Cli({"editar", "100", "1", "--unitario", "1,5"}), 2);
    EXPECT_EQ(Cli({"editar", "100", "x1"}), 2);
    EXPECT_EQ(Cli({"editar", "100", "99"}), 1);

    EXPECT_EQ(Cli({"editar", "100", "1", "--posicion", "8703.23.10.100A", "--valor", "AA=O'Brien", "--valor", "AM=VIN1",
                   "--valor", "ZA=2024", "--opcion", "CA=CA02", "--unitario", "12.5", "--origen", ""}),
              1); // no country, and no answer to that question
    EXPECT_EQ(Col(1, "PRCEST"), "E");
    EXPECT_EQ(
        Cli({"editar", "100", "1", "--posicion", "8703.23.10.100A", "--valor", "AA=O'Brien", "--valor", "AM=VIN1",
             "--valor", "ZA=2024", "--opcion", "CA=CA02", "--unitario", "12.5", "--origen", "", "--sin-pais", "si"}),
        0)
        << e.SalidaCli;
    EXPECT_EQ(Col(1, "PRCSUF"), "AA(O BRIEN)-CA02-ZA(002024)-AM(VIN1)-");
    EXPECT_EQ(Col(1, "ARTUNI"), "12.5");
    EXPECT_EQ(Col(1, "PRCORI"), "");
    // The office's log says what happened to the interno.
    std::ifstream log(e.Home / "velmarion.log");
    std::string lineas((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_NE(lineas.find("\t100\tdepuracion\thecho: articulo 1, replicada a 0\t"), std::string::npos) << lineas;

    EXPECT_EQ(Cli({"depurar", "100", "--ok"}), 0);
    EXPECT_NE(
        e.SalidaCli.find(
            "Orden\tArticulo\tNro VIN\tOrigen\tCantidad\tUnitario\tTotal\tPosición\tEstado\tCRC\tMotivo\tSugerencia\n"
            "0001\tA\tVIN1\t"),
        std::string::npos)
        << e.SalidaCli;
    EXPECT_EQ(Cli({"historial", "100"}), 0);
    EXPECT_NE(e.SalidaCli.find("\tARTUNI\t10\t12.5\tM"), std::string::npos) << e.SalidaCli;
    EXPECT_EQ(Cli({"deshacer", "100"}), 0);
    EXPECT_EQ(Col(1, "PRCEST"), "E");
}

TEST_F(Depurar, ComandoEditarVehiculos) {
    e.Trabajo("insert into INTN (INTNRO, INTDSC) values ('100', 'Prueba')");
    Articulo(1, "A", {{"PRCVIN", "'VIN1'"}});
    Articulo(2, "A", {{"PRCEST", "null"}, {"PRCVIN", "'JRVUHBKW7RK534991'"}});
    const std::vector<std::string> editar = {"editar",  "100",     "1",       "--posicion", "8703.23.10.100A",
                                             "--valor", "AA=M",    "--valor", "ZA=2024",    "--opcion",
                                             "CA=CA01", "--valor", "AM=VIN1", "--origen",   "200"};
    auto con = [&](std::vector<std::string> extra) {
        std::vector<std::string> a = editar;
        a.insert(a.end(), extra.begin(), extra.end());
        return e.Cli(a);
    };
    EXPECT_EQ(con({"--vehiculos", "tal vez"}), 2);
    // Without a terminal and without the answer: stops, nothing written, the option named.
    EXPECT_EQ(con({}), 1);
    EXPECT_NE(e.SalidaCli.find("(--vehiculos si|no)"), std::string::npos) << e.SalidaCli;
    EXPECT_EQ(Col(1, "PRCEST") + Col(2, "PRCEST"), "E");
    EXPECT_EQ(con({"--vehiculos", "no"}), 0) << e.SalidaCli;
    EXPECT_EQ(Col(1, "PRCEST") + "/" + Col(2, "PRCEST"), "M/");
    ASSERT_EQ(e.Cli({"deshacer", "100"}), 0);
    EXPECT_EQ(con({"--vehiculos", "si"}), 0) << e.SalidaCli;
    EXPECT_NE(e.SalidaCli.find("Se replicó la corrección a 1 vehículos de A"), std::string::npos) << e.SalidaCli;
    EXPECT_EQ(Col(2, "PRCEST || PRCSUF"), "RAA(M)-CA01-ZA(002024)-AM(JRVUHBKW7)-");
}

TEST(ListaDeRegistros, DecimalesPorColumnaYMotivosContados) {
    FijarSeparadorDecimal(',');
    struct Caso {
        const char* numero;
        int decimales; // as read
        int columna;   // shown with the column's decimals
        const char* visto;
    } casos[] = {{"3", 0, 2, "3,00"}, {"12,5", 1, 2, "12,50"}, {"0,125", 3, 2, "0,13"}, {"7,00001", 5, 5, "7,00001"},
                 {"", 0, 2, ""},      {"-2,5", 1, 1, "-2,5"},  {"1500", 0, 0, "1500"}};
    for (const Caso& c : casos) {
        EXPECT_EQ(Depuracion::Decimales(c.numero), c.decimales) << c.numero;
        EXPECT_EQ(Depuracion::ConDecimales(c.numero, c.columna), c.visto) << c.numero;
    }
    FijarSeparadorDecimal('.');
    EXPECT_EQ(Depuracion::Decimales("2.75"), 2);
    EXPECT_EQ(Depuracion::ConDecimales("2.75", 3), "2.750");

    std::vector<Depuracion::Fila> filas(5);
    filas[0].Motivo = filas[2].Motivo = filas[3].Motivo = "No está en el catálogo C1.";
    filas[1].Motivo = "El total o el unitario es cero.";
    const auto m = Depuracion::Motivos(filas); // the row without a reason is in no group
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].Motivo + " " + std::to_string(m[0].Filas), "No está en el catálogo C1. 3");
    EXPECT_EQ(m[1].Filas, 1);
}

} // namespace
