// Depuration speed on the demo nomenclator (33,110 positions): the record
// lists of a 100,000-article interno, a save whose replication reaches 20,000
// like articles (without VIN, then as vehicles each with its VIN), and the nomenclator search of "Buscar Posición" for
// the texts an operator types. Prints one line per measure.
#include "../tests/Entorno.h"
#include "review/Depuracion.h"
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

// A 100,000-article interno: 20,000 of article "A" not in the catalog (to
// depurate, all alike), the rest classified, one in ten with a suffix error.
void InternoGrande(EntornoPrueba& e) {
    e.Trabajo("insert into INTN (INTNRO, INTDSC) values ('900', 'grande')");
    e.Trabajo("with recursive n(i) as (select 1 union all select i + 1 from n where i < 100000) "
              "insert into ART (INTNRO, ARTORD, ARTNRO, ARTCAN, ARTUNI, ARTTOT, PRCCAN, PRCDUN, PRCEUN, PRCESM, "
              "PRCORI, PRCDST, PRCNCM, PRCSUF, PRCEST, PRCCRC, PRCVIN) "
              "select '900', i, case when i <= 20000 then 'A' else 'N' || (i % 5000) end, 1, 10, 10, 1, '07', "
              "case when i <= 20000 then null else '07' end, '1', '200', '200', "
              "case when i <= 20000 then null else '8703.23.10.100A' end, "
              "case when i <= 20000 then null when i % 10 = 0 then 'AA(X)-' "
              "else 'AA(X)-AB(Y)-CA01-AM(V)-PA02-ZA(002024)-ZC(001598)-' end, "
              "case when i <= 20000 then null when i % 10 = 0 then 'E' else 'A' end, "
              "case when i <= 20000 then null when i % 10 = 0 then 'SUF' else 'OK' end, null from n");
    e.App.InternoActual = "900";
}

template <class F> double Segundos(F&& f) {
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

bool Listas(EntornoPrueba& e) {
    size_t errores = 0, buenos = 0;
    double se = Segundos([&] { errores = Depuracion::CargarRegConErrores(e.App).size(); });
    double so = Segundos([&] { buenos = Depuracion::CargarRegOK(e.App).size(); });
    std::printf("lista con errores de 100000 artículos: %6zu filas en %.3f s (con el motivo de cada una)%s\n", errores,
                se, se < 1 ? "" : "  (más de 1 s)");
    std::printf("lista OK de 100000 artículos:          %6zu filas en %.3f s%s\n", buenos, so,
                so < 1 ? "" : "  (más de 1 s)");
    return se < 1 && so < 1;
}

bool Grabar(EntornoPrueba& e) {
    Depuracion::FormModificar f(e.App);
    f.CargarDatos("1");
    f.txtPRCNCM = "8703.23.10.100A";
    f.txtPRCNCM_Tag = "07";
    f.txtPRCSUF = "AA(X)-AB(Y)-CA01-AM(V)-PA02-ZA(002024)-ZC(001598)-";
    Resultado r = Resultado::Fallido;
    double s = Segundos([&] { r = f.GrabarDatos(); });
    std::printf("grabar con réplica a %ld artículos (de 100000): %.3f s%s%s\n", f.Replicados(), s,
                r == Resultado::Hecho ? "" : "  (no se grabó)", s < 0.5 ? "" : "  (más de 0,5 s)");
    double d = Segundos([&] { r = Depuracion::Deshacer(e.App, "900", false); });
    std::printf("deshacer esa corrección: %.3f s%s\n", d, r == Resultado::Hecho ? "" : "  (no se deshizo)");
    return r == Resultado::Hecho && s < 0.5;
}

// The same save when the 20,000 others are vehicles (each with its VIN) and
// the operator says Yes: one statement for all, history included.
bool GrabarVehiculos(EntornoPrueba& e) {
    e.Trabajo("update ART set ARTNRO = 'A', PRCEST = null, PRCCRC = null, PRCNCM = null, PRCSUF = null, "
              "PRCEUN = null where ARTORD = 20001");
    e.Trabajo("update ART set PRCVIN = printf('JRV%014d', ARTORD) where ARTORD between 2 and 20001");
    Depuracion::FormModificar f(e.App);
    f.CargarDatos("1");
    f.txtPRCNCM = "8703.23.10.100A";
    f.txtPRCNCM_Tag = "07";
    f.txtPRCSUF = "AA(X)-AB(Y)-CA01-AM(V)-PA02-ZA(002024)-ZC(001598)-";
    e.Op.RespuestasSiNo = {Operador::Respuesta::Si};
    Resultado r = Resultado::Fallido;
    double s = Segundos([&] { r = f.GrabarDatos(); });
    const std::string propios =
        e.Valor("select count(*) from ART where INTNRO = '900' and PRCEST = 'R' and PRCSUF = "
                "'AA(X)-AB(Y)-CA01-AM(' || substr(PRCVIN, 1, 9) || ')-PA02-ZA(002024)-ZC(001598)-'");
    const std::string historia = e.Valor("select count(*) from HIST where LOTE = (select max(LOTE) from HIST_LOTE)");
    std::printf("grabar con réplica a %ld vehículos (de 100000), cada uno con su VIN: %.3f s (%s con su propio "
                "sufijo, %s filas de historia)%s%s\n",
                f.Vehiculos(), s, propios.c_str(), historia.c_str(), r == Resultado::Hecho ? "" : "  (no se grabó)",
                s < 1 ? "" : "  (más de 1 s)");
    double d = Segundos([&] { r = Depuracion::Deshacer(e.App, "900", false); });
    std::printf("deshacer esa corrección: %.3f s%s\n", d, r == Resultado::Hecho ? "" : "  (no se deshizo)");
    return r == Resultado::Hecho && s < 1 && f.Vehiculos() == 20000 && propios == "20000";
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
    InternoGrande(e);
    ok = Listas(e) && ok;
    ok = Grabar(e) && ok;
    ok = GrabarVehiculos(e) && ok;
    return ok ? 0 : 1;
}
