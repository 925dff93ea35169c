#pragma once
#include "platform/Recordset.h"
#include "platform/SentenciaSql.h"

#include <string>

// How the transfer writes the values it reads from the work database into the
// statements of the customs system.
namespace ValoresSql {

// The value as an unquoted number with "." as decimal point. A null or a text
// that is not a number fails with a clear error instead of breaking the
// statement or letting arbitrary text into it.
std::string Numero(const Valor& v);
// "0" followed by the number ("0" alone for a null or empty value), so an
// empty column still gives a number.
std::string CeroDelante(const Valor& v);
// A whole-number key (IdReg, IDPARENT) as stored: its digits, or null.
std::string Entero(const Valor& v);
// Numero and Entero written into a statement, with the same text: a number
// read from the database goes in as the number it is.
SentenciaSql& Numero(SentenciaSql& s, const Valor& v);
SentenciaSql& Entero(SentenciaSql& s, const Valor& v);

} // namespace ValoresSql
