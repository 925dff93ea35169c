// Depuration speed on the demo nomenclator (33,110 positions): the nomenclator
// search of "Buscar Posición" for the texts an operator types. Prints one line
// per measure: milliseconds per search (median of several runs) and the
// positions found.
#include "../tests/Entorno.h"
#include "review/Nomenclador.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kVueltas = 15;
constexpr double kObjetivoMs = 50;

template <class F> double MedianaMs(F&& f) {
    std::vector<double> ms;
    for (int i = 0; i < kVueltas; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        f();
        auto t1 = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::nth_element(ms.begin(), ms.begin() + kVueltas / 2, ms.end());
    return ms[kVueltas / 2];
}

// One search text: its median time and how many positions it finds.
bool Busqueda(EntornoPrueba& e, const std::string& texto) {
    size_t encontradas = 0;
    double ms = MedianaMs([&] { encontradas = Nomenclador::Buscar(*e.App.Entidades, texto).size(); });
    std::printf("búsqueda %-18s %8.2f ms  %6zu posiciones%s\n", ("\"" + texto + "\"").c_str(), ms, encontradas,
                ms < kObjetivoMs ? "" : "  (más de 50 ms)");
    return ms < kObjetivoMs;
}

// The details of a position (description and suffixes), shown at every cursor key.
bool Detalle(EntornoPrueba& e, const std::string& posicion) {
    size_t sufijos = 0;
    double ms = MedianaMs([&] { sufijos = Nomenclador::MostrarDatos(*e.App.Entidades, posicion).Sufijos.size(); });
    std::printf("detalle  %-18s %8.2f ms  %6zu sufijos\n", ("\"" + posicion + "\"").c_str(), ms, sufijos);
    return ms < kObjetivoMs;
}

} // namespace

int main() {
    EntornoPrueba e(true);
    std::printf("nomenclador: %s posiciones; mediana de %d vueltas; objetivo: menos de %.0f ms\n",
                e.ValorAduana("select count(*) from ncm").c_str(), kVueltas, kObjetivoMs);
    bool ok = true;
    for (const char* t : {"8703", "8703.23", "87032310", "8703.23.10.100", "8703.23.10.100A", "automoviles",
                          "motor diesel", "zzzz", "8", "."})
        ok = Busqueda(e, t) && ok;
    ok = Detalle(e, "8703.23.10.100A") && ok;
    return ok ? 0 : 1;
}
