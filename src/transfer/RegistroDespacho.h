#pragma once
#include <string>

struct Aplicacion;

// The dispatch summary register of the customs system: named figures per
// interno, tagged with the origin of the program that wrote them.
namespace modGlobal {

inline constexpr const char* kOrigenDespacho = "DANTREMOS21";

// Deletes this program's figures for the interno. The origin given is ignored:
// the program always writes under its own.
void Registrar_Despacho_Reset(Aplicacion& app, std::string origen, const std::string& interno);
// Appends one figure with the next id of the interno and origin.
void Registrar_Despacho(Aplicacion& app, std::string origen, const std::string& interno, const std::string& campo,
                        double valor);

} // namespace modGlobal
