#pragma once
#include "platform/Recordset.h"

#include <string>

namespace Dalvorm {

// The formatting component: value checks used by the statistics and the transfer.
class Motor {
public:
    // The value as a number; 0 when it is null, empty or not numeric.
    double EsNumero(const Valor& v) const { return v.Numero(); }
    double EsNumero(const std::string& texto) const;
    // The value ready for display: empty text for a null.
    std::string EsNull(const Valor& v) const { return v.Texto(); }
};

} // namespace Dalvorm
