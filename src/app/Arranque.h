#pragma once
#include <string>

struct Aplicacion;

// Start-up of both programs, steps 1 to 7 of the main window's load: the
// command line, the components, the version line, the connection, the
// settings, and the "not configured" warning.
namespace Arranque {

inline constexpr const char* kVersion = "1.4.5";
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

// The program's folder: --home, else VELMARION_HOME, else the executable's folder.
std::string CarpetaPrograma(const std::string& homeArgumento);
// The executable's own folder.
std::string CarpetaEjecutable();
// Where the installed reference data lives (../share/velmarion/data from the executable).
std::string CarpetaDatos();
// <home>/db/Dantremos.db
std::string RutaTrabajo(const std::string& home);

} // namespace Arranque
