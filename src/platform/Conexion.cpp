#include "platform/Conexion.h"

std::string Conexion::LiteralFecha(std::time_t fecha) const {
    std::tm t{};
    localtime_r(&fecha, &t);
    char buf[32];
    std::strftime(buf, sizeof buf, "'%Y-%m-%d %H:%M:%S'", &t);
    return buf;
}
