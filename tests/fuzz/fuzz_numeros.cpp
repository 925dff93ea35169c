// The readers of numbers and dates, on any text.
#include "import/modEntidadesTarvelo.h"
#include "platform/AppError.h"
#include "platform/Numeros.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t largo) {
    if (largo == 0)
        return 0;
    // The first byte picks the field's shape, the rest is its text.
    const int enteros = datos[0] % 24;
    const int decimales = (datos[0] / 24) % 6;
    const std::string texto(reinterpret_cast<const char*>(datos) + 1, largo - 1);
    modEntidadesTarvelo::getNumerofromString(texto, enteros, decimales);
    try {
        modEntidadesTarvelo::getFechafromString(texto);
    } catch (const AppError&) {
    }
    LeerNumero(texto);
    if (EsNumerico(texto))
        NumeroSql(ValorNumerico(texto));
    return 0;
}
