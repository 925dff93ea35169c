// The import run: type table, linking of inputs, one transaction, relations
// created during a failed run, re-import, the interno list and the runner.
#include "Entorno.h"
#include "Envio.h"
#include "import/Importacion.h"
#include "import/ListaInternos.h"
#include "platform/SentenciaSql.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using Icono = Operador::Icono;

class Importar : public ::testing::Test {
protected:
    EntornoPrueba e;
    std::vector<std::string> traspasos; // the wizard's forward moves the import made

    void SetUp() override {
        e.App.Config.ORIGEN = "200";
        e.Trabajo("insert into ORG values ('AR1','320','1')");
        e.App.MAIN_CambiarPaso = [this] {
            traspasos.push_back(std::to_string(e.App.Paso) + " " + e.App.InternoActual +
                                (e.App.ClasificarAlEntrar ? " clasificar" : "") +
                                (e.App.Db.EnTransaccion() ? " SIN CONFIRMAR" : ""));
        };
    }
    bool Correr(const std::vector<std::string>& lineas) {
        std::string texto;
        for (const std::string& l : lineas)
            texto += l + "\r\n";
        return Importacion::ProcesarArchivo(e.App, e.Archivo("envio.txt", texto).string());
    }
    // Rows as "a b c;d e f".
    std::string Filas(const std::string& sql) {
        std::string r;
        for (Recordset rs = e.Filas(sql); !rs.Eof(); rs.MoveNext()) {
            r += r.empty() ? "" : ";";
            for (size_t i = 0; i < rs.Columnas().size(); ++i)
                r += (i ? " " : "") + rs.Fields(i).Texto();
        }
        return r;
    }
    std::string Volcado() {
        return Filas("select * from INTN order by 1") + "\n" + Filas("select * from ART order by 1, 2") + "\n" +
               Filas("select * from ARTINS order by 1, 3") + "\n" + Filas("select * from ORG order by 1");
    }
};

const LineaP kDitIcr2{.Articulo = "PZ2", .DIT = "23001ICR2000123X"};

TEST_F(Importar, TablaDeTiposYEnlaces) {
    struct Caso {
        const char* tipo;
        const char* respuesta;
        int preguntas;
        const char* articulos; // ARTORD ARTNRO PRCTDS
        const char* insumos;   // IdReg IDPARENT CTIT
        const char* tipoCorrida;
    } casos[] = {
        // Both headers name the same vehicle: every input goes to the lower ARTORD.
        {"ECR1", "", 0, "1 MOD VAR ECR1;2 MOD VAR ECR1", "1 1 CTC1;2 1 CTC1;3 1 CTC1", "ECR1"},
        {"XX", "", 1, "1 MOD VAR XX;2 MOD VAR XX", "1 1 CTC1;2 1 CTC1;3 1 CTC1", "XX"},
        // Answered ICR2: headers are counted but not written, so the first article is 2.
        {"ICR1", "ICR2", 1, "2 PZ1 ICR2;3 PZ2 ICR2;5 PZ3 ICR2", "1 2 ;2 3 ;3 5 ", "ICR2"},
        {"RR01", "", 0, "2 PZ1 RR01;3 PZ2 RR01;5 PZ3 RR01", "1 2 ;2 3 ;3 5 ", "RR01"},
        // ICR1: the line of the other sub-regime writes nothing but uses its IdReg.
        {"ICR1", "", 1, "1 MOD VAR ICR1;2 PZ1 ;3 MOD VAR ICR1;4 PZ3 ", "1 1 CTC1;3 1 CTC1", "ICR1"},
        // The answer types the first header whatever its code (the transfer reads the
        // type back from the first article); a later header keeps a code of its own.
        {"ICR2", "ICR1", 1, "1 MOD VAR ICR1;2 PZ1 ;3 MOD VAR ICR2;4 PZ3 ", "1 1 CTC1;3 1 CTC1", "ICR1"},
        // The answer types every header that leaves the type open, not only the first.
        {"", "ICR1", 1, "1 MOD VAR ICR1;2 PZ1 ;3 MOD VAR ICR1;4 PZ3 ", "1 1 CTC1;3 1 CTC1", "ICR1"},
        {"X9", "ICR1", 1, "1 MOD VAR ICR1;2 PZ1 ;3 MOD VAR ICR1;4 PZ3 ", "1 1 CTC1;3 1 CTC1", "ICR1"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(std::string(c.tipo) + "/" + c.respuesta);
        e.Op.Tipo = c.respuesta;
        e.Op.PreguntasTipo = 0;
        // Lines that do not start with "H" or "P" (lower case, a blank) are no records.
        std::string h = LineaH{.Tipo = c.tipo}.Texto(), p = LineaP{}.Texto();
        ASSERT_TRUE(Correr({"p" + p.substr(1), h, " " + p, p, kDitIcr2.Texto(), "h" + h.substr(1),
                            LineaH{.CTC = "CTC2", .VIN = "VIN2", .Tipo = c.tipo}.Texto(),
                            LineaP{.Articulo = "PZ3"}.Texto(), ""}))
            << e.Op.Ultimo();
        EXPECT_EQ(e.Op.PreguntasTipo, c.preguntas);
        EXPECT_EQ(Filas("select ARTORD, ARTNRO, PRCTDS from ART order by ARTORD"), c.articulos);
        EXPECT_EQ(Filas("select IdReg, IDPARENT, CTIT from ARTINS order by IdReg"), c.insumos);
        EXPECT_EQ(e.App.TipoDeclaracion, c.tipoCorrida);
        EXPECT_EQ(traspasos.back(), "1 1001//01 clasificar"); // handed over after the commit
    }
    EXPECT_EQ(Filas("select * from INTN"), "1001//01 1001//01"); // re-imported six times: one row
}

TEST_F(Importar, UnFalloDejaLaBaseComoEstaba) {
    ASSERT_TRUE(Correr({LineaH{}.Texto(), LineaP{}.Texto()}));
    const std::string antes = Volcado();
    traspasos.clear();
    e.Op.Relaciones["BR9"] = {"203", "1"};
    struct Caso {
        std::vector<std::string> lineas;
        const char* mensaje;
    } casos[] = {
        // A relation is created on the way; the failure comes later.
        {{LineaH{.Pais = "BR9"}.Texto(), LineaP{}.Texto(), LineaP{.Fecha = "20230230"}.Texto()},
         "Fecha 30/02/2023 inválida!\r\n\r\n-2036030393 - seccion ProcesarArchivo de Formulario frmInterno - nro 3 "
         ":: [seccion getRegistroPfromString de Módulo modEntidadesTarvelo:: seccion getFechafromString de Módulo "
         "modEntidadesTarvelo:: Validando Fecha desde String nro: 2 nro: 3]"},
        {{LineaH{.Tipo = "RR01"}.Texto()},
         "No se encontro articulos en el interno 1001//01\r\n\r\n1119111 - seccion ProcesarArchivo de Formulario "
         "frmInterno - nro 0 :: [EstablecerParents.modEntidadesTarvelo.Velmarion Buscar articulos]"},
        {{"junk", LineaP{}.Texto(), LineaH{}.Texto()},
         "La línea 2 es un registro P anterior al primer registro H: el archivo no es válido.\r\n\r\n-2147220392 - "
         "seccion ProcesarArchivo de Formulario frmInterno - nro 2 :: [Leyendo archivo]"},
    };
    for (const Caso& c : casos) {
        EXPECT_FALSE(Correr(c.lineas));
        EXPECT_EQ(e.Op.Ultimo(), c.mensaje);
        EXPECT_EQ(e.Op.Mensajes.back().Icon, Icono::Ninguno);
        e.Trabajo("delete from ORG where PAI = 'BR9'"); // kept by the first case, checked below
    }
    EXPECT_FALSE(Importacion::ProcesarArchivo(e.App, (e.Home / "no-existe.txt").string()));
    EXPECT_NE(e.Op.Ultimo().find("no-existe.txt"), std::string::npos);
    EXPECT_FALSE(Importacion::ProcesarArchivo(e.App, e.Home.string())); // a folder is no empty file
    EXPECT_NE(e.Op.Ultimo().find("es una carpeta"), std::string::npos);
    EXPECT_EQ(Volcado(), antes);
    EXPECT_TRUE(traspasos.empty());
    EXPECT_FALSE(e.App.Db.EnTransaccion());
    EXPECT_FALSE(e.Op.Espera);

    // The relation the operator created in the failed run is configuration: it stays.
    EXPECT_FALSE(Correr({LineaH{.Pais = "BR9"}.Texto(), LineaP{.Fecha = "        "}.Texto()}));
    EXPECT_EQ(Filas("select * from ORG where PAI = 'BR9'"), "BR9 203 1");
    EXPECT_EQ(Filas("select count(*) from ART"), "1");

    // An operator that cannot answer the relation question stops the run the same way.
    EXPECT_FALSE(Correr({LineaH{.Pais = "ZZ9"}.Texto(), LineaP{}.Texto()}));
    EXPECT_NE(e.Op.Ultimo().find("sin relación para ZZ9"), std::string::npos);
    EXPECT_EQ(e.Op.Mensajes.back().Icon, Icono::Exclamacion);
    e.Trabajo("delete from ORG where PAI = 'BR9'");
    EXPECT_EQ(Volcado(), antes);
}

// A large import drops the indexes its inserts do not need and builds them
// again: whether it ends well or fails, the schema is the one it found and
// every index agrees with the rows; a small import into a larger table leaves
// them untouched.
TEST_F(Importar, IndicesDeLaCargaVuelvenComoEstaban) {
    const std::string esquema = "select name, rootpage, sql from sqlite_master where tbl_name in ('ART', 'ARTINS') "
                                "and type = 'index' order by name";
    auto sinRaices = [this](const std::string& sql) { return Filas("select name, sql from (" + sql + ")"); };
    const std::string antes = sinRaices(esquema), raicesAntes = Filas(esquema);
    std::vector<std::string> grande = {LineaH{}.Texto()};
    for (int i = 0; i < 300; ++i)
        grande.push_back(LineaP{}.Texto());
    ASSERT_TRUE(Correr(grande));
    EXPECT_NE(Filas(esquema), raicesAntes); // built again, on new pages
    EXPECT_EQ(sinRaices(esquema), antes);
    EXPECT_EQ(Filas("pragma integrity_check"), "ok");
    EXPECT_EQ(Filas("select count(*) from ARTINS where IDPARENT = 1 and CTIT = 'CTC1'"), "300");
    // Read through the rebuilt indexes.
    EXPECT_EQ(Filas("select count(*) from ARTINS indexed by ARTINS_IDPADRE where INTNRO = '1001//01' and IDPARENT = 1"),
              "300");
    EXPECT_EQ(
        Filas("select count(*) from ART indexed by ART_ARTICULO where INTNRO = '1001//01' and ARTNRO = 'MOD VAR'"),
        "1");

    const std::string filas = Volcado();
    e.Trabajo("delete from ARTINS");
    e.Trabajo("delete from ART");
    ASSERT_TRUE(Correr(grande));
    const std::string raices = Filas(esquema);
    grande.push_back(LineaP{.Fecha = "20230230"}.Texto());
    EXPECT_FALSE(Correr(grande));
    EXPECT_EQ(Filas(esquema), raices);
    EXPECT_EQ(Filas("pragma integrity_check"), "ok");
    EXPECT_EQ(Volcado(), filas);

    // Three lines against 300 rows: nothing is dropped nor built again.
    ASSERT_TRUE(Correr({LineaH{.Interno = "1002"}.Texto(), LineaP{}.Texto(), LineaP{}.Texto()}));
    EXPECT_EQ(Filas(esquema), raices);
}

TEST_F(Importar, ValoresConComillasYEnie) {
    // The command-line interno replaces the header's number, quote and all.
    e.App.InternoLinea = "O'1";
    ASSERT_TRUE(Correr({LineaH{.Factura = "A'1"}.Texto(), LineaP{}.Texto()}));
    EXPECT_EQ(Filas("select INTNRO, INTDSC from INTN"), "O'1 O'1");
    EXPECT_EQ(Filas("select INTNRO, ARTFAC from ART"), "O'1 A'1");
    EXPECT_EQ(Filas("select INTNRO, IDPARENT from ARTINS"), "O'1 1");
    e.App.InternoLinea.clear();

    // A Windows-1252 file: "Ñ" is one byte there, one character here.
    std::string p = LineaP{.Articulo = "PEÑA O'BRIEN"}.Texto();
    std::string h = LineaH{.Tipo = "ICR2"}.Texto();
    std::string cp1252 = Reemplazar(h + "\r\n" + p + "\r\n", "Ñ", "\xD1");
    ASSERT_TRUE(Importacion::ProcesarArchivo(e.App, e.Archivo("cp1252.txt", cp1252).string())) << e.Op.Ultimo();
    EXPECT_EQ(Filas("select ARTNRO, ARTCAN, PRCDST from ART where INTNRO = '1001//01'"), "PEÑA O'BRIEN 2.5 320");
}

TEST_F(Importar, LaRespuestaNoPisaUnTipoPropio) {
    // Answered ICR1 on an open header: a later header that names its own type keeps it.
    e.Op.Tipo = "ICR1";
    ASSERT_TRUE(Correr({LineaH{.Tipo = ""}.Texto(), LineaH{.VIN = "VIN2", .Tipo = "ECR1"}.Texto(),
                        LineaH{.VIN = "VIN3", .Tipo = "??"}.Texto()}));
    EXPECT_EQ(Filas("select PRCTDS from ART order by ARTORD"), "ICR1;ECR1;ICR1");
}

TEST_F(Importar, RelacionCreadaEnLaCorridaSeVe) {
    e.Op.Relaciones["BR9"] = {"203", "1"};
    ASSERT_TRUE(Correr({LineaH{.Pais = "BR9"}.Texto(), LineaH{.VIN = "VIN2", .Pais = "BR9"}.Texto()}));
    EXPECT_EQ(e.Op.DialogosRelacion, 1);
    EXPECT_EQ(Filas("select PRCDST from ART order by ARTORD"), "203;203");
}

TEST_F(Importar, EliminarInterno) {
    ASSERT_TRUE(Correr({LineaH{}.Texto(), LineaP{}.Texto()}));
    // A failing delete leaves all three tables as they were.
    e.Trabajo("create trigger no_borrar before delete on ART begin select raise(abort, 'bloqueado'); end");
    e.Op.PorDefecto = Operador::Respuesta::Si;
    EXPECT_NE(ListaInternos::FRAM1_EliminarInterno(e.App, "1001//01"), Resultado::Hecho);
    EXPECT_NE(e.Op.Ultimo().find(" - seccion [Quelvorin.frmInterno.EliminarInterno]"), std::string::npos);
    EXPECT_EQ(Filas("select count(*) from ARTINS") + Filas("select count(*) from INTN"), "11");
    e.Trabajo("drop trigger no_borrar");
    // Without its INTN row the interno still loses its rows; the list item stays.
    e.Trabajo("delete from INTN");
    EXPECT_NE(ListaInternos::FRAM1_EliminarInterno(e.App, "1001//01"), Resultado::Hecho);
    EXPECT_EQ(Filas("select count(*) from ART") + Filas("select count(*) from ARTINS"), "00");
}

// The runner as a separate program, with no terminal on its input.
int Cli(const EntornoPrueba& e, const std::string& args, std::string& salida) {
    std::string orden = std::string(VELMARION_CLI) + " --home " + e.Home.string() + " --settings " +
                        (e.Home / "ajustes.ini").string() + " " + args + " </dev/null 2>&1";
    FILE* p = popen(orden.c_str(), "r");
    char buf[512];
    salida.clear();
    while (size_t n = fread(buf, 1, sizeof buf, p))
        salida.append(buf, n);
    return WEXITSTATUS(pclose(p));
}

TEST_F(Importar, LineaDeComandos) {
    auto cli = [this](const std::string& args, std::string& salida) { return Cli(e, args, salida); };
    std::string out;
    ASSERT_EQ(cli("config ORIGEN 200", out), 0);
    std::string archivo = e.Archivo("e.txt", LineaH{.Pais = "JAP"}.Texto() + "\r\n" + LineaP{}.Texto()).string();
    EXPECT_EQ(cli("import " + archivo, out), 1);
    EXPECT_NE(out.find("--relacion JAP=ORI:ESM"), std::string::npos) << out;
    EXPECT_EQ(cli("list", out), 0);
    EXPECT_EQ(out, ""); // nothing was written

    EXPECT_EQ(cli("import " + archivo + " --interno 77 --relacion JAP=320:1", out),
              1); // classification stops: no catalog set
    EXPECT_NE(out.find("Interno 77 importado (tipo ECR1): 1 registros H, 1 registros P, 1 artículos, 1 insumos."),
              std::string::npos)
        << out;
    EXPECT_EQ(cli("list", out), 0);
    EXPECT_EQ(out, "77\t77\n");
    EXPECT_EQ(cli("delete 77", out), 1);
    EXPECT_EQ(cli("delete 77 --si", out), 0);
    EXPECT_EQ(cli("list", out), 0);
    EXPECT_EQ(out, "");

    for (const char* malo : {"run 77", "run \"77|a|b\"", "run \"|a\"", "import a --tipo ICR3", "import a --relacion X"})
        EXPECT_EQ(cli(malo, out), 2) << malo;
}

TEST_F(Importar, ListaDeInternosConSusCuentas) {
    e.Trabajo("insert into INTN values ('1001','1001'),('1002','1002'),('1003','1003')");
    // 1001: one good, one without status, one with a result other than OK, one without result.
    e.Trabajo("insert into ART (INTNRO, ARTORD, PRCEST, PRCCRC) values ('1001',1,'A','OK'),('1001',2,null,'OK'),"
              "('1001',3,'A','SUF'),('1001',4,'M',null),('1002',1,'M','OK'),('1002',2,'R','OK')");
    // The cover's number written in another case is the same interno.
    e.EnAduana("insert into caratula (interno) values ('1002')");
    const auto lista = ListaInternos::FRAM1_CargarInternos(e.App);
    struct Caso {
        const char* interno;
        long articulos, pendientes;
        const char* transferido;
    } casos[] = {{"1001", 4, 3, "No"}, {"1002", 2, 0, "Sí"}, {"1003", 0, 0, "No"}};
    ASSERT_EQ(lista.size(), std::size(casos));
    for (size_t i = 0; i < lista.size(); ++i) {
        EXPECT_EQ(lista[i].INTNRO, casos[i].interno);
        EXPECT_EQ(lista[i].Articulos, casos[i].articulos) << casos[i].interno;
        EXPECT_EQ(lista[i].PorDepurar, casos[i].pendientes) << casos[i].interno;
        EXPECT_STREQ(ListaInternos::TextoTransferido(lista[i].EnAduana), casos[i].transferido) << casos[i].interno;
    }

    // Covers out of reach: the list still comes, with "?" and no message.
    e.Op.Mensajes.clear();
    e.EnAduana("alter table caratula rename to caratula_");
    const auto sinAduana = ListaInternos::FRAM1_CargarInternos(e.App);
    ASSERT_EQ(sinAduana.size(), 3u);
    EXPECT_STREQ(ListaInternos::TextoTransferido(sinAduana[1].EnAduana), "?");
    EXPECT_EQ(sinAduana[0].Articulos, 4);
    EXPECT_TRUE(e.Op.Mensajes.empty());
    e.EnAduana("alter table caratula_ rename to caratula");
}

TEST_F(Importar, ElProgresoLlegaAlTamanioDelArchivo) {
    struct Progreso : OperadorReenvio {
        using OperadorReenvio::OperadorReenvio;
        std::vector<std::pair<unsigned long long, unsigned long long>> Valores;
        void ProgresoImportacion(unsigned long long leidos, unsigned long long total) override {
            Valores.emplace_back(leidos, total);
        }
    } op(e.Op);
    e.App.Op = &op;
    EXPECT_TRUE(Correr({LineaH{}.Texto(), LineaP{}.Texto(), LineaP{}.Texto()}));
    e.App.Op = &e.Op;
    const auto tamanio = std::filesystem::file_size(e.Home / "envio.txt");
    ASSERT_GE(op.Valores.size(), 2u);
    EXPECT_EQ(op.Valores.front().first, 0u);
    unsigned long long antes = 0;
    for (const auto& [leidos, total] : op.Valores) {
        EXPECT_EQ(total, tamanio);
        EXPECT_GE(leidos, antes); // never backwards
        antes = leidos;
    }
    EXPECT_EQ(op.Valores.back().first, tamanio);
}

} // namespace

namespace {

// Re-importing an interno that holds hand corrections: asked first, No keeps
// everything, Yes replaces the articles and ends their history with them.
TEST_F(Importar, ReimportarSobreCorreccionesPreguntaAntesDePerderlas) {
    struct Caso {
        const char* estado; // PRCEST of the first article before the re-import
        std::vector<Operador::Respuesta> respuestas;
        bool pregunta, importado;
    };
    const Caso casos[] = {
        {"A", {}, false, true},
        {"M", {Operador::Respuesta::No}, true, false},
        {"R", {Operador::Respuesta::Si}, true, true},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.estado);
        ASSERT_TRUE(Correr({LineaH{}.Texto(), LineaH{.VIN = "VIN2"}.Texto()}));
        e.Trabajo(SentenciaSql("update ART set PRCEST = ").Texto(c.estado).Sql(", ARTUNI = 99 where ARTORD = 1"));
        e.Trabajo("insert into HIST_LOTE (LOTE, FECHA, INTNRO) values (7, '2026-01-01 00:00:00', '1001//01')");
        e.Trabajo("insert into HIST (LOTE, COLUMNA, ARTORD, ANTES, DESPUES, TIPO) values (7, 'ARTUNI', 1, 5, 99, 'M')");
        const std::string antes = Volcado();
        e.Op.Preguntas.clear();
        e.Op.IdsPreguntas.clear();
        e.Op.RespuestasSiNo = {c.respuestas.begin(), c.respuestas.end()};
        EXPECT_EQ(Correr({LineaH{}.Texto(), LineaH{.VIN = "VIN2"}.Texto()}), c.importado);
        if (c.pregunta) {
            ASSERT_EQ(e.Op.IdsPreguntas.size(), 1u);
            EXPECT_EQ(e.Op.IdsPreguntas[0], Operador::Preguntas::ReemplazarCorrecciones);
            EXPECT_EQ(e.Op.Preguntas[0], "El interno 1001//01 tiene 1 artículos corregidos a mano. ¿Reemplazarlo "
                                         "con el archivo y perder esas correcciones?");
        } else {
            EXPECT_TRUE(e.Op.IdsPreguntas.empty());
        }
        if (c.importado) {
            EXPECT_EQ(Filas("select count(*) from ART where ARTUNI = 99"), "0");
            // The history went with the articles it changed: nothing to undo on the new ones.
            EXPECT_EQ(Filas("select count(*) from HIST") + Filas("select count(*) from HIST_LOTE"), "00");
        } else {
            EXPECT_EQ(Volcado(), antes);
            EXPECT_EQ(Filas("select count(*) from HIST"), "1");
        }
        e.Trabajo("delete from HIST");
        e.Trabajo("delete from HIST_LOTE");
        e.Trabajo("delete from ART");
    }

    // Deleting the interno ends its history too.
    e.Trabajo("insert into HIST_LOTE (LOTE, FECHA, INTNRO) values (8, '2026-01-01 00:00:00', '1001//01')");
    e.Op.RespuestasSiNo = {Operador::Respuesta::Si};
    EXPECT_EQ(ListaInternos::FRAM1_EliminarInterno(e.App, "1001//01"), Resultado::Hecho);
    EXPECT_EQ(Filas("select count(*) from HIST_LOTE"), "0");
}

TEST_F(Importar, ReemplazarCorreccionesEnLaLineaDeComandos) {
    std::string out;
    ASSERT_EQ(Cli(e, "config ORIGEN 200", out), 0);
    const std::string archivo = e.Archivo("e.txt", LineaH{}.Texto() + "\r\n" + LineaP{}.Texto()).string();
    Cli(e, "import " + archivo, out);
    ASSERT_EQ(Filas("select count(*) from ART"), "1") << out;
    e.Trabajo("update ART set PRCEST = 'M'");
    // Without the answer and without a terminal the run stops and writes nothing.
    for (const char* args : {"", " --reemplazar-correcciones no"}) {
        EXPECT_EQ(Cli(e, "import " + archivo + args, out), 1);
        EXPECT_NE(out.find("corregidos a mano"), std::string::npos) << out;
        EXPECT_EQ(Filas("select PRCEST from ART"), "M") << args;
    }
    EXPECT_NE(Cli(e, "import " + archivo + " --reemplazar-correcciones x", out), 0);
    Cli(e, "import " + archivo + " --reemplazar-correcciones si", out);
    EXPECT_NE(out.find("importado"), std::string::npos) << out;
    EXPECT_NE(Filas("select PRCEST from ART"), "M");
}

} // namespace
