#include "app/Arranque.h"

#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "platform/Esquema.h"
#include "platform/Numeros.h"
#include "platform/Texto.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>

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

std::string CarpetaPrograma(const std::string& homeArgumento) {
    if (!homeArgumento.empty())
        return fs::absolute(homeArgumento).lexically_normal().string();
    if (const char* env = std::getenv("VELMARION_HOME"); env && *env)
        return fs::absolute(env).lexically_normal().string();
    return CarpetaEjecutable();
}

std::string CarpetaDatos() {
    return (fs::path(CarpetaEjecutable()) / ".." / "share" / "velmarion" / "data").lexically_normal().string();
}

std::string RutaTrabajo(const std::string& home) {
    return (fs::path(home) / "db" / "Dantremos.db").string();
}

} // namespace Arranque
