#include "transfer/ValoresSql.h"

#include "platform/AppError.h"
#include "platform/Numeros.h"
#include "platform/Texto.h"

namespace ValoresSql {

namespace {
// The error numbers of these faults: 94 a null where a value is needed, 13 a type mismatch.
constexpr long kUsoNull = 94;
constexpr long kTipos = 13;
} // namespace

std::string Numero(const Valor& v) {
    switch (v.tipo()) {
    case Valor::Tipo::Nulo:
        throw AppError(kUsoNull, "", "Uso no válido de Null");
    case Valor::Tipo::Entero:
    case Valor::Tipo::Real:
        return NumeroSql(v.Texto());
    case Valor::Tipo::Texto:
        break;
    }
    // Number columns may hold text written in the locale's form ("2,5").
    std::string t = NumeroSql(Trim(v.Texto()));
    if (!EsNumerico(t))
        throw AppError(kTipos, "", "No coinciden los tipos: '" + v.Texto() + "' no es un número");
    return t;
}

std::string CeroDelante(const Valor& v) {
    if (v.EsNulo() || Trim(v.Texto()).empty())
        return "0";
    return "0" + Numero(v);
}

std::string Entero(const Valor& v) {
    if (v.EsNulo())
        return "null";
    return Numero(v);
}

SentenciaSql& Numero(SentenciaSql& s, const Valor& v) {
    switch (v.tipo()) {
    case Valor::Tipo::Entero:
        return s.Numero(v.Entero());
    case Valor::Tipo::Real:
        return s.Numero(v.Numero());
    default:
        return s.Numero(Numero(v));
    }
}

SentenciaSql& Entero(SentenciaSql& s, const Valor& v) {
    return v.EsNulo() ? s.Numero("null") : Numero(s, v);
}

} // namespace ValoresSql
