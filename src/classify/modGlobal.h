#pragma once
#include "platform/Texto.h"

#include <string>
#include <utility>

struct Aplicacion;

namespace modGlobal {

// A typed suffix value in the characters suffix values may hold: the argument
// becomes its trimmed, upper-cased form cut to 21 characters, and the result is
// that text with every character other than A-Z, Ñ, 0-9, "/", "," and "&" blanked.
std::string NormalizarValor(std::string& valor);
// The character itself when suffix values may hold it, else one blank.
std::string FiltrarCaracter(const std::string& caracter);

// A catalog position as the articles carry it: trimmed and, when it has the
// 14 characters of position and sub-item, followed by the check letter the
// nomenclator gives for its [001] and [002] (`letra`, "" when none was found).
std::string CompletarPosicion(const std::string& ncm, const std::string& letra);

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
