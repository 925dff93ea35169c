#include "platform/Dalvorm.h"

#include "platform/Numeros.h"

namespace Dalvorm {

double Motor::EsNumero(const std::string& texto) const {
    return ValorNumerico(texto);
}

} // namespace Dalvorm
