#pragma once
#include <string>
#include <vector>

namespace Almacor {
class Gestor;
}
class AlmacenAjustes;
class Conexion;

// The demo data that `init --demo` loads: real reference data (nomenclator,
// suffixes, units, countries) from the installed data folder, and a demo
// catalog, country relations and settings that make a demo shipment run.
namespace Demo {

// Creates the databases under <home>/db, replacing any there: the work database
// (with its country list), the customs system's database, and db/entidades.ini
// when missing. With `conDemo` also the reference data, the demo catalog, the
// relations and the settings. `init` and the windows' first start use it.
void CrearBases(const std::string& home, bool conDemo, AlmacenAjustes& ajustes, const std::string& carpetaDatos);

// Nomenclator `ncm` (every position of sim-posiciones.txt with the Spanish
// descriptions and statistical units of ncm-descripciones.csv), `sufidos`,
// and `unidades`.
void CargarReferencias(Almacor::Gestor& trabajo, Conexion& aduana, const std::string& carpetaDatos);
// The work database's country list `pais` (every new work database gets it).
void CargarPaises(Almacor::Gestor& trabajo, const std::string& carpetaDatos);
// The demo catalog with its articles, the country relations and the settings.
void CargarCatalogo(Almacor::Gestor& trabajo, Conexion& aduana, AlmacenAjustes& ajustes,
                    const std::string& carpetaDatos);

// The check letter of a 14-character position (8703.23.10.100 gives A).
char LetraControl(const std::string& posicion14);

// One article of the demo pool (data/demo-articulos.csv). The demo catalog is
// built from it and the shipment generator draws its articles from it, so a
// generated shipment is mostly found in the catalog.
struct ArticuloDemo {
    enum class Clase { Vehiculo, Parte };
    // Whether the configured demo catalog holds it: yes, left out on purpose
    // (only the older catalog has it), or held with a suffix string wrong for its position.
    enum class EnCatalogo { Si, No, SufijoMalo };

    Clase Tipo = Clase::Parte;
    std::string Modelo, Variante; // vehicles only
    std::string Articulo;         // the catalog's idarticulo: Modelo + " " + Variante, or the part number
    std::string Ncm;              // 14 characters
    std::string Lapi, Sufijos, Unidad, Descripcion;
    std::string Pais; // the importer's country code ("JAP")
    double Precio = 0, Kg = 0;
    EnCatalogo Catalogo = EnCatalogo::Si;
};
std::vector<ArticuloDemo> LeerArticulos(const std::string& carpetaDatos);

// The importer's country codes and their relations in the demo (ORG).
struct RelacionDemo {
    const char* PAI;
    const char* ORI;
    const char* ESM;
};
inline constexpr RelacionDemo kRelaciones[] = {
    {"JAP", "320", "1"}, {"BRA", "203", "1"}, {"ALE", "438", "1"}, {"ARG", "200", "1"}, {"COR", "309", "1"}};
// A real country code that the demo leaves without a relation (the import asks for it).
inline constexpr const char* kPaisSinRelacion = "MEX";
// The customs country code of an importer's code ("" when the demo has no relation for it).
std::string OrigenDe(const std::string& pai);

// The demo settings.
inline constexpr const char* kCatalogo = "1";
inline constexpr const char* kCatalogoAnterior = "2";
inline constexpr const char* kMarca = "ORVANTA";
inline constexpr const char* kOrigen = "320";

} // namespace Demo
