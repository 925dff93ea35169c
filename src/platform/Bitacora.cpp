#include "platform/Bitacora.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace Bitacora {

namespace {

constexpr std::uintmax_t kTamanoMaximo = 1024 * 1024;

std::string Usuario() {
    if (const char* u = std::getenv("USER"); u && *u)
        return u;
    if (const passwd* p = getpwuid(getuid()); p && p->pw_name)
        return p->pw_name;
    return "?";
}

// One field of a tab-separated line.
std::string Campo(std::string s) {
    for (char& c : s)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return s.empty() ? "-" : s;
}

} // namespace

std::string Ruta(const std::string& home) {
    return (fs::path(home) / "velmarion.log").string();
}

double Ahora() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void Registrar(const std::string& home, const std::string& interno, const std::string& que,
               const std::string& resultado, double segundos) {
    std::error_code ec;
    if (home.empty() || !fs::is_directory(home, ec))
        return;
    const std::string ruta = Ruta(home);
    if (fs::file_size(ruta, ec) >= kTamanoMaximo && !ec)
        fs::rename(ruta, ruta + ".1", ec);

    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    char fecha[32];
    std::strftime(fecha, sizeof fecha, "%Y-%m-%d %H:%M:%S", &local);
    char seg[32];
    std::snprintf(seg, sizeof seg, "%.2f", segundos < 0 ? 0.0 : segundos);

    std::ofstream f(ruta, std::ios::app | std::ios::binary);
    f << fecha << '\t' << Campo(Usuario()) << '\t' << Campo(interno) << '\t' << Campo(que) << '\t' << Campo(resultado)
      << '\t' << seg << '\n';
}

} // namespace Bitacora
