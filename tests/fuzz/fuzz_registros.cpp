// Header and detail record parsers on any line: they may refuse it with an
// error, never crash.
#include "import/modEntidadesTarvelo.h"
#include "platform/AppError.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t largo) {
    const std::string linea(reinterpret_cast<const char*>(datos), largo);
    try {
        modEntidadesTarvelo::getRegistroHfromString(linea);
    } catch (const AppError&) {
    }
    try {
        modEntidadesTarvelo::getRegistroPfromString(linea);
    } catch (const AppError&) {
    }
    return 0;
}
