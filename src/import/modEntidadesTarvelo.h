#pragma once
#include <string>

// Record parsers and statement builders of the shipment file.
namespace modEntidadesTarvelo {

// The suffix text with the VIN put into suffix AM: when "AM(" stands at
// position 2 or later, the text between it and the next ")" becomes the VIN.
// A text that starts with "AM(", or has none, comes back unchanged. An "AM("
// without a ")" after it raises error 1119111.
std::string ImplementarVINenSufijos(const std::string& sufijos, const std::string& vin);

} // namespace modEntidadesTarvelo
