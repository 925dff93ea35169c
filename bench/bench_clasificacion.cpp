// Classification speed: internos of 20,000 and 100,000 articles against the
// demo nomenclator and a catalog of 120,000 articles. Prints articles per second.
// Sizes given as arguments replace the two (one small size suits callgrind).
#include "../tests/Entorno.h"
#include "classify/Clasificacion.h"
#include "platform/Texto.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kCatalogo = 120000;

std::string Sufijos(const std::string& p) {
    if (EmpiezaCon(p, "8703.23"))
        return "AA(TOYOTA)-AB(COROLLA XEI)-CA01-AM(X)-ZA(002022)-PA01-ZC(001798)-";
    if (EmpiezaCon(p, "8703"))
        return "AA(TOYOTA)-AB(HILUX)-CA01-AM(X)-ZA(002022)-PA02-";
    if (EmpiezaCon(p, "8704"))
        return "AA(TOYOTA)-AB(HILUX SR)-CA01-AM(X)-ZB(001000)-";
    if (EmpiezaCon(p, "8708"))
        return "AA(TOYOTA)-AB(REPUESTO)-CA01-AI(90915 YZZD4)-SA02-";
    if (EmpiezaCon(p, "87"))
        return "AA(TOYOTA)-AB(VARIOS)-CA01-";
    return "SIN SUFIJOS";
}

void Catalogo(EntornoPrueba& e) {
    std::vector<std::string> posiciones, vehiculos;
    std::ifstream in(CarpetaDatosFuente() + "/sim-posiciones.txt");
    for (std::string l; std::getline(in, l);) {
        l = Trim(l);
        if (l.size() != 15)
            continue;
        posiciones.push_back(l);
        if (EmpiezaCon(l, "87"))
            vehiculos.push_back(l);
    }
    std::mt19937 azar(7);
    e.Aduana().ComenzarTransaccion();
    for (int i = 0; i < kCatalogo; ++i) {
        // Most articles are vehicles and parts; every tenth position has its
        // check letter already, every fifth article its LAPI flag.
        const auto& lista = i % 3 == 0 ? posiciones : vehiculos;
        std::string p = lista[azar() % lista.size()];
        std::string ncm = i % 10 == 0 ? p : p.substr(0, 14);
        e.EnAduana("insert into catarticulos (idcatalogo, idarticulo, ncm, lapi, sufijos, idpais, preciounitario) "
                   "values ('CAT1', 'A" +
                   std::to_string(i) + "', '" + ncm + "', '" + (i % 5 == 0 ? "S" : "") + "', '" + Sufijos(p) +
                   "', '310', 10)");
    }
    e.Aduana().ConfirmarTransaccion();
}

// An interno of n articles: vehicles with their own VIN, parts repeated without one,
// and one article in twenty not in the catalog.
void Interno(EntornoPrueba& e, const std::string& interno, int n) {
    std::mt19937 azar(11);
    e.App.Db.ComenzarTransaccion();
    e.Trabajo("insert into INTN (INTNRO, INTDSC) values ('" + interno + "', '" + interno + "')");
    for (int i = 1; i <= n; ++i) {
        int articulo = static_cast<int>(azar() % (kCatalogo + kCatalogo / 20));
        std::string nro = articulo < kCatalogo ? "A" + std::to_string(articulo) : "NUEVO" + std::to_string(articulo);
        std::string vin = i % 2 ? "'8AJ" + std::to_string(1000000 + i) + "'" : "null";
        e.Trabajo("insert into ART (INTNRO, ARTORD, ARTNRO, ARTCAN, ARTUNI, ARTTOT, ARTORG, PRCVIN, PRCTDS) values ('" +
                  interno + "', " + std::to_string(i) + ", '" + nro + "', 1, 10, 10, '', " + vin + ", 'ICR1')");
    }
    e.App.Db.ConfirmarTransaccion();
}

// Wall-clock and processor seconds (the machine is shared: the second is steadier).
std::pair<double, double> Medir(EntornoPrueba& e, const std::string& interno) {
    e.App.InternoActual = interno;
    e.App.TipoDeclaracion = "ICR1";
    auto t0 = std::chrono::steady_clock::now();
    std::clock_t c0 = std::clock();
    bool ok = FRAM2_GuardarDatosToBase(e.App);
    std::clock_t c1 = std::clock();
    auto t1 = std::chrono::steady_clock::now();
    if (!ok)
        std::printf("la clasificación falló: %s\n", e.Op.Ultimo().c_str());
    return {std::chrono::duration<double>(t1 - t0).count(), double(c1 - c0) / CLOCKS_PER_SEC};
}

} // namespace

int main(int argc, char** argv) {
    std::vector<int> tamanos = {20000, 100000};
    if (argc > 1)
        tamanos.clear();
    for (int i = 1; i < argc; ++i)
        tamanos.push_back(std::atoi(argv[i]));
    EntornoPrueba e(true);
    e.App.Config.INTCAT = "CAT1";
    e.App.Config.INTDUN = "07";
    Catalogo(e);
    std::printf("catálogo: %d artículos; nomenclador: %s posiciones\n", kCatalogo,
                e.ValorAduana("select count(*) from ncm").c_str());
    for (int n : tamanos) {
        std::string interno = "B" + std::to_string(n);
        Interno(e, interno, n);
        auto [s, cpu] = Medir(e, interno);
        std::printf("interno de %6d artículos: %6.2f s (%6.2f s de CPU), %8.0f artículos/s (OK %s, E %s, sin catálogo "
                    "%s)\n",
                    n, s, cpu, n / s,
                    e.Valor("select count(*) from ART where INTNRO = '" + interno + "' and PRCCRC = 'OK'").c_str(),
                    e.Valor("select count(*) from ART where INTNRO = '" + interno + "' and PRCEST = 'E'").c_str(),
                    e.Valor("select count(*) from ART where INTNRO = '" + interno + "' and PRCEST is null").c_str());
    }
    return 0;
}
