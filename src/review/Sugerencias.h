#pragma once
#include <map>
#include <string>
#include <vector>

struct Aplicacion;
namespace Depuracion {
class FormModificar;
}

// Where a new article most likely belongs, from the office's own records: the
// corrections by hand of the same model in this interno, the catalog articles
// of the same model, and the earlier declarations of the same article number.
// Each suggestion says why, in words, so the operator can judge it.
namespace Sugerencias {

// The sources, most trusted first.
enum class Fuente { Mano = 0, Catalogo = 1, Declaracion = 2 };

struct Sugerencia {
    std::string Posicion;                // 15 characters, in the nomenclator
    std::string Sufijos;                 // the suffix text it was seen with
    std::string Evidencia;               // why, in words
    Fuente Origen = Fuente::Declaracion; // the most trusted source that proposes it
    long Articulos = 0;                  // how many articles propose it, all sources together
};

// The model of an article number: the part before its first blank.
std::string Modelo(const std::string& artnro);

// The suggestions of every article to depurate of the current interno whose
// position is empty or not in the nomenclator, by ARTORD, best first. One
// query per source for the whole interno. Errors are thrown as AppError.
std::map<long long, std::vector<Sugerencia>> DelInterno(Aplicacion& app);
// The same for one article of the current interno (empty when it needs none).
std::vector<Sugerencia> DelArticulo(Aplicacion& app, long long artord);

// The previous suffixes a suggestion offers as the defaults of the suffix
// questions: its own text, but the VIN's suffix (AM) is the article's VIN by
// the editor's default rule (all of it, or its first 9 characters).
std::string SufijosPrevios(const Sugerencia& s, const std::string& vin, bool modeloVariantes);
// Types a suggestion into the editor's position box and runs the position
// check as Enter does, its suffix text serving as the previous suffixes.
// Returns what the check returns.
std::string Aplicar(Depuracion::FormModificar& f, const Sugerencia& s, bool modeloVariantes);

} // namespace Sugerencias
