// Suggested positions on the demo nomenclator: a 100,000-article interno with
// 28,000 new articles to depurate against a 100,000-article catalog, with hand
// corrections and earlier declarations besides; the whole interno (the record
// list's column) and one article (the editor). Prints one line per measure.
#include "../tests/Entorno.h"
#include "review/Sugerencias.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

template <class F> double Ms(F&& f) {
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

template <class F> double MedianaMs(int vueltas, F&& f) {
    std::vector<double> ms;
    for (int i = 0; i < vueltas; ++i)
        ms.push_back(Ms(f));
    std::nth_element(ms.begin(), ms.begin() + vueltas / 2, ms.end());
    return ms[static_cast<size_t>(vueltas / 2)];
}

void Preparar(EntornoPrueba& e) {
    e.App.Config.INTCAT = "1";
    // 100,000 catalog articles of 2,000 models, two variants in three at a
    // position written in 14 characters.
    e.EnAduana("with recursive n(i) as (select 1 union all select i + 1 from n where i < 100000) "
               "insert into catarticulos (idcatalogo, idarticulo, ncm, sufijos) select '1', 'M' || (i % 2000) || "
               "' V' || i, case when i % 3 = 0 then '8703.22.10.100' else '8703.23.10.100' end, "
               "'AA(ORVANTA)-AB(M' || (i % 2000) || ')-CA01-AM(VIN)-' from n");
    // Earlier declarations of some of the new numbers.
    e.EnAduana("with recursive n(i) as (select 1 union all select i + 1 from n where i < 20000) "
               "insert into subitems (interno, idarticulo, ncm, sufijos) select 'D' || (i % 50), 'M' || (i % 2000) "
               "|| ' NUEVA' || (i % 7), '8703.24.10.100R', 'AA(ORVANTA)-' from n");
    e.EnAduana("with recursive n(i) as (select 0 union all select i + 1 from n where i < 49) "
               "insert into caratula (interno, fechaalta) select 'D' || i, '2026-01-01 00:00:00' from n");
    e.Trabajo("insert into INTN (INTNRO, INTDSC) values ('900', 'grande')");
    // 28,000 new articles (no position) of the catalog's models, 500 of them
    // corrected by hand, the rest classified.
    e.Trabajo(
        "with recursive n(i) as (select 1 union all select i + 1 from n where i < 100000) "
        "insert into ART (INTNRO, ARTORD, ARTNRO, ARTCAN, ARTUNI, ARTTOT, PRCNCM, PRCSUF, PRCEST, PRCCRC, PRCVIN) "
        "select '900', i, case when i <= 28500 then 'M' || (i % 2000) || ' NUEVA' || (i % 7) else 'C' || i end, "
        "1, 10, 10, case when i <= 28000 then null else '8703.23.10.100A' end, "
        "case when i <= 28000 then null else 'AA(ORVANTA)-' end, "
        "case when i <= 28000 then null when i <= 28500 then 'M' else 'A' end, "
        "case when i <= 28000 then null else 'OK' end, 'VIN' || i from n");
    e.App.InternoActual = "900";
}

} // namespace

int main() {
    EntornoPrueba e(true);
    Preparar(e);
    std::printf("nomenclador: %s posiciones; catálogo: %s artículos; interno: %s artículos, %s a depurar\n",
                e.ValorAduana("select count(*) from ncm").c_str(),
                e.ValorAduana("select count(*) from catarticulos").c_str(), e.Valor("select count(*) from ART").c_str(),
                e.Valor("select count(*) from ART where PRCEST is null").c_str());
    size_t articulos = 0, sugerencias = 0;
    const double todo = MedianaMs(5, [&] {
        auto r = Sugerencias::DelInterno(e.App);
        articulos = r.size();
        sugerencias = 0;
        for (const auto& [k, v] : r)
            sugerencias += v.size();
    });
    std::printf("sugerencias del interno: %zu artículos, %zu sugerencias en %.1f ms (mediana de 5)%s\n", articulos,
                sugerencias, todo, todo < 1000 ? "" : "  (más de 1 s)");
    size_t una = 0;
    const double uno = MedianaMs(15, [&] { una = Sugerencias::DelArticulo(e.App, 14000).size(); });
    std::printf("sugerencias de un artículo: %zu sugerencias en %.2f ms (mediana de 15)%s\n", una, uno,
                uno < 50 ? "" : "  (más de 50 ms)");
    return todo < 1000 && uno < 50 ? 0 : 1;
}
