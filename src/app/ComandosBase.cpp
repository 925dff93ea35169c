// Commands of the runner that set up the program: init, config, relacion.
#include "app/Arranque.h"
#include "app/Consola.h"
#include "app/Demo.h"
#include "app/OperadorConsola.h"
#include "comun/Aplicacion.h"
#include "config/Configuracion.h"
#include "config/RelacionPais.h"
#include "platform/AppError.h"
#include "platform/Esquema.h"

#include <filesystem>
#include <fstream>
#include <iostream>

namespace fs = std::filesystem;

namespace Consola {

namespace {
const char* const kClaves[] = {"INTDUN", "INTCAT", "AA_MARCA", "ORIGEN", "MODELOVARIANTESINSPC"};
} // namespace

int CmdInit(Contexto& c) {
    bool demo = c.Bandera("--demo");
    bool forzar = c.Bandera("--force");
    c.Exigir(0, "init [--demo] [--force]");
    fs::path db = fs::path(c.Home) / "db";
    fs::path trabajo = db / "Dantremos.db", aduana = db / "Corvex.db";
    if (!forzar && (fs::exists(trabajo) || fs::exists(aduana))) {
        *c.Out << "EXCLAMACION: Las bases de datos ya existen en " << db.string()
               << ". Use --force para crearlas de nuevo (se pierden sus datos).\n\n";
        return 1;
    }
    AlmacenAjustes ajustes(c.ArchivoAjustes);
    Demo::CrearBases(c.Home, demo, ajustes, Arranque::CarpetaDatos());
    *c.Out << "Bases de datos creadas en " << db.string() << "\n";
    if (demo)
        *c.Out << "Datos de demostración cargados (nomenclador, sufijos, unidades, países, catálogo, relaciones y "
                  "configuración).\n";
    return 0;
}

int CmdConfig(Contexto& c) {
    if (c.Args.empty()) {
        c.ComprobarAjustes();
        AlmacenAjustes ajustes(c.ArchivoAjustes);
        for (const char* k : kClaves)
            *c.Out << k << "=" << ajustes.GetSetting(k, std::string(k) == "MODELOVARIANTESINSPC" ? "0" : "") << "\n";
        return 0;
    }
    c.Exigir(2, "config [KEY VALUE]");
    std::string clave = c.Args[0];
    bool conocida = false;
    for (const char* k : kClaves)
        conocida = conocida || clave == k;
    if (!conocida)
        throw UsoIncorrecto("clave desconocida " + clave + " (INTDUN, INTCAT, AA_MARCA, ORIGEN, MODELOVARIANTESINSPC)");
    std::string valor = c.Args[1];
    std::error_code ec;
    if (fs::is_directory(c.ArchivoAjustes, ec))
        throw AppError(75, "Consola.config",
                       "No se pudo guardar el ajuste " + clave + " en " + c.ArchivoAjustes + ": es una carpeta.");
    AlmacenAjustes ajustes(c.ArchivoAjustes);
    // Checked against the home's tables: a value that would be copied into
    // every article must be one the customs system knows.
    Aplicacion app;
    app.Home = c.Home;
    app.Op = c.Op;
    try {
        app.Entidades = std::make_unique<Pontevar::Principal>(app.Home);
        app.Entidades->LoadParameters();
        app.Db.CadenaConexion("Provider=SQLite;Data Source=" + Arranque::RutaTrabajo(app.Home));
        app.Db.Conectar();
        std::string motivo = AjusteInvalido(app, clave, valor);
        if (!motivo.empty()) {
            c.Op->MsgBox(motivo, Operador::Icono::Exclamacion, Operador::Botones::Aceptar);
            return 1;
        }
    } catch (...) {
        AppError e = AppError::Actual();
        c.Op->MsgBox("No se pudo comprobar el valor de " + clave + ": " + e.Description, Operador::Icono::Critico,
                     Operador::Botones::Aceptar);
        return 1;
    }
    ajustes.SaveSetting(clave, valor);
    *c.Out << clave << "=" << valor << "\n";
    return 0;
}

int CmdRelacion(Contexto& c) {
    if (c.Args.empty())
        throw UsoIncorrecto("uso: relacion list | add PAI ORI ESM | delete PAI ORI");
    std::string sub = c.Args[0];
    c.Args.erase(c.Args.begin());
    Aplicacion app;
    if (sub == "list") {
        c.Exigir(0, "relacion list");
        if (!c.Arrancar(app))
            return 1;
        for (const auto& r : RelacionPais::ORI_CargarListado(app))
            *c.Out << r.PAI << "\t" << r.ORI << "\t" << r.ESM << "\n";
        return 0;
    }
    if (sub == "add") {
        c.Exigir(3, "relacion add PAI ORI ESM");
        if (!c.Arrancar(app))
            return 1;
        RelacionPais::FormRelPais f(app);
        app.Retorno1 = c.Args[0];
        f.Form_Load();
        int i = f.IndiceDe(c.Args[1]);
        if (i < 0) {
            c.Op->MsgBox("El país " + c.Args[1] + " no está en la tabla de países.", Operador::Icono::Exclamacion,
                         Operador::Botones::Aceptar);
            return 1;
        }
        if (!f.f_Grabar(f.txtValor, i, c.Args[2]))
            return 1;
        *c.Out << f.txtValor << "\t" << app.Retorno1 << "\t" << app.Retorno2 << "\n";
        return 0;
    }
    if (sub == "delete") {
        c.Exigir(2, "relacion delete PAI ORI");
        if (!c.Arrancar(app))
            return 1;
        c.Op->Respuestas[Operador::Preguntas::EliminarRelacion] = true; // the command itself is the confirmation
        if (!RelacionPais::ORI_Eliminar(app, c.Args[0], c.Args[1])) {
            c.Op->MsgBox("No existe la relación " + c.Args[0] + " - " + c.Args[1] + ".", Operador::Icono::Exclamacion,
                         Operador::Botones::Aceptar);
            return 1;
        }
        return 0;
    }
    throw UsoIncorrecto("uso: relacion list | add PAI ORI ESM | delete PAI ORI");
}

} // namespace Consola
