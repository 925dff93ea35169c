#pragma once
#include <string>

namespace Almacor {
class Gestor;
}
class AlmacenAjustes;

// The demo data that `init --demo` loads: real reference data (nomenclator,
// suffixes, units, countries) from the installed data folder, and a demo
// catalog, country relations and settings that make a demo shipment run.
namespace Demo {

// Nomenclator `ncm` (every position of sim-posiciones.txt with the Spanish
// descriptions and statistical units of ncm-descripciones.csv), `sufidos`,
// and `unidades`.
void CargarReferencias(Almacor::Gestor& trabajo, Almacor::Gestor& aduana, const std::string& carpetaDatos);
// The work database's country list `pais` (every new work database gets it).
void CargarPaises(Almacor::Gestor& trabajo, const std::string& carpetaDatos);
// The demo catalog with its articles, the country relations and the settings.
void CargarCatalogo(Almacor::Gestor& trabajo, Almacor::Gestor& aduana, AlmacenAjustes& ajustes,
                    const std::string& carpetaDatos);

// The check letter of a 14-character position (8703.23.10.100 gives A).
char LetraControl(const std::string& posicion14);

} // namespace Demo
