#include "app/Consola.h"

#include "comun/Aplicacion.h"
#include "app/Arranque.h"
#include "app/OperadorConsola.h"
#include "platform/AppError.h"

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
};

const Entrada kComandos[] = {
    {"init", CmdInit, "init [--demo] [--force]"},
    {"config", CmdConfig, "config [KEY VALUE]"},
    {"relacion", CmdRelacion, "relacion list | add PAI ORI ESM | delete PAI ORI"},
    {"transfer", CmdTransfer, "transfer INTNRO [--reemplazar si|no]"},
    {"import", CmdImport, "import FILE [--interno N] [--tipo ICR1|ICR2] [--relacion PAI=ORI:ESM ...]"},
    {"list", CmdList, "list"},
    {"delete", CmdDelete, "delete INTNRO [--si]"},
    {"run", CmdRun, "run \"INTNRO|FILE\" [--tipo ICR1|ICR2] [--relacion PAI=ORI:ESM ...] [--reemplazar si|no]"},
    {"classify", CmdClassify, "classify INTNRO"},
    {"stats", CmdStats, "stats INTNRO"},
    {"depurar", CmdDepurar, "depurar INTNRO [--ok]"},
    {"editar", CmdEditar,
     "editar INTNRO ARTORD [--posicion POS] [--sufijos TEXT] [--unidad-declarada U] [--cantidad-declarada N]\n"
     "         [--cantidad-estadistica N] [--der-especifico N] [--estado-mercaderia N] [--origen ID] [--cantidad N]\n"
     "         [--unitario N] [--total N] [--valor CODE=VALUE ...] [--opcion GROUP=CODE ...] [--sin-pais si|no]\n"
     "         [--cancelar si|no]"},
    {"historial", CmdHistorial, "historial INTNRO"},
    {"deshacer", CmdDeshacer, "deshacer INTNRO"},
    {"nomenclador", CmdNomenclador, "nomenclador TEXT... | --detalle POS"},
};

void Uso(std::ostream& err) {
    err << "Uso: velmarion-cli [--home DIR] [--settings FILE] COMMAND ...\n";
    for (const Entrada& e : kComandos)
        err << "  " << e.uso << "\n";
}

} // namespace

void Contexto::ComprobarAjustes() const {
    // A folder opens as an empty settings file that can never be written: it
    // would read as a system never configured.
    std::error_code ec;
    if (!ArchivoAjustes.empty() && std::filesystem::is_directory(ArchivoAjustes, ec))
        throw AppError(75, "Consola.Ajustes",
                       "El archivo de ajustes " + ArchivoAjustes + " es una carpeta: no se pueden leer ni guardar ajustes.");
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
    std::string home;
    size_t i = 0;
    try {
        for (; i < argumentos.size(); ++i) {
            const std::string& a = argumentos[i];
            if (a == "--home" || a == "--settings") {
                if (i + 1 >= argumentos.size())
                    throw UsoIncorrecto("falta el valor de " + a);
                (a == "--home" ? home : c.ArchivoAjustes) = argumentos[++i];
            } else if (a.rfind("--", 0) == 0) {
                throw UsoIncorrecto("opción desconocida " + a);
            } else {
                break;
            }
        }
        if (i >= argumentos.size())
            throw UsoIncorrecto("falta el comando");
        const std::string nombre = argumentos[i];
        const Entrada* e = nullptr;
        for (const Entrada& k : kComandos)
            if (nombre == k.nombre)
                e = &k;
        if (!e)
            throw UsoIncorrecto("comando desconocido: " + nombre);
        c.Home = Arranque::CarpetaPrograma(home);
        c.Args.assign(argumentos.begin() + static_cast<long>(i) + 1, argumentos.end());
        return e->comando(c);
    } catch (const UsoIncorrecto& u) {
        err << "velmarion-cli: " << u.what() << "\n";
        Uso(err);
        return 2;
    } catch (const Cancelacion& x) {
        out << "EXCLAMACION: " << x.Motivo << "\n\n";
        return 1;
    } catch (...) {
        AppError e = AppError::Actual();
        out << "CRITICO: " << e.Description << "\n\n" << e.Number << " - " << e.Source << "\n\n";
        return 1;
    }
}

} // namespace Consola
