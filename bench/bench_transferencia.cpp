// Transfer of classified internos of 20,000 and 100,000 articles, each with one
// input line (ordinary, IT or ICR2 regime in turn), half of the articles
// already in the catalog. Prints the time of every stage, sub-items and
// discharge lines per second, and the whole run.
#include "../tests/Entorno.h"

#include "platform/Almacor.h"
#include "transfer/Transferencia.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Reloj = std::chrono::steady_clock;

double Segundos(Reloj::time_point desde) {
    return std::chrono::duration<double>(Reloj::now() - desde).count();
}

// Processor seconds a server session has used so far (its process on this
// machine: user and system time from /proc), or -1 on the file engine.
double ProcesadorServidor(EntornoPrueba& e) {
    if (e.AduanaArchivo())
        return -1;
    std::string pid = e.ValorAduana("select pg_backend_pid()");
    std::ifstream f("/proc/" + pid + "/stat");
    std::string linea;
    if (!std::getline(f, linea))
        return -1;
    // The fields after the command name (which may hold blanks): utime and stime are the 12th and 13th.
    std::istringstream campos(linea.substr(linea.rfind(')') + 2));
    std::string campo;
    double ticks = 0;
    for (int i = 1; i <= 13 && campos >> campo; ++i)
        if (i >= 12)
            ticks += std::atof(campo.c_str());
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The bench's own fixture, written whole.
void Ejecutar(Conexion& db, const std::string& sql) {
    db.Ejecutar(SentenciaSql(sql));
}

void Preparar(EntornoPrueba& e, const std::string& interno, long articulos) {
    const std::string n = std::to_string(articulos);
    const std::string serie = "with recursive n(i) as (select 1 union all select i + 1 from n where i < " + n + ") ";
    e.App.Db.ComenzarTransaccion();
    Ejecutar(e.App.Db, "insert into INTN values ('" + interno + "','" + interno + "')");
    Ejecutar(e.App.Db, serie +
                           "insert into ART (INTNRO,ARTORD,ARTNRO,ARTDSC,ARTCAN,ARTUNI,ARTTOT,ARTFAC,ARTORG,ARTKGU,"
                           "PRCCAN,PRCCTC,PRCDST,PRCORI,PRCESM,PRCTDS,PRCNCM,PRCSUF,PRCLAP,PRCEUN,PRCSUN,PRCDUN,"
                           "PRCECA,PRCSCA,PRCEST,PRCCRC) select '" +
                           interno + "', i, '" + interno +
                           "-' || i, 'Pieza ' || i, 2, 10.5, 21, 'F' || (i % 50), '310', 1.25, 2, 'CTC' || i, "
                           "'310', '310', '1', 'ICR2', '8708.29.99.900X', 'AA(MARCA)-', 'N', '07', '', "
                           "case when i % 4 = 0 then '01' else '07' end, 2, 0, 'A', 'OK' from n");
    Ejecutar(e.App.Db, serie +
                           "insert into ARTINS (INTNRO,PARENTART,IdReg,DIT,Item,SubItem,Posicion,CTIT,cif,IDPARENT,"
                           "Cantidad) select '" +
                           interno + "', '" + interno +
                           "-' || i, i, '22001' || case i % 3 when 0 then 'IC04' when 1 then 'IT04' else 'ICR2' end "
                           "|| '000' || i, '0001', '01', '8708.29.99.900', 'CTC' || i, 12.5, i, 1.5 from n");
    e.App.Db.ConfirmarTransaccion();
    Conexion& cat = e.App.Entidades->getDataConnectionByEntity("CATALOGOS");
    cat.ComenzarTransaccion();
    Ejecutar(cat, serie + "insert into catarticulos (idcatalogo,idarticulo,descripcion) select 'CAT1', '" + interno +
                      "-' || i, 'Vieja' from n where i % 2 = 0");
    cat.ConfirmarTransaccion();
}

void Medir(EntornoPrueba& e, const std::string& interno, long articulos) {
    Preparar(e, interno, articulos);
    e.App.InternoActual = interno;
    e.Op.PorDefecto = Operador::Respuesta::Si;

    // Each stage on its own, inside a transaction that is then undone.
    auto conexiones = e.App.Entidades->Conexiones();
    for (auto* g : conexiones)
        g->ComenzarTransaccion();
    auto t = Reloj::now();
    bool ok = FRAM3_Transfer_B_Pasaje(e.App, true) == Resultado::Hecho;
    double pasaje = Segundos(t);
    t = Reloj::now();
    e.App.TotalDescarga = 0;
    ok = FRAM3_Transfer_B_Descarga(e.App) && ok;
    double descarga = Segundos(t);
    t = Reloj::now();
    ok = FRAM3_Transfer_C_ActualCAT(e.App) && ok;
    double catalogo = Segundos(t);
    for (auto* g : conexiones)
        g->DeshacerTransaccion();

    double servidor = ProcesadorServidor(e);
    t = Reloj::now();
    std::clock_t cpu = std::clock();
    ok = FRM3_Tranferir(e.App) == Resultado::Hecho && ok;
    double total = Segundos(t);
    double totalCpu = static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
    if (servidor >= 0)
        servidor = ProcesadorServidor(e) - servidor;

    long subitems = std::lround(
        e.FilasAduana("select count(*) from subitems where interno = '" + interno + "'").Fields(size_t{0}).Numero());
    long descargas = std::lround(
        e.FilasAduana("select count(*) from descargas where interno = '" + interno + "'").Fields(size_t{0}).Numero());
    std::printf("%7ld articulos (%ld insumos)%s\n", articulos, articulos, ok ? "" : "  [ERROR]");
    std::printf("  caratula y subitems: %6.2f s  %9.0f subitems/s\n", pasaje, subitems / pasaje);
    std::printf("  descargas y totales: %6.2f s  %9.0f descargas/s\n", descarga, descargas / descarga);
    std::printf("  catalogo:            %6.2f s  %9.0f articulos/s\n", catalogo, articulos / catalogo);
    std::printf("  transferencia entera: %5.2f s  %9.0f articulos/s  (procesador %.2f s)\n", total, articulos / total,
                totalCpu);
    // The server's share of the work, and both together: what the run costs
    // whatever else the machine is doing.
    if (servidor >= 0)
        std::printf("  procesador del servidor: %.2f s  programa y servidor: %.2f s\n", servidor, totalCpu + servidor);
}

} // namespace

// Sizes may be given on the command line (for profiling one of them).
int main(int argc, char** argv) {
    EntornoPrueba e;
    e.App.Config.INTCAT = "CAT1";
    std::vector<long> tamanos = {20000, 100000};
    if (argc > 1)
        tamanos.assign(argc - 1, 0);
    for (int i = 1; i < argc; ++i)
        tamanos[i - 1] = std::atol(argv[i]);
    for (long n : tamanos)
        Medir(e, "B" + std::to_string(n), n);
    return 0;
}
