// Reports of a 100,000-article interno: the selection, the first preview page
// (selection, pagination and one page drawn), the PDF of every page, the .xlsx
// workbook, and the peak memory; then the health check of a 120,000-article
// catalog. Prints the figures.
#include "../tests/Entorno.h"

#include "app/Demo.h"
#include "platform/Almacor.h"
#include "reports/Informe.h"
#include "reports/Reporte.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

namespace {

using Reloj = std::chrono::steady_clock;

double Segundos(Reloj::time_point desde) {
    return std::chrono::duration<double>(Reloj::now() - desde).count();
}

// Processor time too: the machine may be shared while the benchmark runs.
double Cpu() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

double PicoMb() {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return static_cast<double>(r.ru_maxrss) / 1024.0;
}

void Interno(EntornoPrueba& e, long articulos) {
    const std::string n = std::to_string(articulos);
    e.App.Db.ComenzarTransaccion();
    e.Trabajo("insert into INTN values ('9001','9001')");
    // Every article to depurate; one in nine with a suffix text long enough to wrap.
    e.Trabajo("with recursive n(i) as (select 1 union all select i + 1 from n where i < " + n +
              ") insert into ART (INTNRO,ARTORD,ARTNRO,ARTDSC,ARTCAN,ARTUNI,ARTTOT,ARTORG,PRCNCM,PRCSUF,PRCEUN,"
              "PRCDUN,PRCECA,PRCESM,PRCORI,PRCEST,PRCCRC) select '9001', i, 'ART-' || i, "
              "'Pieza de carroceria numero ' || i, 2, 10.5, 21, '320', '8708.29.99.900X', "
              "case when i % 9 = 0 then 'AA(ORVANTA)-AB(SOLVIA HATCHBACK CINCO PUERTAS)-CA01-AM(JRVPPBC99RB107630)-"
              "ZA(002024)-PA02-ZC(001798)-AC01-AD(UNA DESCRIPCION MUY LARGA DEL MODELO Y LA VARIANTE)-AE(OTRO "
              "VALOR EXTENSO QUE OBLIGA A PARTIR LA LINEA)-' else 'AA(ORVANTA)-AB(SOLVIA)-CA01-' end, '07', '07', 2, "
              "'1', '320', case when i % 5 = 0 then null else 'E' end, case when i % 5 = 0 then null else 'SUF' end "
              "from n");
    e.App.Db.ConfirmarTransaccion();
    e.App.InternoActual = "9001";
}

std::string Catalogo(EntornoPrueba& e, long articulos) {
    Conexion& cat = e.App.Entidades->getDataConnectionByEntity("CATALOGOS");
    Demo::CargarCatalogo(e.App.Db, cat, *e.App.Almacen, CarpetaDatosFuente());
    Recordset rs;
    cat.Sql("select idcatalogo, count(*) as n from catarticulos group by idcatalogo order by 2 desc");
    cat.CrearRs(rs);
    const std::string id = rs.Fields("idcatalogo").Texto();
    const long base = static_cast<long>(rs.Fields("n").Numero());
    const long copias = (articulos + base - 1) / base - 1;
    cat.ComenzarTransaccion();
    // Copies of the demo articles; one in seven with a position gone from the nomenclator.
    cat.Sql(SentenciaSql("with recursive n(i) as (select 1 union all select i + 1 from n where i < ")
                .Numero(static_cast<long long>(copias))
                .Sql(") insert into catarticulos (idcatalogo,idarticulo,ncm,sufijos,descripcion) select idcatalogo, "
                     "idarticulo || '-' || i, case when i % 7 = 0 then '9999.99.99.999' else ncm end, sufijos, "
                     "descripcion from catarticulos, n where idcatalogo = ")
                .Texto(id));
    cat.Ejecutar();
    cat.ConfirmarTransaccion();
    return id;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication qt(argc, argv);
    const long kArticulos = 100000;
    EntornoPrueba e(true);
    Interno(e, kArticulos);
    std::printf("Reporte de un interno de %ld articulos\n", kArticulos);

    auto t = Reloj::now();
    const double cpu0 = Cpu();
    Reportes::Informe inf = Reportes::ReporteArticulos(e.App, false);
    const double consulta = Segundos(t);
    Reporte reporte(inf);
    QImage imagen(842, 595, QImage::Format_RGB32);
    imagen.fill(Qt::white);
    {
        QPainter p(&imagen);
        reporte.PintarPagina(p, imagen, 0);
    }
    const double primera = Segundos(t);
    std::printf("  seleccion (%zu filas)            %7.2f s\n", inf.Filas.size(), consulta);
    std::printf("  primera pagina de la vista previa %7.2f s (cpu %.2f s, %d paginas)\n", primera, Cpu() - cpu0,
                reporte.Paginas());

    const auto dir = std::filesystem::temp_directory_path();
    const std::string pdf = (dir / "bench-reporte.pdf").string(), xlsx = (dir / "bench-reporte.xlsx").string();
    t = Reloj::now();
    double cpu = Cpu();
    reporte.EscribirPdf(QString::fromStdString(pdf));
    std::printf("  PDF                               %7.2f s (cpu %.2f s, %.1f MB)\n", Segundos(t), Cpu() - cpu,
                static_cast<double>(std::filesystem::file_size(pdf)) / 1e6);
    t = Reloj::now();
    cpu = Cpu();
    Reportes::EscribirXlsx(inf, xlsx);
    std::printf("  xlsx                              %7.2f s (cpu %.2f s, %.1f MB)\n", Segundos(t), Cpu() - cpu,
                static_cast<double>(std::filesystem::file_size(xlsx)) / 1e6);
    std::printf("  memoria maxima                    %7.0f MB\n", PicoMb());
    std::filesystem::remove(pdf);
    std::filesystem::remove(xlsx);

    const std::string id = Catalogo(e, 120000);
    t = Reloj::now();
    Reportes::Informe revision = Reportes::RevisionCatalogo(e.App, id);
    const double tiempo = Segundos(t);
    long total = 0;
    Recordset rs;
    Conexion& cat = e.App.Entidades->getDataConnectionByEntity("CATALOGOS");
    cat.Sql(SentenciaSql("select count(*) as n from catarticulos where idcatalogo = ").Texto(id));
    if (cat.CrearRs(rs))
        total = static_cast<long>(rs.Fields("n").Numero());
    std::printf("Revision del catalogo %s: %ld articulos en %.2f s, %zu con errores\n", id.c_str(), total, tiempo,
                revision.Filas.size());
    for (const std::string& r : revision.Resumen)
        std::printf("  %s\n", r.c_str());
    std::printf("memoria maxima %0.f MB\n", PicoMb());
    return 0;
}
