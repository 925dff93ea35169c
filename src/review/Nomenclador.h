#pragma once
#include <string>
#include <vector>

namespace Pontevar {
class Principal;
}

// The look-ups of the nomenclator search (FrmPosicion and `velmarion-cli
// nomenclador`), through the entity "NCM" connection. Errors are thrown as AppError.
namespace Nomenclador {

// The positions found for a search text, in position order, each as
// [001] + "." + [002] + [003] (15 characters). A blank text finds nothing and
// runs no query. The text's dots match any run of characters in [001] and the
// text is a prefix of it; when that finds nothing, the text is also tried as a
// full position (14 or 15 characters, commas for dots), as digits without dots,
// and, when it holds letters, as words of the descriptions (every word the
// beginning of a word, all of them required, accents and case ignored).
std::vector<std::string> Buscar(Pontevar::Principal& entidades, const std::string& texto);

// A position found, with its description ([010]).
struct Encontrada {
    std::string Posicion;
    std::string Descripcion;
};
// The same search, with each position's description.
std::vector<Encontrada> BuscarConDescripcion(Pontevar::Principal& entidades, const std::string& texto);

// The 15-character position written by a text of 14 characters (its letter
// computed) or 15 characters, commas taken as dots, the letter in upper case;
// "" when the text is neither.
std::string PosicionCompleta(const std::string& texto);

// What the dialog shows of a position.
struct Detalle {
    bool Encontrada = false;          // the position is a row of the nomenclator
    std::string Descripcion;          // [010], an empty line, [004]
    std::vector<std::string> Sufijos; // code padded with blanks to 5 characters, then its detail
};
// The description and the suffixes of a 15-character position. Suffixes are
// defined at chapter, heading, subheading or full-position level; they are
// listed even when the position itself is not in the nomenclator.
Detalle MostrarDatos(Pontevar::Principal& entidades, const std::string& posicion);

} // namespace Nomenclador
