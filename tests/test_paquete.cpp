// What the package carries besides the programs: the shell completion read
// from the command table, the man pages against each program's --help, the
// licence in every --version.
#include "app/Arranque.h"
#include "app/Completado.h"
#include "app/Consola.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string Salida(const std::string& orden) {
    std::string r;
    FILE* p = popen(orden.c_str(), "r");
    if (!p)
        return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        r.append(buf, n);
    pclose(p);
    return r;
}

std::string Cli(const std::vector<std::string>& args) {
    std::ostringstream o, e;
    Consola::Ejecutar(args, o, e);
    return o.str();
}

// What bash offers for a command line: COMP_WORDS as given, the cursor on the last word.
std::set<std::string> Ofrecidas(const fs::path& script, const std::vector<std::string>& palabras) {
    std::string arreglo;
    for (const std::string& p : palabras)
        arreglo += " '" + p + "'";
    const std::string orden = "bash -c 'source \"$0\"; COMP_WORDS=(" +
                              std::regex_replace(arreglo, std::regex("'"), "'\\''") +
                              "); COMP_CWORD=" + std::to_string(palabras.size() - 1) +
                              "; _velmarion_cli; printf \"%s\\n\" \"${COMPREPLY[@]}\"' " + script.string();
    std::set<std::string> r;
    std::istringstream in(Salida(orden));
    for (std::string l; std::getline(in, l);)
        if (!l.empty())
            r.insert(l);
    return r;
}

// The commands a --help lists under "Órdenes": the first word of each line indented two spaces.
std::set<std::string> OrdenesDeLaAyuda(const std::string& ayuda) {
    std::set<std::string> r;
    std::istringstream in(ayuda.substr(ayuda.find("Órdenes")));
    std::string l;
    std::getline(in, l);
    while (std::getline(in, l) && !l.empty())
        if (l.size() > 2 && l.rfind("  ", 0) == 0 && l[2] != ' ')
            r.insert(l.substr(2, l.find(' ', 2) - 2));
    return r;
}

// The same from a man page: the section's lines that start with a command word and its usage.
std::set<std::string> OrdenesDelManual(const std::string& pagina) {
    std::set<std::string> r;
    const std::string texto = std::regex_replace(pagina, std::regex(R"(\\-)"), "-");
    std::istringstream in(texto.substr(texto.find(".SS \"Órdenes")));
    std::string l;
    std::getline(in, l);
    const std::regex orden(R"(^([a-z][a-z-]*)( \[| [A-Z"]| \|| [a-z]+ \||$).*)");
    std::smatch m;
    while (std::getline(in, l) && l.rfind(".SS", 0) != 0 && l.rfind(".SH", 0) != 0)
        if (std::regex_match(l, m, orden))
            r.insert(m[1]);
    return r;
}

// Every "--option" a text names.
std::set<std::string> Opciones(const std::string& texto) {
    std::set<std::string> r;
    const std::string limpio =
        std::regex_replace(std::regex_replace(texto, std::regex(R"(\\f[BRIP])"), ""), std::regex(R"(\\-)"), "-");
    const std::regex opcion(R"(--([a-z0-9][a-z0-9-]*))");
    for (auto it = std::sregex_iterator(limpio.begin(), limpio.end(), opcion); it != std::sregex_iterator(); ++it)
        r.insert((*it)[1]);
    return r;
}

std::string Leer(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST(Paquete, LecturaDeUnUso) {
    using Completado::Valor;
    struct Caso {
        std::string uso;
        std::vector<std::pair<std::string, Valor>> opciones;
        std::vector<std::string> palabras;
        bool archivo;
    } casos[] = {
        {"init [--demo] [--force]", {{"--demo", Valor::Ninguno}, {"--force", Valor::Ninguno}}, {}, false},
        // A value inside the option's brackets; choices split at "|"; FILE is a path.
        {"import FILE [--interno N] [--tipo ICR1|ICR2]",
         {{"--interno", Valor::Libre}, {"--tipo", Valor::Opciones}},
         {},
         true},
        // "INTNRO|FILE" is one argument, not choices nor a path; a flag never takes the next group's word.
        {"run \"INTNRO|FILE\" [--ok] [--pdf FILE] [--home DIR]",
         {{"--ok", Valor::Ninguno}, {"--pdf", Valor::Archivo}, {"--home", Valor::Carpeta}},
         {},
         false},
        {"relacion list | add PAI ORI ESM | delete PAI ORI", {}, {"list", "add", "delete"}, false},
        {"nomenclador TEXT... | --detalle POS", {{"--detalle", Valor::Libre}}, {}, false},
        {"gen [--utf8|--utf8-bom] [--valor CODE=VALUE ...]",
         {{"--utf8", Valor::Ninguno}, {"--utf8-bom", Valor::Ninguno}, {"--valor", Valor::Libre}},
         {},
         false},
    };
    for (const Caso& c : casos) {
        const Completado::Orden o = Completado::LeerUso(c.uso);
        ASSERT_EQ(o.Opciones.size(), c.opciones.size()) << c.uso;
        for (size_t i = 0; i < c.opciones.size(); ++i) {
            EXPECT_EQ(o.Opciones[i].Nombre, c.opciones[i].first) << c.uso;
            EXPECT_EQ(o.Opciones[i].Tipo, c.opciones[i].second) << c.uso << " " << c.opciones[i].first;
        }
        EXPECT_EQ(o.Palabras, c.palabras) << c.uso;
        EXPECT_EQ(o.Archivo, c.archivo) << c.uso;
    }
    EXPECT_EQ(Completado::LeerUso("x [--tipo ICR1|ICR2]").Opciones[0].Valores,
              (std::vector<std::string>{"ICR1", "ICR2"}));
}

TEST(Paquete, CompletadoDeBash) {
    const fs::path script = fs::temp_directory_path() / ("velmarion-completado-" + std::to_string(::getpid()));
    std::ofstream(script) << Cli({"--completado-bash"});
    struct Caso {
        std::vector<std::string> palabras;
        std::set<std::string> incluye;
        std::set<std::string> excluye;
    } casos[] = {
        {{"velmarion-cli", "de"}, {"depurar", "deshacer", "delete"}, {"editar"}},
        {{"velmarion-cli", "--home", "/tmp", "ed"}, {"editar"}, {}}, // a global option's value is no command
        {{"velmarion-cli", "--"}, {"--home", "--settings", "--help", "--version"}, {"--completado-bash"}},
        {{"velmarion-cli", "depurar", "1002", "--"}, {"--ok", "--help"}, {"--pdf"}},
        {{"velmarion-cli", "editar", "1002", "2", "--pos"}, {"--posicion"}, {}},
        {{"velmarion-cli", "editar", "1", "2", "--"}, {"--sufijos", "--valor", "--opcion", "--cancelar"}, {}},
        {{"velmarion-cli", "editar", "1", "2", "--sin-pais", ""}, {"si", "no"}, {}},
        {{"velmarion-cli", "transfer", "1", "--reemplazar", ""}, {"si", "no"}, {}},
        {{"velmarion-cli", "relacion", ""}, {"list", "add", "delete"}, {}},
        {{"velmarion-cli", "--settings", "a.ini", "run", "x", "--tipo", "I"}, {"ICR1", "ICR2"}, {}},
    };
    for (const Caso& c : casos) {
        const std::set<std::string> r = Ofrecidas(script, c.palabras);
        std::string linea;
        for (const std::string& p : c.palabras)
            linea += p + " ";
        for (const std::string& p : c.incluye)
            EXPECT_TRUE(r.count(p)) << linea << "-> falta " << p;
        for (const std::string& p : c.excluye)
            EXPECT_FALSE(r.count(p)) << linea << "-> sobra " << p;
    }
    fs::remove(script);
}

TEST(Paquete, ManualesComoLaAyuda) {
    const fs::path carpeta = VELMARION_MANUALES;
    if (!fs::exists(carpeta / "velmarion-cli.1"))
        GTEST_SKIP() << "sin help2man no hay páginas de manual";
    const std::string ayuda = Cli({"--help"});
    const std::string pagina = Leer(carpeta / "velmarion-cli.1");
    const std::set<std::string> ordenes = OrdenesDeLaAyuda(ayuda);
    EXPECT_GE(ordenes.size(), 15u);
    EXPECT_EQ(OrdenesDelManual(pagina), ordenes);
    EXPECT_EQ(Opciones(pagina), Opciones(ayuda));
    EXPECT_NE(pagina.find(".SH NOMBRE"), std::string::npos);
    EXPECT_EQ(pagina.find(".SH DESCRIPTION"), std::string::npos); // help2man's headings read in Spanish

    struct Programa {
        const char* nombre;
        std::string ejecutable;
    } otros[] = {
#ifdef VELMARION_GUI
        {"velmarion", VELMARION_GUI},
#endif
#ifdef VELMARION_GEN
        {"tarvelo-gen", VELMARION_GEN},
#endif
    };
    for (const Programa& p : otros) {
        const std::string suya = Salida(p.ejecutable + " --help");
        ASSERT_NE(suya, "") << p.nombre;
        EXPECT_EQ(Opciones(Leer(carpeta / (std::string(p.nombre) + ".1"))), Opciones(suya)) << p.nombre;
    }
}

TEST(Paquete, LicenciaEnLaVersion) {
    std::vector<std::pair<std::string, std::string>> versiones{{"velmarion-cli", Cli({"--version"})}};
#ifdef VELMARION_GUI
    versiones.push_back({"velmarion", Salida(std::string(VELMARION_GUI) + " --version")});
#endif
#ifdef VELMARION_GEN
    versiones.push_back({"tarvelo-gen", Salida(std::string(VELMARION_GEN) + " -V")});
#endif
    for (const auto& [programa, texto] : versiones) {
        EXPECT_EQ(texto.rfind(programa + " (Velmarion) " + Arranque::kVersion + "\n", 0), 0u) << texto;
        EXPECT_NE(texto.find("GPL versión 3 o posterior"), std::string::npos) << programa;
    }
}
