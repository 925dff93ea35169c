#include "app/Arranque.h"

#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "platform/Bitacora.h"
#include "platform/Esquema.h"
#include "platform/Numeros.h"
#include "platform/Texto.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include <QDir>
#include <QStandardPaths>

namespace fs = std::filesystem;

namespace Arranque {

void DividirLineaComandos(const std::string& linea, std::string& interno, std::string& archivo) {
    interno.clear();
    archivo.clear();
    size_t p = linea.find('|');
    if (p == std::string::npos || linea.find('|', p + 1) != std::string::npos)
        return;
    interno = linea.substr(0, p);
    archivo = linea.substr(p + 1);
}

std::string LineaVersion(bool qmr) {
    return std::string("Versión: ") + kVersion + " - " + kDescripcion + (qmr ? " version QMR" : " version Ferlani");
}

void LeerAjustes(Aplicacion& app) {
    app.Config.INTDUN = app.Almacen->GetSetting("INTDUN", "");
    app.Config.INTCAT = app.Almacen->GetSetting("INTCAT", "");
    app.Config.AA_MARCA = app.Almacen->GetSetting("AA_MARCA", "");
    app.Config.ORIGEN = app.Almacen->GetSetting("ORIGEN", "");
    app.Config.MODELOVARIANTESINSPC = EsUno(app.Almacen->GetSetting("MODELOVARIANTESINSPC", "0"));
}

void Form_Load(Aplicacion& app, const std::string& lineaComandos) {
    DividirLineaComandos(lineaComandos, app.InternoLinea, app.ArchivoLinea);

    app.Entidades = std::make_unique<Pontevar::Principal>(app.Home);
    app.Entidades->LoadParameters();

    app.Version = std::string("Versión: ") + kVersion + " - " + kDescripcion;

    app.Db.CadenaConexion("Provider=SQLite;Data Source=" + RutaTrabajo(app.Home));
    app.Db.Conectar();
    Esquema::VerificarTrabajo(app.Db);

    LeerAjustes(app);
    app.Version = LineaVersion(app.Config.MODELOVARIANTESINSPC);

    if (app.Config.ORIGEN.empty() && app.Op)
        app.Op->MsgBox("Falta configurar el sistema!", Operador::Icono::Exclamacion);
}

std::string CarpetaEjecutable() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path().string() : exe.parent_path().string();
}

std::string ResolverHome(const std::string& homeArgumento, const char* entorno, const std::string& carpetaEjecutable) {
    if (!homeArgumento.empty())
        return fs::absolute(homeArgumento).lexically_normal().string();
    if (entorno && *entorno)
        return fs::absolute(entorno).lexically_normal().string();
    std::error_code ec;
    if (fs::is_directory(fs::path(carpetaEjecutable) / "db", ec))
        return carpetaEjecutable;
    return CarpetaDatosUsuario();
}

std::string CarpetaPrograma(const std::string& homeArgumento) {
    return ResolverHome(homeArgumento, std::getenv("VELMARION_HOME"), CarpetaEjecutable());
}

std::string CarpetaDatosUsuario() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) // no HOME: still somewhere the message can name
        base = QDir::homePath() + "/.local/share";
    return (fs::path(base.toStdString()) / "Velmarion").lexically_normal().string();
}

std::vector<std::string> BasesFaltantes(const std::string& home) {
    std::vector<std::string> r;
    std::error_code ec;
    const std::string trabajo = RutaTrabajo(home);
    if (fs::exists(trabajo, ec))
        return r;
    r.push_back(trabajo);
    const std::string aduana = Pontevar::Principal::ArchivoPorDefecto(home);
    if (!fs::exists(fs::path(home) / "db" / "entidades.ini", ec) && !fs::exists(aduana, ec))
        r.push_back(aduana);
    return r;
}

std::string Ubicaciones(const std::string& home, const std::string& ubicacionAjustes) {
    std::string r = "Carpeta: " + home + "\n";
    r += "Base de trabajo: " + RutaTrabajo(home) + "\n";
    const fs::path ini = fs::path(home) / "db" / "entidades.ini";
    std::error_code ec;
    if (fs::exists(ini, ec)) {
        // The files as the start-up will open them; nothing is opened here.
        Pontevar::Principal p(home);
        p.LeerParametros();
        for (const char* e : {"CATALOGOS", "NCM", "INTERNOS"})
            r += std::string("Entidad ") + e + ": " + p.ArchivoDeEntidad(e) + "\n";
    } else {
        r += "Entidades: " + Pontevar::Principal::ArchivoPorDefecto(home) + "\n";
    }
    r += "Parametros de entidades: " + ini.string() + (fs::exists(ini, ec) ? "" : " (no existe)") + "\n";
    r += "Configuracion: " + ubicacionAjustes + "\n";
    r += "Registro de corridas: " + Bitacora::Ruta(home) + "\n";
    r += "Datos de referencia: " + CarpetaDatos() + "\n";
    return r;
}

std::string CarpetaDatos() {
    return (fs::path(CarpetaEjecutable()) / ".." / "share" / "velmarion" / "data").lexically_normal().string();
}

std::string RutaTrabajo(const std::string& home) {
    return (fs::path(home) / "db" / "Dantremos.db").string();
}

std::string TextoVersion(const std::string& programa) {
    return programa + " (Velmarion) " + kVersion +
           "\n"
           "Copyright (C) 2026 Los autores de Velmarion.\n"
           "Licencia GPLv3+: GNU GPL versión 3 o posterior <https://gnu.org/licenses/gpl.html>.\n"
           "Esto es software libre: usted es libre de modificarlo y redistribuirlo.\n"
           "No hay NINGUNA GARANTÍA, en la medida en que lo permita la ley.\n";
}

std::string AyudaOpciones() {
    return "      --home DIR        carpeta del programa, con las bases en DIR/db; sin ella: $VELMARION_HOME,\n"
           "                        la carpeta del ejecutable si contiene db/, o la carpeta de datos del\n"
           "                        usuario (" +
           CarpetaDatosUsuario() +
           ")\n"
           "      --settings FILE   configuración en ese archivo INI, no en el almacén del usuario\n"
           "  -h, --help            muestra esta ayuda y termina\n"
           "  -V, --version         muestra la versión y termina\n";
}

} // namespace Arranque
