// The dialect translations of both engines on any statement: the input is
// cut at each NUL into pieces, taken in turn as SQL, a text value and a
// number. Whatever the pieces hold, each translation keeps every value's
// place exactly once, in order, and the statement's text is what appending
// the pieces gives.
#include "platform/Almacor.h"
#include "platform/Postgres.h"
#include "platform/SentenciaSql.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// The value between single quotes with its quotes doubled, as a statement's
// text writes it.
std::string Entrecomillado(std::string_view v) {
    std::string r = "'";
    for (char c : v)
        r += c == '\'' ? std::string("''") : std::string(1, c);
    return r + "'";
}

size_t Marcas(const std::string& s) {
    size_t n = 0;
    for (char c : s)
        n += c == SentenciaSql::kHuecoTexto || c == SentenciaSql::kHuecoNumero;
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t largo) {
    std::string entrada(reinterpret_cast<const char*>(datos), largo);
    // The marks stand for values: a statement's own SQL never holds them.
    for (char& c : entrada)
        if (c == SentenciaSql::kHuecoTexto || c == SentenciaSql::kHuecoNumero)
            c = ' ';
    SentenciaSql s;
    std::string texto;
    size_t desde = 0;
    for (int k = 0; desde <= entrada.size(); ++k) {
        size_t fin = entrada.find('\0', desde);
        if (fin == std::string::npos)
            fin = entrada.size();
        const std::string_view pieza(entrada.data() + desde, fin - desde);
        switch (k % 3) {
        case 0:
            s.Sql(pieza);
            texto += pieza;
            break;
        case 1:
            s.Texto(pieza);
            texto += Entrecomillado(pieza);
            break;
        default:
            s.Numero(pieza);
            texto += pieza;
        }
        desde = fin + 1;
    }
    if (s.TextoSql() != texto)
        std::abort();
    const std::string forma = s.Forma();
    if (Marcas(forma) != s.NumValores())
        std::abort();
    // A value must not be lost, doubled or moved into a quoted name by either translation.
    if (Marcas(Almacor::Gestor::TraducirSql(forma)) != s.NumValores())
        std::abort();
    if (Marcas(Postgres::Gestor::TraducirSql(forma)) != s.NumValores())
        std::abort();
    Almacor::Gestor::Renderizar(s);
    Postgres::Gestor::Renderizar(s);
    return 0;
}
