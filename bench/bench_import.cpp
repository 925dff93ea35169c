// Import speed and memory: generated shipments of 1,000 H + 20,000 P and
// 5,000 H + 100,000 P records (and a larger one) in each of the four
// declaration types. Each case runs in its own process so its peak memory is its own.
#include "tests/Entorno.h"

#include "app/Arranque.h"
#include "app/Demo.h"
#include "import/Importacion.h"
#include "tools/generador.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

long EscribirEnvio(const std::string& ruta, long h, long p, const std::string& tipo) {
    OpcionesGenerador op;
    op.Semilla = 42;
    op.Cabeceras = h;
    op.DetallesTotal = p;
    op.Tipo = tipo;
    op.CarpetaDatos = CarpetaDatosFuente();
    std::ofstream f(ruta, std::ios::binary);
    ResumenGenerador r = GenerarEnvio(f, op);
    return r.Cabeceras + r.Detalles;
}

double Segundos(const timeval& t) {
    return t.tv_sec + t.tv_usec / 1e6;
}

void Caso(long h, long p, const std::string& tipo) {
    EntornoPrueba e;
    // The demo catalog brings the country relations and settings a generated shipment needs.
    Demo::CargarCatalogo(e.App.Db, e.Aduana(), *e.App.Almacen, CarpetaDatosFuente());
    Arranque::LeerAjustes(e.App);
    std::string ruta = (e.Home / "envio.txt").string();
    long lineas = EscribirEnvio(ruta, h, p, tipo);

    rusage antes{}, despues{};
    getrusage(RUSAGE_SELF, &antes);
    auto t0 = std::chrono::steady_clock::now();
    bool ok = Importacion::ProcesarArchivo(e.App, ruta);
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    getrusage(RUSAGE_SELF, &despues);
    // CPU time too: the machine is shared, and wall time varies with its load.
    double cpu =
        Segundos(despues.ru_utime) + Segundos(despues.ru_stime) - Segundos(antes.ru_utime) - Segundos(antes.ru_stime);

    const Importacion::Resumen& r = Importacion::UltimoResumen();
    std::printf("%-4s %6ld H %7ld P %7ld lines  wall %5.2f s %7.0f lines/s  cpu %5.2f s %7.0f lines/s  "
                "peak %5.1f MB  ART %6ld ARTINS %6ld%s\n",
                tipo.c_str(), h, p, lineas, s, lineas / s, cpu, lineas / cpu, despues.ru_maxrss / 1024.0, r.Articulos,
                r.Insumos, ok ? "" : "  FAILED");
    if (!ok)
        std::printf("     %s\n", e.Op.Ultimo().c_str());
}

} // namespace

int main(int argc, char** argv) {
    // "bench_import TYPE H P" runs one case in this process (for a profiler).
    if (argc == 4) {
        Caso(std::atol(argv[2]), std::atol(argv[3]), argv[1]);
        return 0;
    }
    std::printf("Shipment import (ProcesarArchivo, one process per case)\n");
    // The third size shows the peak levelling off: the file is streamed and
    // SQLite's page cache is bounded.
    for (auto [h, p] : {std::pair<long, long>{1000, 20000}, {5000, 100000}, {10000, 200000}}) {
        for (const char* tipo : {"ECR1", "ICR1", "ICR2", "RR01"}) {
            std::fflush(stdout);
            pid_t hijo = fork();
            if (hijo == 0) {
                Caso(h, p, tipo);
                std::fflush(stdout);
                _exit(0);
            }
            int estado = 0;
            waitpid(hijo, &estado, 0);
        }
    }
    return 0;
}
