// Import speed and memory: generated shipments of 1,000 H + 20,000 P and
// 5,000 H + 100,000 P records in each of the four declaration types. Each case
// runs in its own process so its peak memory is its own.
#include "tests/Entorno.h"

#include "import/Importacion.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

std::string Campo(const std::string& v, size_t ancho) {
    std::string r = v.substr(0, ancho);
    r.resize(ancho, ' ');
    return r;
}

std::string Digitos(long long v, size_t ancho) {
    std::string s = std::to_string(v);
    return std::string(ancho > s.size() ? ancho - s.size() : 0, '0') + s;
}

const char* const kPaises[] = {"AR1", "BR2", "DE3", "JP4", "000"};

std::string LineaH(long i, const std::string& tipo) {
    return "H" + Campo("", 10) + Campo("4711", 10) + Campo("01", 2) + Campo("FAC" + std::to_string(i / 50), 12) +
           Campo("CTC" + std::to_string(i), 20) + Campo("MOD" + std::to_string(i % 40), 9) +
           Campo("VAR" + std::to_string(i % 7), 21) + Digitos(1500000 + i * 37, 12) +
           Campo("8AJ" + Digitos(i, 14), 17) + Campo("", 7) + kPaises[i % 4] + " " + Campo(tipo, 4);
}

std::string LineaP(long i, long h, const std::string& tipo) {
    // In an ICR1 file every fifth line belongs to the other sub-regime.
    std::string dit = tipo == "ICR1" && i % 5 == 0 ? "23001ICR2000123X" : "23001IT04000123X";
    return "P" + Campo("", 12) + Campo("PZ*" + std::to_string(i % 3000), 21) + Digitos(1000 + i % 9000, 13) +
           Campo("", 2) + Digitos(125000 + i, 22) + Campo("8708.29.99.900" + std::string(1, 'A' + i % 20), 15) +
           "20230215" + dit + Campo("", 7) + Digitos(i % 100, 4) + Digitos(i % 10, 4) +
           Campo("MOD" + std::to_string(h % 40), 9) + Campo("VAR" + std::to_string(h % 7), 19) +
           Digitos(99990 + i, 22) + "001" + kPaises[i % 5] + Digitos(0, 22) + Digitos(0, 22);
}

long EscribirEnvio(const std::string& ruta, long h, long p, const std::string& tipo) {
    std::ofstream f(ruta, std::ios::binary);
    long lineas = 0, porH = p / h;
    for (long i = 0; i < h; ++i) {
        f << LineaH(i, tipo) << "\r\n";
        ++lineas;
        for (long k = 0; k < porH; ++k, ++lineas)
            f << LineaP(i * porH + k, i, tipo) << "\r\n";
    }
    return lineas;
}

double Segundos(const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; }

void Caso(long h, long p, const std::string& tipo) {
    EntornoPrueba e;
    e.App.Config.ORIGEN = "200";
    for (const char* pai : {"AR1", "BR2", "DE3", "JP4"})
        e.Trabajo(std::string("insert into ORG (PAI, ORI, ESM) values ('") + pai + "','200','1')");
    std::string ruta = (e.Home / "envio.txt").string();
    long lineas = EscribirEnvio(ruta, h, p, tipo);

    rusage antes{}, despues{};
    getrusage(RUSAGE_SELF, &antes);
    auto t0 = std::chrono::steady_clock::now();
    bool ok = Importacion::ProcesarArchivo(e.App, ruta);
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    getrusage(RUSAGE_SELF, &despues);
    // CPU time too: the machine is shared, and wall time varies with its load.
    double cpu = Segundos(despues.ru_utime) + Segundos(despues.ru_stime) - Segundos(antes.ru_utime) -
                 Segundos(antes.ru_stime);

    const Importacion::Resumen& r = Importacion::UltimoResumen();
    std::printf("%-4s %6ld H %7ld P %7ld lines  wall %5.2f s %7.0f lines/s  cpu %5.2f s %7.0f lines/s  "
                "peak %5.1f MB  ART %6ld ARTINS %6ld%s\n",
                tipo.c_str(), h, p, lineas, s, lineas / s, cpu, lineas / cpu, despues.ru_maxrss / 1024.0,
                r.Articulos, r.Insumos, ok ? "" : "  FAILED");
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
