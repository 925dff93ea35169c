// Faults a hostile user can provoke: line ends and line lengths of the shipment
// file, unreadable files, two runs on one database, locks held over message
// boxes, ICR covers without CIF, settings out of range, a relation dialog
// without countries, and rollbacks that fail.
#include "Entorno.h"
#include "Envio.h"
#include "app/Consola.h"
#include "config/Configuracion.h"
#include "import/Importacion.h"
#include "import/ListaInternos.h"
#include "platform/AppError.h"
#include "platform/Lectran.h"
#include "transfer/Transferencia.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Lineas(EntornoPrueba& e, const std::string& contenido) {
    Lectran::Gestor g;
    g.Ubicacion_Archivo(e.Archivo("lineas.txt", contenido).string());
    g.Abrir_Archivo(1);
    std::vector<std::string> r;
    while (!g.FindeArchivo())
        r.push_back(g.LeerLinea());
    return r;
}

using V = std::vector<std::string>;

TEST(Lectran, TodoFinDeLineaCortaLaLinea) {
    EntornoPrueba e;
    struct Caso {
        const char* contenido;
        V lineas;
    } casos[] = {
        {"A\rB\rC", {"A", "B", "C"}},
        {"A\rB\rC\r", {"A", "B", "C"}},
        {"A\r\nB\nC\r", {"A", "B", "C"}},
        {"A\r\rB", {"A", "", "B"}},
        {"A\n\rB", {"A", "", "B"}},
        {"\xEF\xBB\xBF"
         "A\rB",
         {"A", "B"}},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.contenido);
        EXPECT_EQ(Lineas(e, c.contenido), c.lineas);
    }
}

// The file is read in blocks of 256 KiB: a line, or the CR LF that ends it,
// cut by a block's end comes back whole, and a lone CR before one is still one end.
TEST(Lectran, LineasPartidasEntreBloques) {
    EntornoPrueba e;
    constexpr size_t kBloque = 256 * 1024;
    for (size_t cr : {kBloque - 2, kBloque - 1, kBloque, 2 * kBloque - 1}) {
        SCOPED_TRACE(cr);
        // Lines of a thousand bytes, then one that puts its CR at byte `cr`.
        std::string antes;
        V lineas;
        while (antes.size() + 2000 < cr) {
            lineas.emplace_back(999, 'y');
            antes += lineas.back() + "\n";
        }
        lineas.emplace_back(cr - antes.size(), 'x');
        antes += lineas.back();
        V conB = lineas, conVacia = lineas;
        conB.insert(conB.end(), {"B", "C"});
        conVacia.insert(conVacia.end(), {"", "B"});
        EXPECT_EQ(Lineas(e, antes + "\r\nB\r\nC"), conB);
        EXPECT_EQ(Lineas(e, antes + "\r\rB"), conVacia);
    }
    // Many lines of every length and end, against a plain split of the same bytes.
    std::mt19937 azar(3);
    std::string contenido;
    V esperadas;
    while (contenido.size() < 3 * kBloque) {
        std::string l(1 + azar() % 400, static_cast<char>('a' + azar() % 26));
        esperadas.push_back(l);
        contenido += l + (azar() % 3 == 0 ? "\r" : azar() % 2 ? "\n" : "\r\n");
    }
    EXPECT_EQ(Lineas(e, contenido), esperadas);
}

TEST(Lectran, LineaDemasiadoLargaSeRechazaConSuNumero) {
    EntornoPrueba e;
    try {
        Lineas(e, "H\n" + std::string(Lectran::Gestor::kLargoMaximo + 1, 'P'));
        FAIL() << "sin error";
    } catch (const AppError& x) {
        EXPECT_NE(x.Description.find("La línea 2 "), std::string::npos) << x.Description;
    }
    // Exactly the limit still reads.
    EXPECT_EQ(Lineas(e, std::string(Lectran::Gestor::kLargoMaximo, 'P')).at(0).size(), Lectran::Gestor::kLargoMaximo);
}

namespace {
// The reader's message for a file it may not read; "" when it opened the file.
std::string ErrorAlAbrir(const fs::path& f) {
    Lectran::Gestor g;
    g.Ubicacion_Archivo(f.string());
    try {
        g.Abrir_Archivo(1);
        return "";
    } catch (const AppError& x) {
        return std::to_string(x.Number) + " " + x.Description;
    }
}
} // namespace

TEST(Lectran, ArchivoSinPermisoNoEsArchivoInexistente) {
    EntornoPrueba e;
    fs::path f = e.Archivo("cerrado.txt", "H\n");
    fs::permissions(f, fs::perms::none);
    const std::string esperado = "No se puede leer el archivo " + f.string() + ": permiso denegado";
    auto bien = [&](const std::string& m) { return m.rfind("53 ", 0) != 0 && m.find(esperado) != std::string::npos; };
    if (geteuid() != 0) {
        EXPECT_TRUE(bien(ErrorAlAbrir(f))) << ErrorAlAbrir(f);
        return;
    }
    // Root reads any file: the reader runs as an unprivileged user in a child.
    pid_t hijo = fork();
    ASSERT_GE(hijo, 0);
    if (hijo == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        _exit(bien(ErrorAlAbrir(f)) ? 0 : 1);
    }
    int estado = 0;
    waitpid(hijo, &estado, 0);
    ASSERT_TRUE(WIFEXITED(estado));
    EXPECT_EQ(WEXITSTATUS(estado), 0) << "como usuario sin privilegios: " << esperado;
}

class ImportarMal : public ::testing::Test {
protected:
    EntornoPrueba e;
    void SetUp() override {
        e.App.Config.ORIGEN = "200";
        e.Trabajo("insert into ORG values ('AR1','320','1')");
        e.App.MAIN_CambiarPaso = [] {};
    }
    std::string Volcado() {
        std::string r;
        for (const char* t : {"INTN", "ART", "ARTINS", "ORG"})
            for (Recordset rs = e.Filas(std::string("select * from ") + t + " order by 1"); !rs.Eof(); rs.MoveNext())
                for (size_t i = 0; i < rs.Columnas().size(); ++i)
                    r += rs.Fields(i).Texto() + (i + 1 < rs.Columnas().size() ? "|" : "\n");
        return r;
    }
    bool Importar(const std::string& contenido) {
        return Importacion::ProcesarArchivo(e.App, e.Archivo("envio.txt", contenido).string());
    }
};

TEST_F(ImportarMal, SoloRetornoDeCarroNoPierdeRegistros) {
    const std::string h = LineaH{}.Texto(), p = LineaP{}.Texto();
    ASSERT_TRUE(Importar(h + "\r" + p + "\r" + p + "\r" + h + "\r" + p)) << e.Op.Ultimo();
    EXPECT_EQ(Importacion::UltimoResumen().RegistrosH, 2);
    EXPECT_EQ(Importacion::UltimoResumen().RegistrosP, 3);
}

TEST_F(ImportarMal, LineaSinFinNoEscribeNada) {
    Importar(LineaH{}.Texto() + "\r\n" + LineaP{}.Texto() + "\r\n");
    const std::string antes = Volcado();
    LineaH otro;
    otro.Interno = "2002";
    EXPECT_FALSE(Importar(otro.Texto() + "\r\n" + LineaP{}.Texto() + std::string(100000, ' ')));
    EXPECT_NE(e.Op.Ultimo().find("La línea 2 "), std::string::npos) << e.Op.Ultimo();
    EXPECT_EQ(Volcado(), antes);
    EXPECT_FALSE(e.App.Db.EnTransaccion());
}

TEST_F(ImportarMal, SinPaisesCerrarElDialogoCancela) {
    e.Trabajo("delete from pais");
    int veces = 0;
    e.Op.AlMostrarRelPais = [&](Aplicacion& app) {
        if (++veces > 3)
            throw Cancelacion("el diálogo vuelve sin salida");
        app.Retorno1.clear(); // Esc
    };
    LineaH h;
    h.Pais = "ZZ9";
    const std::string antes = Volcado();
    EXPECT_FALSE(Importar(h.Texto() + "\r\n" + LineaP{.Pais = "ZZ9"}.Texto() + "\r\n"));
    EXPECT_EQ(veces, 1);
    EXPECT_NE(e.Op.Ultimo().find("La tabla de países está vacía"), std::string::npos) << e.Op.Ultimo();
    EXPECT_NE(e.Op.Ultimo().find("La importación se deshizo"), std::string::npos);
    EXPECT_EQ(Volcado(), antes);
}

// A statement that fails on purpose through a temporary trigger, after which
// every statement of that connection fails as well, its rollback included.
bool g_sabotaje = false;
void FuncionFallar(sqlite3_context* ctx, int, sqlite3_value**) {
    g_sabotaje = true;
    sqlite3_result_error(ctx, "fallo provocado", -1);
}
void Sabotear(Almacor::Gestor& g, const std::string& disparador) {
    g_sabotaje = false;
    sqlite3_create_function(g.Handle(), "fallar", 0, SQLITE_UTF8, nullptr, FuncionFallar, nullptr, nullptr);
    sqlite3_progress_handler(
        g.Handle(), 1, [](void*) { return g_sabotaje ? 1 : 0; }, nullptr);
    ASSERT_EQ(sqlite3_exec(g.Handle(),
                           ("create temp trigger sabotaje " + disparador + " begin select fallar(); end").c_str(),
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
}

TEST_F(ImportarMal, RollbackFallidoReconectaYDiceLoPerdido) {
    e.Trabajo("delete from ORG");
    e.Op.Relaciones["AR1"] = {"320", "1"}; // created during the run
    Sabotear(e.App.Db, "before insert on ART");
    EXPECT_FALSE(Importar(LineaH{}.Texto() + "\r\n"));
    const std::string m = e.Op.Ultimo();
    EXPECT_NE(m.find("No se pudieron leer las relaciones de país"), std::string::npos) << m;
    EXPECT_NE(m.find("Se cerró y reabrió la conexión"), std::string::npos) << m;
    EXPECT_FALSE(e.App.Db.EnTransaccion());
    // The program stays usable: the next import runs.
    g_sabotaje = false;
    e.Trabajo("insert into ORG values ('AR1','320','1')");
    EXPECT_TRUE(Importar(LineaH{}.Texto() + "\r\n")) << e.Op.Ultimo();
}

TEST_F(ImportarMal, BorradoConRollbackFallidoReconecta) {
    ASSERT_TRUE(Importar(LineaH{}.Texto() + "\r\n"));
    Sabotear(e.App.Db, "before delete on INTN");
    e.Op.RespuestasSiNo = {Operador::Respuesta::Si};
    EXPECT_EQ(ListaInternos::FRAM1_EliminarInterno(e.App, "1001//01"), Resultado::Fallido);
    EXPECT_NE(e.Op.Ultimo().find("Se cerró y reabrió la conexión"), std::string::npos) << e.Op.Ultimo();
    EXPECT_FALSE(e.App.Db.EnTransaccion());
    EXPECT_EQ(e.Valor("select count(*) from ART"), "1");
}

// Two connections to one file, as two runs of the program.
TEST(Bloqueo, LaSegundaEscrituraEsperaALaPrimera) {
    EntornoPrueba e;
    const std::string ruta = e.App.Db.Ruta();
    Almacor::Gestor a;
    a.CadenaConexion("Provider=SQLite;Data Source=" + ruta);
    a.Conectar();
    a.ComenzarTransaccion();
    a.Ejecutar("insert into INTN values ('A','A')");
    std::thread primera([&a] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        a.ConfirmarTransaccion();
    });
    // A savepoint run (the classification's): reads, then writes.
    Almacor::Gestor& b = e.App.Db;
    std::string error;
    try {
        b.Savepoint("corrida");
        Recordset rs;
        b.Sql("select count(*) from INTN");
        b.CrearRs(rs);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        b.Ejecutar("insert into INTN values ('B','B')");
        b.LiberarSavepoint("corrida");
    } catch (const AppError& x) {
        error = x.Description;
        b.DeshacerTransaccion();
    }
    primera.join();
    EXPECT_EQ(error, "");
    EXPECT_FALSE(b.EnTransaccion());
    EXPECT_EQ(e.Valor("select group_concat(INTNRO) from (select INTNRO from INTN order by 1)"), "A,B");
}

TEST(Bloqueo, SinElBloqueoDiceQueOtraEjecucionLoTiene) {
    EntornoPrueba e;
    Almacor::Gestor a;
    a.CadenaConexion("Provider=SQLite;Data Source=" + e.App.Db.Ruta());
    a.Conectar();
    a.ComenzarTransaccion();
    sqlite3_busy_timeout(e.App.Db.Handle(), 100);
    for (int i = 0; i < 2; ++i) {
        try {
            if (i == 0)
                e.App.Db.ComenzarTransaccion();
            else
                e.App.Db.Savepoint("corrida");
            ADD_FAILURE() << "sin error";
        } catch (const AppError& x) {
            EXPECT_NE(x.Description.find("Otra ejecución tiene la base de datos"), std::string::npos) << x.Description;
        }
        EXPECT_FALSE(e.App.Db.EnTransaccion());
    }
    a.DeshacerTransaccion();
}

// Records whether a customs transaction was open whenever a box waited.
class OperadorVigilante : public OperadorPrueba {
public:
    Aplicacion* App = nullptr;
    std::vector<std::string> ConBloqueo;
    Respuesta MsgBox(const std::string& texto, Icono icono, Botones botones) override {
        Vigilar(texto);
        return OperadorPrueba::MsgBox(texto, icono, botones);
    }
    bool Preguntar(const std::string& id, const std::string& texto) override {
        Vigilar(texto);
        return OperadorPrueba::Preguntar(id, texto);
    }

private:
    void Vigilar(const std::string& texto) {
        for (Conexion* g : App->Entidades->Conexiones())
            if (g->EnTransaccion())
                ConBloqueo.push_back(texto);
    }
};

class TransferirMal : public ::testing::Test {
protected:
    EntornoPrueba e;
    OperadorVigilante op;
    void SetUp() override {
        op.App = &e.App;
        e.App.Op = &op;
        e.App.Config.INTCAT = "CAT1";
        e.App.InternoActual = "100";
        e.Trabajo("insert into INTN values ('100','100')");
    }
    void Articulo(int ord, const std::string& tipo) {
        e.Trabajo(
            "insert into ART (INTNRO,ARTORD,ARTNRO,ARTDSC,ARTUNI,ARTTOT,PRCCAN,PRCDUN,PRCESM,PRCNCM,PRCCRC,PRCTDS) "
            "values ('100'," +
            std::to_string(ord) + ",'A" + std::to_string(ord) +
            "','Articulo',10,400,10,'07','1','8703.23.10.100A','OK','" + tipo + "')");
    }
    std::string Declaracion() {
        std::string r;
        for (const char* t : {"caratula", "subitems", "facturas", "descargas"})
            r += std::string(t) + "=" + e.ValorAduana(std::string("select count(*) from ") + t) + " ";
        return r + e.ValorAduana("select fletedivisas || '/' || segurodivisas from caratula");
    }
};

TEST_F(TransferirMal, IcrSinCifNoEscribeNadaYNingunaCajaEsperaConBloqueo) {
    struct Caso {
        const char* tipo;
        bool insumo;
        bool anterior; // an earlier declaration, agreed to be replaced
    } casos[] = {{"ICR2", false, false}, {"ICR1", false, true}, {"ICR2", false, true}};
    for (const Caso& c : casos) {
        SCOPED_TRACE(std::string(c.tipo) + (c.anterior ? " con anterior" : ""));
        e.Trabajo("delete from ART");
        for (const char* t : {"caratula", "subitems", "facturas", "descargas", "despacho_resumen"})
            e.EnAduana(std::string("delete from ") + t);
        Articulo(1, c.tipo);
        Articulo(2, c.tipo);
        if (c.anterior) {
            e.EnAduana("insert into caratula (interno, fobdivisas, fletedivisas) values ('100', 1, 2)");
            op.RespuestasSiNo = {Operador::Respuesta::Si};
        }
        const std::string antes = Declaracion();
        op.ConBloqueo.clear();
        op.Mensajes.clear();
        EXPECT_EQ(FRM3_Tranferir(e.App), Resultado::Fallido);
        EXPECT_NE(op.Ultimo().find("no tiene insumos con CIF"), std::string::npos) << op.Ultimo();
        EXPECT_EQ(Declaracion(), antes);
        EXPECT_EQ(op.ConBloqueo, std::vector<std::string>{});
    }
}

TEST_F(TransferirMal, LaPreguntaDeReemplazoYElAvisoFinalVanSinBloqueo) {
    Articulo(1, "ECR1");
    e.EnAduana("insert into caratula (interno) values ('100')");
    op.RespuestasSiNo = {Operador::Respuesta::Si};
    EXPECT_EQ(FRM3_Tranferir(e.App), Resultado::Hecho) << op.Ultimo();
    EXPECT_EQ(op.Preguntas.size(), 1u);
    EXPECT_EQ(op.ConBloqueo, std::vector<std::string>{});
    EXPECT_EQ(e.ValorAduana("select count(*) from subitems"), "1");
}

TEST(Ajustes, CadaValorSeCompruebaDondeSeFija) {
    EntornoPrueba e;
    e.EnAduana("insert into unidades (id, descripcion) values ('07','UNIDAD')");
    e.EnAduana("insert into catalogo (idcatalogo, descripcion) values ('5','CAT')");
    struct Caso {
        const char* clave;
        std::string valor;
        bool valido;
    } casos[] = {
        {"ORIGEN", "310", true},
        {"ORIGEN", std::string(120000, 'X'), false},
        {"ORIGEN", "999", false},
        {"ORIGEN", "310\n", false},
        {"INTCAT", "5", true},
        {"INTCAT", "-1", false},
        {"INTDUN", "07", true},
        {"INTDUN", "99", false},
        {"AA_MARCA", "TOYOTA & CIA/2,3", true},
        {"AA_MARCA", "Toyota", true},
        {"AA_MARCA", "Ñandú", false},
        {"AA_MARCA", std::string(22, 'A'), false},
        {"AA_MARCA", "MARCA$", false},
        {"AA_MARCA", "A\rB", false},
        {"MODELOVARIANTESINSPC", "1", true},
        {"MODELOVARIANTESINSPC", "0", true},
        {"MODELOVARIANTESINSPC", "2", false},
        {"MODELOVARIANTESINSPC", "", false},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(std::string(c.clave) + "=" + c.valor.substr(0, 30));
        EXPECT_EQ(AjusteInvalido(e.App, c.clave, c.valor).empty(), c.valido) << AjusteInvalido(e.App, c.clave, c.valor);
    }
    // The dialog refuses them too, and keeps what was stored.
    FormConfig f(e.App);
    f.Form_Load();
    f.txtOrigen = "999";
    EXPECT_FALSE(f.GrabarySalir());
    EXPECT_EQ(e.App.Almacen->GetSetting("ORIGEN", "<ausente>"), "<ausente>");
    EXPECT_THROW(e.App.Almacen->SaveSetting("ORIGEN", "3\n10"), AppError);
}

TEST(Ajustes, LaLineaDeComandosRechazaYNoGuarda) {
    EntornoPrueba e;
    e.EnAduana("insert into catalogo (idcatalogo, descripcion) values ('5','CAT')");
    const std::string ini = (e.Home / "cli.ini").string();
    auto cli = [&](std::vector<std::string> args, std::string* salida = nullptr) {
        std::ostringstream o, r;
        args.insert(args.begin(), {"--home", e.Home.string(), "--settings", ini});
        int rc = Consola::Ejecutar(args, o, r);
        if (salida)
            *salida = o.str();
        return rc;
    };
    EXPECT_EQ(cli({"config", "ORIGEN", "310"}), 0);
    std::string salida;
    EXPECT_EQ(cli({"config", "ORIGEN", std::string(120000, 'X')}, &salida), 1);
    EXPECT_NE(salida.find("EXCLAMACION: El origen"), std::string::npos) << salida.substr(0, 200);
    EXPECT_EQ(cli({"config", "INTCAT", "-1"}), 1);
    EXPECT_EQ(cli({"config", "MODELOVARIANTESINSPC", "7"}), 1);
    cli({"config"}, &salida);
    EXPECT_NE(salida.find("ORIGEN=310\n"), std::string::npos) << salida;
    // A folder as the settings file is an error, not a list of empty settings.
    std::ostringstream o, r;
    EXPECT_EQ(Consola::Ejecutar({"--home", e.Home.string(), "--settings", e.Home.string(), "config"}, o, r), 1);
    EXPECT_NE(o.str().find("es una carpeta"), std::string::npos) << o.str();
}

} // namespace
