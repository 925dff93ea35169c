#pragma once
#include <string>
#include <vector>

struct Aplicacion;

// Start-up of both programs, steps 1 to 7 of the main window's load: the
// command line, the components, the version line, the connection, the
// settings, and the "not configured" warning.
namespace Arranque {

// The project's version, set by the build (one place for the window, --version and the package).
inline constexpr const char* kVersion = VELMARION_VERSION;
inline constexpr const char* kDescripcion = "Generado 22-07-2014";

// "INTNRO|path": exactly two fields start unattended; anything else is interactive.
void DividirLineaComandos(const std::string& linea, std::string& interno, std::string& archivo);
// "Versión: 1.4.5 - Generado 22-07-2014" + " version QMR" or " version Ferlani".
std::string LineaVersion(bool modeloVarianteSinEspacio);
// The settings in their order (INTDUN, INTCAT, AA_MARCA, ORIGEN, MODELOVARIANTESINSPC).
void LeerAjustes(Aplicacion& app);

// Steps 1 to 7. `app.Home`, `app.Almacen` and `app.Op` must be set. A component
// or database that cannot be opened raises an error (the caller shows it and
// ends the program with status 1). Returns after the ORIGEN warning, if any.
void Form_Load(Aplicacion& app, const std::string& lineaComandos);

// The program's folder (the home): --home, else VELMARION_HOME, else the
// executable's folder when it holds db/ (a copied, portable install), else the
// user's data folder.
std::string CarpetaPrograma(const std::string& homeArgumento);
// The same choice with its inputs given (`entorno` null when unset).
std::string ResolverHome(const std::string& homeArgumento, const char* entorno, const std::string& carpetaEjecutable);
// The user's data folder, ~/.local/share/Velmarion: what QStandardPaths'
// AppDataLocation gives the application "Velmarion", whatever name the
// running program has set.
std::string CarpetaDatosUsuario();
// What --version prints: "PROGRAMA (Velmarion) 1.4.5", the copyright and the
// licence (GPL-3.0-or-later), the same for all three programs.
std::string TextoVersion(const std::string& programa);
// The options both programs take, as their --help lists them.
std::string AyudaOpciones();
// The databases a first start would have to create: the work database, and
// the customs database when db/entidades.ini does not name another one.
// Empty when the work database is there.
std::vector<std::string> BasesFaltantes(const std::string& home);
// "Where things are": home, databases, settings, entity parameters and run
// log, one "name: path" per line (velmarion-cli donde, "Acerca de").
// `ubicacionAjustes`: where the settings store keeps them (AlmacenAjustes::Ubicacion).
std::string Ubicaciones(const std::string& home, const std::string& ubicacionAjustes);
// The executable's own folder.
std::string CarpetaEjecutable();
// Where the installed reference data lives (../share/velmarion/data from the executable).
std::string CarpetaDatos();
// <home>/db/Dantremos.db
std::string RutaTrabajo(const std::string& home);

} // namespace Arranque
