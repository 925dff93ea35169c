// Prints how fast the shipment generator writes 5,000 H + 100,000 P records
// (and ten times that), and that its memory stays flat.
#include "tests/Entorno.h"
#include "tools/generador.h"

#include <chrono>
#include <fstream>
#include <iostream>
#include <streambuf>

namespace {

// Counts the bytes written and keeps none of them.
struct Contador : std::streambuf {
    long long Bytes = 0;
    std::streamsize xsputn(const char*, std::streamsize n) override { return Bytes += n, n; }
    int overflow(int c) override { return ++Bytes, c; }
};

long MemoriaKb() {
    std::ifstream f("/proc/self/status");
    for (std::string l; std::getline(f, l);)
        if (l.rfind("VmHWM:", 0) == 0)
            return std::stol(l.substr(6));
    return 0;
}

} // namespace

int main() {
    auto pool = Demo::LeerArticulos(CarpetaDatosFuente());
    for (long cabeceras : {5000L, 50000L}) {
        OpcionesGenerador o;
        o.Cabeceras = cabeceras, o.DetallesPorCabecera = 20, o.Nuevos = 0.05, o.Ceros = 0.01;
        Contador c;
        std::ostream salida(&c);
        auto t0 = std::chrono::steady_clock::now();
        auto r = GenerarEnvio(salida, o, pool);
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        std::cout << r.Cabeceras << " H + " << r.Detalles << " P: " << s << " s, "
                  << static_cast<long>((r.Cabeceras + r.Detalles) / s) << " registros/s, " << c.Bytes / 1048576
                  << " MiB, memoria máxima del proceso " << MemoriaKb() / 1024 << " MiB\n";
    }
}
