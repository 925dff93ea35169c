#pragma once
#include "platform/Texto.h"

#include <string>
#include <utility>

struct Aplicacion;
class Recordset;

namespace modGlobal {

// A typed suffix value in the characters suffix values may hold: the argument
// becomes its trimmed, upper-cased form cut to 21 characters, and the result is
// that text with every character other than A-Z, Ñ, 0-9, "/", "," and "&" blanked.
std::string NormalizarValor(std::string& valor);
// The character itself when suffix values may hold it, else one blank.
std::string FiltrarCaracter(const std::string& caracter);

// The check letter of a 14-character position NNNN.NN.NN.NNN: with its 11
// digits weighted 8, 6, 19, 17, 13, 11, 9, 7, 5, 3, 2, the letter at (sum mod 23)
// of "ABCDEFGHJKLMNPQRTUVWXYZ" (8703.23.10.100 gives "A"); "" when the text is
// not such a position.
std::string LetraVerificadora(const std::string& posicion14);
// The [003] that completes a 14-character position, from the nomenclator rows
// of its [001] and [002] with that column as "letra": the row whose letter
// the check letter is when several match, else the first; "" without rows.
// The classification and the editor complete positions with it alike.
std::string LetraDeFilas(const Recordset& filas, const std::string& posicion14);

// The ORI and ESM of the relation of a file's country value. A value without a
// relation makes the operator create one (the dialog comes back until a
// relation is saved). Both empty for an empty value. Errors are swallowed:
// what was gathered so far is returned.
std::pair<std::string, std::string> BuscarRelacionPais(Aplicacion& app, const std::string& pai);

// While one exists, BuscarRelacionPais remembers what it found or what the
// operator created, so a long import asks the database once per country
// value. Only for a run during which no relation is changed otherwise.
class RecordarRelaciones {
public:
    RecordarRelaciones();
    ~RecordarRelaciones();
    RecordarRelaciones(const RecordarRelaciones&) = delete;
    RecordarRelaciones& operator=(const RecordarRelaciones&) = delete;
};

} // namespace modGlobal

// The import's module, whose VIN-in-suffixes helper the classification uses
// too: it lives here, below both, under the module's own name.
namespace modEntidadesTarvelo {

// The suffix text with the VIN put into suffix AM: when "AM(" stands at
// position 2 or later, the text between it and the next ")" becomes the VIN.
// A text that starts with "AM(", or has none, comes back unchanged. An "AM("
// without a ")" after it raises error 1119111.
std::string ImplementarVINenSufijos(const std::string& sufijos, const std::string& vin);

} // namespace modEntidadesTarvelo
