// The installed program: where the home is, --help and --version, the run log.
#include "Entorno.h"
#include "app/Arranque.h"
#include "app/Consola.h"
#include "import/Importacion.h"
#include "platform/Bitacora.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::vector<std::vector<std::string>> LineasDeBitacora(const fs::path& home) {
    std::vector<std::vector<std::string>> r;
    std::ifstream in(Bitacora::Ruta(home.string()));
    std::string linea;
    while (std::getline(in, linea)) {
        std::vector<std::string> campos;
        std::stringstream s(linea);
        for (std::string c; std::getline(s, c, '\t');)
            campos.push_back(c);
        r.push_back(campos);
    }
    return r;
}

int Cli(const std::vector<std::string>& args, std::string& out, std::string& err) {
    std::ostringstream o, e;
    int rc = Consola::Ejecutar(args, o, e);
    out = o.str();
    err = e.str();
    return rc;
}

} // namespace

TEST(Instalacion, CarpetaDelPrograma) {
    const fs::path base = fs::temp_directory_path() / ("velmarion-home-" + std::to_string(::getpid()));
    const fs::path portable = base / "portable", instalado = base / "usr-bin", datos = base / "datos";
    fs::create_directories(portable / "db");
    fs::create_directories(instalado);
    const char* antes = std::getenv("XDG_DATA_HOME");
    const std::string xdgAntes = antes ? antes : "";
    ::setenv("XDG_DATA_HOME", datos.c_str(), 1);
    const std::string usuario = (datos / "Velmarion").string();
    EXPECT_EQ(Arranque::CarpetaDatosUsuario(), usuario);

    struct Caso {
        std::string argumento;
        const char* entorno;
        fs::path ejecutable;
        std::string esperado;
    } casos[] = {
        {"/otra/casa", "/de/entorno", portable, "/otra/casa"}, // --home wins over everything
        {"", "/de/entorno", portable, "/de/entorno"},          // then VELMARION_HOME
        {"", "", portable, portable.string()},                 // an empty variable counts as unset
        {"", nullptr, portable, portable.string()},            // a copied folder holding db/ is portable
        {"", nullptr, instalado, usuario},                     // an installed program: the user's data folder
        {"/otra/../casa/./", nullptr, instalado, "/casa/"},    // given paths come normalised
    };
    for (const Caso& c : casos)
        EXPECT_EQ(Arranque::ResolverHome(c.argumento, c.entorno, c.ejecutable.string()), c.esperado)
            << c.argumento << " | " << (c.entorno ? c.entorno : "(sin variable)") << " | " << c.ejecutable;

    // A first start in the data folder: only the work and customs databases are missing, and
    // `donde` names both without creating anything.
    std::string out, err;
    EXPECT_EQ(Arranque::BasesFaltantes(usuario).size(), 2u);
    EXPECT_EQ(Cli({"--home=" + usuario, "donde"}, out, err), 0) << err;
    EXPECT_NE(out.find("Base de trabajo: " + usuario + "/db/Dantremos.db"), std::string::npos) << out;
    EXPECT_NE(out.find("Falta: " + usuario + "/db/Corvex.db"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(usuario));

    if (antes)
        ::setenv("XDG_DATA_HOME", xdgAntes.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
    fs::remove_all(base);
}

TEST(Instalacion, AyudaYVersion) {
    const std::string version = std::string("velmarion-cli (Velmarion) ") + Arranque::kVersion + "\n";
    EXPECT_NE(Arranque::LineaVersion(false).find(Arranque::kVersion), std::string::npos);
    struct Caso {
        std::vector<std::string> args;
        int rc;
        std::string salidaContiene; // on standard output
        std::string errorContiene;  // on standard error
    } casos[] = {
        {{"--version"}, 0, version, ""},
        {{"-V"}, 0, version, ""},
        {{"--help"}, 0, "Estado de salida:", ""},
        {{"-h"}, 0, "  donde", ""},
        {{"--home", "/x", "--help"}, 0, "Uso: velmarion-cli", ""},
        {{"run", "--help"}, 0, "run \"INTNRO|FILE\"", ""}, // a command's own help
        {{"--bogus", "list"}, 2, "", "opción desconocida --bogus"},
        {{"--home"}, 2, "", "falta el valor"},
        {{}, 2, "", "falta el comando"},
        {{"list", "--version"}, 2, "", "opción desconocida --version"}, // after the command: the command's
    };
    for (const Caso& c : casos) {
        std::string out, err;
        EXPECT_EQ(Cli(c.args, out, err), c.rc) << out << err;
        EXPECT_NE(out.find(c.salidaContiene), std::string::npos) << out;
        EXPECT_NE(err.find(c.errorContiene), std::string::npos) << err;
        if (c.rc == 0) {
            EXPECT_EQ(err, "");
        }
    }
    std::string out, err;
    Cli({"--help"}, out, err);
    for (const char* orden :
         {"init", "config", "relacion", "import", "list", "delete", "run", "classify", "stats", "transfer", "donde"})
        EXPECT_NE(out.find(std::string("\n  ") + orden), std::string::npos) << orden;

#ifdef VELMARION_GUI
    // The windows answer too, without a display.
    FILE* p = popen(VELMARION_GUI " --version 2>&1", "r");
    char buf[256] = {};
    size_t n = fread(buf, 1, sizeof buf - 1, p);
    EXPECT_EQ(WEXITSTATUS(pclose(p)), 0);
    EXPECT_EQ(std::string(buf, n).rfind(std::string("velmarion (Velmarion) ") + Arranque::kVersion + "\n", 0), 0u);
    p = popen(VELMARION_GUI " --help 2>&1", "r");
    std::string ayuda;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        ayuda.append(buf, n);
    EXPECT_EQ(WEXITSTATUS(pclose(p)), 0);
    EXPECT_NE(ayuda.find("--settings FILE"), std::string::npos) << ayuda;
    EXPECT_NE(ayuda.find("Estado de salida:"), std::string::npos) << ayuda;
#endif
}

TEST(Instalacion, BitacoraDeUnaImportacionFallida) {
    EntornoPrueba e;
    e.App.InternoLinea = "1234";
    // A detail line cut short: the import fails on it and undoes itself.
    fs::path archivo = e.Archivo("roto.txt", "P" + std::string(40, '0') + "\r\n");
    EXPECT_FALSE(Importacion::ProcesarArchivo(e.App, archivo.string()));
    // And one that cannot be opened at all.
    EXPECT_FALSE(Importacion::ProcesarArchivo(e.App, (e.Home / "no-existe.txt").string()));

    auto lineas = LineasDeBitacora(e.Home);
    ASSERT_EQ(lineas.size(), 2u);
    for (const auto& l : lineas) {
        ASSERT_EQ(l.size(), 6u);
        EXPECT_EQ(l[0].size(), 19u) << l[0]; // 2024-05-01 14:03:22
        EXPECT_NE(l[1], "");
        EXPECT_EQ(l[2], "1234");
        EXPECT_EQ(l[3], "importacion");
        EXPECT_EQ(l[4].rfind("fallido: ", 0), 0u) << l[4];
        EXPECT_GE(std::stod(l[5]), 0.0);
    }
    EXPECT_NE(lineas[1][4].find("no-existe.txt"), std::string::npos) << lineas[1][4];
}

TEST(Instalacion, BitacoraCampoPorCampoYRotacion) {
    EntornoPrueba e;
    const std::string home = e.Home.string();
    Bitacora::Registrar(home, "", "transferencia", "fallido: dos\r\nlíneas\tcon tab", 1.234);
    auto lineas = LineasDeBitacora(e.Home);
    ASSERT_EQ(lineas.size(), 1u);
    ASSERT_EQ(lineas[0].size(), 6u); // the reason's tab and line break do not add fields or lines
    EXPECT_EQ(lineas[0][2], "-");
    EXPECT_EQ(lineas[0][4], "fallido: dos  líneas con tab");
    EXPECT_EQ(lineas[0][5], "1.23");

    // Past 1 MB the log moves aside (replacing an older one) and starts again.
    std::ofstream(Bitacora::Ruta(home) + ".1") << "viejo\n";
    std::ofstream(Bitacora::Ruta(home), std::ios::app) << std::string(1024 * 1024, 'x') << "\n";
    Bitacora::Registrar(home, "7", "clasificacion", "hecho", 0);
    EXPECT_EQ(LineasDeBitacora(e.Home).size(), 1u);
    EXPECT_GT(fs::file_size(Bitacora::Ruta(home) + ".1"), 1024u * 1024u);

    // No home folder, no log (and no folder made for it).
    Bitacora::Registrar((e.Home / "no-existe").string(), "7", "clasificacion", "hecho", 0);
    EXPECT_FALSE(fs::exists(e.Home / "no-existe"));
}
