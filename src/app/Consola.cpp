#include "app/Consola.h"

#include "app/Arranque.h"
#include "app/Completado.h"
#include "app/OperadorConsola.h"
#include "comun/Aplicacion.h"
#include "platform/AppError.h"
#include "platform/Bitacora.h"

#include <QCommandLineParser>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>

namespace Consola {

namespace {

struct Entrada {
    const char* nombre;
    Comando comando;
    const char* uso;
    const char* ayuda = nullptr; // one line for --help
};

const Entrada kComandos[] = {
    {"init", CmdInit, "init [--demo] [--force]",
     "crea las bases en DIR/db (--demo: datos de referencia, catálogo y configuración)"},
    {"init-servidor", CmdInitServidor, "init-servidor CONNINFO [--demo] [--force]",
     "crea las tablas del sistema aduanero en un servidor PostgreSQL y apunta las entidades a él"},
    {"config", CmdConfig, "config [KEY VALUE]", "muestra la configuración, o guarda un valor"},
    {"relacion", CmdRelacion, "relacion list | add PAI ORI ESM | delete PAI ORI", "relaciones de países"},
    {"transfer", CmdTransfer, "transfer INTNRO [--reemplazar si|no]", "transfiere un interno al sistema aduanero"},
    {"import", CmdImport,
     "import FILE [--interno N] [--tipo ICR1|ICR2] [--relacion PAI=ORI:ESM ...]\n"
     "         [--reemplazar-correcciones si|no]",
     "importa un archivo de envío y lo clasifica"},
    {"list", CmdList, "list", "lista los internos"},
    {"delete", CmdDelete, "delete INTNRO [--si]", "elimina un interno"},
    {"run", CmdRun,
     "run \"INTNRO|FILE\" [--tipo ICR1|ICR2] [--relacion PAI=ORI:ESM ...] [--reemplazar si|no]\n"
     "         [--reemplazar-correcciones si|no]",
     "importa, clasifica y transfiere sin detenerse"},
    {"classify", CmdClassify, "classify INTNRO", "clasifica un interno"},
    {"stats", CmdStats, "stats INTNRO", "contadores y totales CIF de un interno"},
    {"donde", CmdDonde, "donde", "muestra carpeta, bases, configuración, entidades y registro en uso"},
    {"depurar", CmdDepurar, "depurar INTNRO [--ok]", "lista los artículos a depurar (--ok: los correctos)"},
    {"editar", CmdEditar,
     "editar INTNRO ARTORD [--posicion POS | --sugerencia N] [--sufijos TEXT] [--unidad-declarada U]\n"
     "         [--cantidad-declarada N] [--cantidad-estadistica N] [--der-especifico N] [--estado-mercaderia N]\n"
     "         [--origen ID] [--cantidad N] [--unitario N] [--total N] [--valor CODE=VALUE ...]\n"
     "         [--opcion GROUP=CODE ...] [--sin-pais si|no] [--cancelar si|no] [--vehiculos si|no]",
     "corrige un artículo y replica la corrección"},
    {"sugerir", CmdSugerir, "sugerir INTNRO [ARTORD]",
     "posiciones sugeridas para los artículos a depurar, la mejor primero, con su porqué"},
    {"historial", CmdHistorial, "historial INTNRO", "correcciones guardadas de un interno"},
    {"deshacer", CmdDeshacer, "deshacer INTNRO", "deshace la última corrección guardada"},
    {"nomenclador", CmdNomenclador, "nomenclador TEXT... | --detalle POS", "busca posiciones en el nomenclador"},
    {"reporte", CmdReporte, "reporte INTNRO [--ok] [--pdf FILE] [--xlsx FILE]",
     "reporte de los artículos a depurar (o los OK) en texto, PDF o Excel"},
    {"catalogo", CmdCatalogo, "catalogo [--pdf FILE] [--xlsx FILE]",
     "artículos del catálogo cuya posición o sufijos ya no sirven, por motivo"},
};

void Uso(std::ostream& err) {
    err << "Uso: velmarion-cli [--home DIR] [--settings FILE] COMMAND ...\n";
    for (const Entrada& e : kComandos)
        err << "  " << e.uso << "\n";
    err << "Pruebe 'velmarion-cli --help' para más información.\n";
}

void Ayuda(std::ostream& out) {
    out << "Uso: velmarion-cli [OPCIÓN]... ORDEN [ARGUMENTO]...\n"
           "Prepara los despachos de importación sin ventanas: importa el archivo de envío, clasifica\n"
           "los artículos y transfiere el interno al sistema aduanero.\n\n"
           "Opciones (antes de la orden):\n"
        << Arranque::AyudaOpciones()
        << "\n"
           "Órdenes (cada una admite --help):\n";
    for (const Entrada& e : kComandos) {
        out << "  " << e.uso << "\n";
        if (e.ayuda)
            out << "      " << e.ayuda << "\n";
    }
    out << "\nSolo init crea las bases de datos; cualquier otra orden sin ellas se detiene y nombra el archivo.\n"
           "Cada importación, clasificación, transferencia y falla deja una línea en DIR/velmarion.log.\n\n"
           "Estado de salida:\n"
           "  0  la orden hizo todo su trabajo\n"
           "  1  se detuvo antes de terminar o mostró un error\n"
           "  2  uso incorrecto (orden, opción o argumento)\n";
}

// The completion script: the global options as Ayuda lists them, the commands
// and their options as the table's usage lines give them.
std::string CompletadoBash() {
    using Completado::Valor;
    std::vector<Completado::Orden> ordenes;
    for (const Entrada& e : kComandos)
        ordenes.push_back(Completado::LeerUso(e.uso));
    return Completado::ScriptBash("velmarion-cli",
                                  {{"--home", Valor::Carpeta, {}},
                                   {"--settings", Valor::Archivo, {}},
                                   {"--help", Valor::Ninguno, {}},
                                   {"--version", Valor::Ninguno, {}}},
                                  ordenes);
}

} // namespace

void Contexto::ComprobarAjustes() const {
    // A folder opens as an empty settings file that can never be written: it
    // would read as a system never configured.
    std::error_code ec;
    if (!ArchivoAjustes.empty() && std::filesystem::is_directory(ArchivoAjustes, ec))
        throw AppError(75, "Consola.Ajustes",
                       "El archivo de ajustes " + ArchivoAjustes +
                           " es una carpeta: no se pueden leer ni guardar ajustes.");
}

bool Contexto::Arrancar(Aplicacion& app, const std::string& lineaComandos) {
    app.Home = Home;
    app.Op = Op;
    try {
        ComprobarAjustes();
        app.Almacen = std::make_unique<AlmacenAjustes>(ArchivoAjustes);
        Arranque::Form_Load(app, lineaComandos);
        return true;
    } catch (...) {
        AppError e = AppError::Actual();
        *Out << "CRITICO: " << e.Description << "\n\n" << e.Number << " - " << e.Source << "\n\n";
        Bitacora::Registrar(Home, "", "arranque", "fallido: " + e.Description, 0);
        return false;
    }
}

std::string Contexto::Opcion(const std::string& nombre) {
    auto it = std::find(Args.begin(), Args.end(), nombre);
    if (it == Args.end())
        return {};
    if (it + 1 == Args.end())
        throw UsoIncorrecto("falta el valor de " + nombre);
    std::string v = *(it + 1);
    Args.erase(it, it + 2);
    return v;
}

std::vector<std::string> Contexto::Opciones(const std::string& nombre) {
    std::vector<std::string> r;
    while (std::find(Args.begin(), Args.end(), nombre) != Args.end())
        r.push_back(Opcion(nombre));
    return r;
}

bool Contexto::Bandera(const std::string& nombre) {
    auto it = std::find(Args.begin(), Args.end(), nombre);
    if (it == Args.end())
        return false;
    Args.erase(it);
    return true;
}

void Contexto::Exigir(size_t n, const std::string& uso) {
    for (const std::string& a : Args)
        if (a.size() > 2 && a.rfind("--", 0) == 0)
            throw UsoIncorrecto("opción desconocida " + a + "; uso: " + uso);
    if (Args.size() != n)
        throw UsoIncorrecto("uso: " + uso);
}

int Ejecutar(const std::vector<std::string>& argumentos, std::ostream& out, std::ostream& err) {
    OperadorConsola op(out, err);
    Contexto c;
    c.Op = &op;
    c.Out = &out;
    c.Err = &err;
    std::string comando; // for the run log of an error that ends the command
    try {
        QCommandLineParser p;
        // Everything from the command name on is the command's own.
        p.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
        const QCommandLineOption home(QStringList{"home"}, "", "DIR"), ajustes(QStringList{"settings"}, "", "FILE"),
            ayuda(QStringList{"h", "help"}), version(QStringList{"V", "version"}),
            completado(QStringList{"completado-bash"}); // not in --help: the build writes the package's script with it
        p.addOptions({home, ajustes, ayuda, version, completado});
        QStringList lista{"velmarion-cli"};
        for (const std::string& a : argumentos)
            lista << QString::fromStdString(a);
        if (!p.parse(lista)) {
            const QStringList desconocidas = p.unknownOptionNames();
            if (!desconocidas.isEmpty())
                throw UsoIncorrecto("opción desconocida " + std::string(desconocidas.first().size() > 1 ? "--" : "-") +
                                    desconocidas.first().toStdString());
            throw UsoIncorrecto("falta el valor de una opción (" + p.errorText().toStdString() + ")");
        }
        if (p.isSet(ayuda)) {
            Ayuda(out);
            return 0;
        }
        if (p.isSet(version)) {
            out << Arranque::TextoVersion("velmarion-cli");
            return 0;
        }
        if (p.isSet(completado)) {
            out << CompletadoBash();
            return 0;
        }
        c.ArchivoAjustes = p.value(ajustes).toStdString();
        const QStringList resto = p.positionalArguments();
        if (resto.isEmpty())
            throw UsoIncorrecto("falta el comando");
        const std::string nombre = resto.first().toStdString();
        const Entrada* e = nullptr;
        for (const Entrada& k : kComandos)
            if (nombre == k.nombre)
                e = &k;
        if (!e)
            throw UsoIncorrecto("comando desconocido: " + nombre);
        for (qsizetype i = 1; i < resto.size(); ++i)
            c.Args.push_back(resto[i].toStdString());
        if (!c.Args.empty() && (c.Args[0] == "--help" || c.Args[0] == "-h")) {
            out << "Uso: velmarion-cli [--home DIR] [--settings FILE] " << e->uso << "\n";
            if (e->ayuda)
                out << e->ayuda << "\n";
            return 0;
        }
        c.Home = Arranque::CarpetaPrograma(p.value(home).toStdString());
        comando = nombre;
        return e->comando(c);
    } catch (const UsoIncorrecto& u) {
        err << "velmarion-cli: " << u.what() << "\n";
        Uso(err);
        return 2;
    } catch (const Cancelacion& x) {
        out << "EXCLAMACION: " << x.Motivo << "\n\n";
        Bitacora::Registrar(c.Home, "", comando, "detenido: " + x.Motivo, 0);
        return 1;
    } catch (...) {
        AppError e = AppError::Actual();
        out << "CRITICO: " << e.Description << "\n\n" << e.Number << " - " << e.Source << "\n\n";
        Bitacora::Registrar(c.Home, "", comando, "fallido: " + e.Description, 0);
        return 1;
    }
}

int CmdDonde(Contexto& c) {
    c.Exigir(0, "donde");
    *c.Out << Arranque::Ubicaciones(c.Home, AlmacenAjustes(c.ArchivoAjustes).Ubicacion());
    for (const std::string& f : Arranque::BasesFaltantes(c.Home))
        *c.Out << "Falta: " << f << " (velmarion-cli init la crea)\n";
    return 0;
}

} // namespace Consola
