#include "import/modEntidadesTarvelo.h"

#include "platform/AppError.h"
#include "platform/Texto.h"

namespace modEntidadesTarvelo {

std::string ImplementarVINenSufijos(const std::string& sufijos, const std::string& vin) {
    try {
        size_t p = InStr(1, sufijos, "AM(");
        if (p < 2)
            return sufijos;
        size_t q = InStr(p, sufijos, ")");
        if (q == 0)
            throw AppError(5, "", "Argumento o llamada a procedimiento no válida: sufijo AM sin \")\" en " + sufijos);
        return Left(sufijos, p + 2) + vin + Mid(sufijos, q);
    } catch (...) {
        throw AppError::Actual().Relanzar(1119111, "ImplementarVINenSufijos.modEntidadesTarvelo.Velmarion ");
    }
}

} // namespace modEntidadesTarvelo
