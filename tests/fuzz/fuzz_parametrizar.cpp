// The statement-shape reader behind the statement cache, and the statement
// translation, on any text: a shape plus its values must give back the text.
#include "platform/Almacor.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t largo) {
    const std::string sql(reinterpret_cast<const char*>(datos), largo);
    const std::string traducida = Almacor::Gestor::TraducirSql(sql);
    std::string plantilla;
    std::vector<Almacor::Gestor::Literal> valores;
    if (!Almacor::Gestor::Parametrizar(traducida, plantilla, valores))
        return 0;
    size_t marcas = 0;
    bool enComillas = false;
    char cierre = 0;
    for (char c : plantilla) {
        if (enComillas) {
            enComillas = c != cierre;
            continue;
        }
        if (c == '"' || c == '`' || c == '[') {
            enComillas = true;
            cierre = c == '[' ? ']' : c;
        } else if (c == '?') {
            ++marcas;
        }
    }
    // Every value taken out left exactly one mark behind.
    if (marcas != valores.size())
        std::abort();
    return 0;
}
