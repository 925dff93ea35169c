// Record reports: the two selections and their order, the empty and failing
// cases, the number patterns, the workbook read back, the catalog health
// check, and the runner's reporte command with its PDF pages.
#include "Entorno.h"

#include "platform/AppError.h"
#include "platform/Numeros.h"
#include "platform/SentenciaSql.h"
#include "reports/Informe.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace fs = std::filesystem;

namespace {

struct Articulo {
    int Orden;
    const char* Estado;    // PRCEST, nullptr for null
    const char* Resultado; // PRCCRC, nullptr for null
};

// A text value, or null.
void TextoONulo(SentenciaSql& s, const char* v) {
    if (v)
        s.Texto(v);
    else
        s.Sql("null");
}

void Insertar(EntornoPrueba& e, const std::string& interno, const std::vector<Articulo>& articulos) {
    e.Trabajo(SentenciaSql("insert into INTN values (").Texto(interno).Sql(",").Texto(interno).Sql(")"));
    SentenciaSql s;
    for (const Articulo& a : articulos) {
        s.Limpiar();
        s.Sql("insert into ART (INTNRO,ARTORD,ARTNRO,ARTDSC,ARTCAN,ARTUNI,ARTTOT,ARTORG,PRCNCM,PRCSUF,PRCEST,"
              "PRCCRC) values (")
            .Texto(interno)
            .Sql(",")
            .Numero(static_cast<long long>(a.Orden))
            .Sql(",")
            .Texto("A" + std::to_string(a.Orden))
            .Sql(",'Pieza',2,10.5,21,'320','8708.29.99.900X','AA(MARCA)-',");
        TextoONulo(s, a.Estado);
        s.Sql(",");
        TextoONulo(s, a.Resultado);
        s.Sql(")");
        e.Trabajo(s);
    }
}

std::vector<std::string> Articulos(const Reportes::Informe& inf) {
    std::vector<std::string> r;
    for (const auto& f : inf.Filas)
        r.push_back(f.Textos[0]);
    return r;
}

// Runs the command line program; its standard output and error together.
int Cli(const EntornoPrueba& e, const std::string& args, std::string& salida) {
    std::string orden = std::string(VELMARION_CLI) + " --home " + e.Home.string() + " --settings " +
                        (e.Home / "ajustes.ini").string() + " " + args + " </dev/null 2>&1";
    FILE* p = popen(orden.c_str(), "r");
    char buf[512];
    salida.clear();
    while (size_t n = fread(buf, 1, sizeof buf, p))
        salida.append(buf, n);
    // A test home has no settings: start-up says so first.
    const std::string aviso = "EXCLAMACION: Falta configurar el sistema!\n\n";
    if (salida.rfind(aviso, 0) == 0)
        salida.erase(0, aviso.size());
    return WEXITSTATUS(pclose(p));
}

std::string Comando(const std::string& orden) {
    std::string salida;
    FILE* p = popen((orden + " 2>&1").c_str(), "r");
    char buf[4096];
    while (size_t n = fread(buf, 1, sizeof buf, p))
        salida.append(buf, n);
    pclose(p);
    return salida;
}

size_t Contar(const std::string& texto, const std::string& buscado) {
    size_t n = 0;
    for (size_t i = texto.find(buscado); i != std::string::npos; i = texto.find(buscado, i + 1))
        ++n;
    return n;
}

} // namespace

TEST(Reportes, SeleccionesYOrden) {
    EntornoPrueba e;
    // Inserted out of order: the OK report must still follow ARTORD.
    Insertar(e, "100",
             {{6, "M", "OK"},
              {5, "E", "SUF"},
              {2, "A", "CERO"},
              {1, "A", "OK"},
              {8, nullptr, nullptr},
              {7, "E", "POS"},
              {4, "", "OK"},
              {3, nullptr, nullptr},
              {9, "R", "OK"}});
    Insertar(e, "200", {{1, nullptr, nullptr}, {2, "A", "OK"}});
    e.App.InternoActual = "100";
    struct Caso {
        bool ok;
        std::vector<std::string> esperado;
    } casos[] = {
        // No status first (null before empty), then by status, result code and order;
        // an empty status lists an "OK" article among those to depurate.
        {false, {"A3", "A8", "A4", "A2", "A7", "A5"}},
        {true, {"A1", "A4", "A6", "A9"}}, // "CERO" is not OK
    };
    for (const Caso& c : casos) {
        Reportes::Informe inf = Reportes::ReporteArticulos(e.App, c.ok);
        EXPECT_EQ(Articulos(inf), c.esperado) << (c.ok ? "OK" : "sin depurar");
        EXPECT_NE(inf.Identidad.find("Interno 100"), std::string::npos);
    }
}

TEST(Reportes, SeleccionVaciaYConsultaFallida) {
    EntornoPrueba e;
    Insertar(e, "300", {{1, "A", "OK"}, {2, "M", "OK"}});
    e.App.InternoActual = "300";
    Reportes::Informe inf;
    EXPECT_FALSE(Reportes::PrepararArticulos(e.App, false, inf, "FRAM3_cmdRepErr_Click"));
    ASSERT_EQ(e.Op.Mensajes.size(), 1u);
    EXPECT_EQ(e.Op.Mensajes[0].Texto, "No hay articulos para mostrar");
    EXPECT_EQ(e.Op.Mensajes[0].Icon, Operador::Icono::Informacion);
    EXPECT_TRUE(Reportes::PrepararArticulos(e.App, true, inf, "FRAM3_cmdRepOK_Click"));
    EXPECT_EQ(inf.Filas.size(), 2u);
    EXPECT_EQ(e.Op.Mensajes.size(), 1u);

    // A query that fails is a message naming the operation, never an escaped error.
    e.Trabajo("alter table ART rename to ART_VIEJA");
    EXPECT_FALSE(Reportes::PrepararArticulos(e.App, true, inf, "FRAM3_cmdRepOK_Click"));
    ASSERT_EQ(e.Op.Mensajes.size(), 2u);
    EXPECT_EQ(e.Op.Mensajes[1].Icon, Operador::Icono::Critico);
    EXPECT_NE(e.Op.Ultimo().find("seccion [Quelvorin.FRAM3_cmdRepOK_Click]"), std::string::npos) << e.Op.Ultimo();
    EXPECT_FALSE(e.Op.Espera);
}

TEST(Reportes, PatronesYAlineaciones) {
    EntornoPrueba e;
    e.Trabajo("insert into INTN values ('400','400')");
    e.Trabajo("insert into ART (INTNRO,ARTORD,ARTNRO,ARTCAN,ARTUNI,ARTTOT,PRCECA,PRCNCM,PRCEST,PRCCRC) values "
              "('400',1,'X',2.5,10.12345,null,123.456,null,'A','OK')");
    e.App.InternoActual = "400";
    FijarSeparadorDecimal(',');
    Reportes::Informe inf = Reportes::ReporteArticulos(e.App, true);
    FijarSeparadorDecimal('.');
    ASSERT_EQ(inf.Filas.size(), 1u);
    const auto& t = inf.Filas[0].Textos;
    EXPECT_EQ(t[3], "02,50");   // Cantidad 00.00, the locale's separator
    EXPECT_EQ(t[4], "10,1235"); // Unitario 00.0000, rounded
    EXPECT_EQ(t[5], "");        // a null total shows nothing, not 00,00
    EXPECT_EQ(t[9], "123,46");  // Estad Cant
    EXPECT_EQ(t[6], "");        // a null position
    ASSERT_EQ(inf.Filas[0].Numeros.size(), 4u);
    EXPECT_DOUBLE_EQ(inf.Filas[0].Numeros[0], 2.5);
    EXPECT_TRUE(std::isnan(inf.Filas[0].Numeros[2]));

    using A = Reportes::Alineacion;
    const std::vector<std::tuple<std::string, A, std::string>> esperado = {{"Articulo", A::Izquierda, ""},
                                                                           {"Descripcion", A::Izquierda, ""},
                                                                           {"Pais", A::Izquierda, ""},
                                                                           {"Cantidad", A::Derecha, "00.00"},
                                                                           {"Unitario", A::Derecha, "00.0000"},
                                                                           {"Total", A::Derecha, "00.00"},
                                                                           {"Posición", A::Izquierda, ""},
                                                                           {"Declar", A::Centro, ""},
                                                                           {"Estadis", A::Centro, ""},
                                                                           {"Estad Cant", A::Derecha, "00.00"},
                                                                           {"Merc", A::Centro, ""},
                                                                           {"Orig", A::Centro, ""},
                                                                           {"Modo", A::Centro, ""},
                                                                           {"Estad", A::Centro, ""}};
    ASSERT_EQ(inf.Columnas.size(), esperado.size());
    for (size_t i = 0; i < esperado.size(); ++i) {
        EXPECT_EQ(inf.Columnas[i].Titulo, std::get<0>(esperado[i]));
        EXPECT_EQ(inf.Columnas[i].Alin, std::get<1>(esperado[i])) << std::get<0>(esperado[i]);
        EXPECT_EQ(inf.Columnas[i].Patron, std::get<2>(esperado[i])) << std::get<0>(esperado[i]);
    }
    ASSERT_EQ(inf.Grupos.size(), 2u);
    EXPECT_EQ(inf.Grupos[0].Cuantas, 6u);
    EXPECT_EQ(inf.Columnas[inf.Grupos[1].Desde].Titulo, "Posición");
}

TEST(Reportes, LibroXlsx) {
    EntornoPrueba e;
    Insertar(e, "500", {{1, "A", "OK"}, {2, "M", "OK"}});
    e.App.InternoActual = "500";
    Reportes::Informe inf = Reportes::ReporteArticulos(e.App, true);
    const fs::path libro = e.Home / "r.xlsx";
    Reportes::EscribirXlsx(inf, libro.string());
    const std::string hoja = Comando("python3 -c \"import zipfile,sys; sys.stdout.write(zipfile.ZipFile('" +
                                     libro.string() + "').read('xl/worksheets/sheet1.xml').decode())\"");
    for (const char* titulo : {"Articulo", "Posición", "Estad Cant", "Sufijos", "AA(MARCA)-"})
        EXPECT_NE(hoja.find(std::string(">") + titulo + "<"), std::string::npos) << titulo;
    // Cantidad, Unitario and Total of row 2 are numbers, not text.
    EXPECT_TRUE(std::regex_search(hoja, std::regex("<c r=\"D2\" s=\"[0-9]+\"><v>2</v></c>"))) << hoja;
    EXPECT_TRUE(std::regex_search(hoja, std::regex("<c r=\"E2\" s=\"[0-9]+\"><v>10.5</v></c>")));
    EXPECT_NE(hoja.find("ySplit=\"1\""), std::string::npos);              // frozen header
    EXPECT_NE(hoja.find("<autoFilter ref=\"A1:O3\""), std::string::npos); // filtered, PRCSUF last (O)
    const std::string estilos = Comando("python3 -c \"import zipfile,sys; sys.stdout.write(zipfile.ZipFile('" +
                                        libro.string() + "').read('xl/styles.xml').decode())\"");
    EXPECT_NE(estilos.find("formatCode=\"00.0000\""), std::string::npos);

    // A folder that does not exist: an error naming the file, no file left behind.
    const fs::path imposible = e.Home / "no-existe" / "r.xlsx";
    try {
        Reportes::EscribirXlsx(inf, imposible.string());
        ADD_FAILURE() << "escribio en una carpeta que no existe";
    } catch (const AppError& x) {
        EXPECT_NE(x.Description.find(imposible.string()), std::string::npos) << x.Description;
    }
}

TEST(Reportes, RevisionDelCatalogo) {
    EntornoPrueba e(true);
    Conexion& cat = e.App.Entidades->getDataConnectionByEntity("CATALOGOS");
    Recordset rs;
    e.App.Entidades->getDataConnectionByEntity("NCM").Sql("select [001] || '.' || [002] as pos from ncm limit 1");
    ASSERT_TRUE(e.App.Entidades->getDataConnectionByEntity("NCM").CrearRs(rs));
    const std::string buena = rs.Fields("pos").Texto();
    auto articulo = [&](const std::string& catalogo, const std::string& id, const std::string& ncm,
                        const std::string& suf) {
        cat.Ejecutar(SentenciaSql("insert into catarticulos (idcatalogo,idarticulo,ncm,sufijos,descripcion) values (")
                         .Texto(catalogo)
                         .Sql(",")
                         .Texto(id)
                         .Sql(",")
                         .Texto(ncm)
                         .Sql(",")
                         .Texto(suf)
                         .Sql(",'d')"));
    };
    articulo("C1", "P1", "9999.99.99.999", "SIN SUFIJOS");
    articulo("C1", "P2", "0000.00.00.000", "SIN SUFIJOS");
    articulo("C1", "S1", buena, "ZZ99-");
    articulo("C2", "P3", "9999.99.99.999", "SIN SUFIJOS"); // another catalog
    Reportes::Informe inf = Reportes::RevisionCatalogo(e.App, "C1");
    // Bigger group first, the counts before the rows.
    ASSERT_EQ(inf.Secciones.size(), 2u);
    EXPECT_EQ(inf.Secciones[0].Titulo, "Posición fuera del nomenclador: 2 articulos");
    EXPECT_EQ(inf.Secciones[1].Desde, 2u);
    EXPECT_EQ(inf.Resumen.front(), "3 articulos con errores");
    EXPECT_EQ(Articulos(inf), (std::vector<std::string>{"P1", "P2", "S1"}));
    EXPECT_NE(inf.Filas[0].Textos[3].find("no está en el nomenclador"), std::string::npos);
    EXPECT_FALSE(inf.Filas[2].Textos[3].empty());
    EXPECT_EQ(inf.Filas[2].Segunda, "ZZ99-");
    EXPECT_TRUE(Reportes::RevisionCatalogo(e.App, "C9").Vacio());
}

TEST(Reportes, LineaDeComandos) {
    EntornoPrueba e;
    std::vector<Articulo> muchos;
    for (int i = 1; i <= 130; ++i)
        muchos.push_back({i, i % 10 == 0 ? "A" : "E", i % 10 == 0 ? "OK" : "SUF"});
    Insertar(e, "600", muchos);
    // One article with a suffix text long enough to wrap over several lines.
    std::string largo;
    for (int i = 0; i < 40; ++i)
        largo += "AB(VALOR LARGO " + std::to_string(i) + ")-";
    e.Trabajo(SentenciaSql("update ART set PRCSUF = ").Texto(largo).Sql(" where ARTORD = 5"));
    Insertar(e, "700", {{1, "A", "OK"}});
    std::string out;

    EXPECT_EQ(Cli(e, "reporte 600 --ok", out), 0);
    std::istringstream lineas(out);
    std::string primera;
    std::getline(lineas, primera);
    EXPECT_EQ(primera, "Articulo\tDescripcion\tPais\tCantidad\tUnitario\tTotal\tPosición\tDeclar\tEstadis\tEstad "
                       "Cant\tMerc\tOrig\tModo\tEstad\tSufijos");
    EXPECT_EQ(Contar(out, "\n"), 14u); // captions and 13 articles

    EXPECT_EQ(Cli(e, "reporte 700", out), 1);
    EXPECT_EQ(out, "INFORMACION: No hay articulos para mostrar\n\n");
    EXPECT_EQ(Cli(e, "reporte 999", out), 1);
    EXPECT_EQ(Cli(e, "reporte", out), 2);

    // Every article on some page once, every page numbered of the right total.
    const fs::path pdf = e.Home / "r.pdf";
    ASSERT_EQ(Cli(e, "reporte 600 --pdf " + pdf.string() + " --xlsx " + (e.Home / "r.xlsx").string(), out), 0) << out;
    EXPECT_TRUE(fs::exists(e.Home / "r.xlsx"));
    const std::string info = Comando("pdfinfo " + pdf.string());
    std::smatch m;
    ASSERT_TRUE(std::regex_search(info, m, std::regex("Pages: +([0-9]+)"))) << info;
    const int paginas = std::stoi(m[1]);
    EXPECT_GT(paginas, 2);
    const std::string texto = Comando("pdftotext -layout " + pdf.string() + " -");
    const std::regex articulo("\nA[0-9]+ ");
    EXPECT_EQ(std::distance(std::sregex_iterator(texto.begin(), texto.end(), articulo), std::sregex_iterator()), 117)
        << texto; // every article number starts its line, once
    for (int p = 1; p <= paginas; ++p)
        EXPECT_EQ(Contar(texto, "Pagina " + std::to_string(p) + " de " + std::to_string(paginas)), 1u) << p;
    EXPECT_EQ(Contar(texto, "Pagina " + std::to_string(paginas + 1) + " "), 0u);
    EXPECT_EQ(Contar(texto, "Desde Archivo"), static_cast<size_t>(paginas));
    EXPECT_NE(texto.find("(VALOR LARGO 39)-"), std::string::npos); // the end of the wrapped text is printed

    // A PDF that cannot be written: a message and exit 1.
    EXPECT_EQ(Cli(e, "reporte 600 --pdf " + (e.Home / "no" / "r.pdf").string(), out), 1);
    EXPECT_NE(out.find("CRITICO: No se pudo escribir el archivo"), std::string::npos) << out;
}

TEST(Reportes, ExportacionQueFallaNoQuedaComoGuardada) {
    EntornoPrueba e;
    std::vector<Articulo> muchos;
    for (int i = 1; i <= 60; ++i)
        muchos.push_back({i, "A", "OK"});
    Insertar(e, "600", muchos);
    struct Caso {
        std::string args;
        int salida;
    } casos[] = {
        {"--pdf /dev/full", 1}, // a full device: every write fails
        {"--xlsx /dev/full", 1},
        {"--pdf " + e.Home.string(), 1}, // a folder, not a file
        {"--xlsx " + e.Home.string(), 1},
        {"--pdf ''", 2}, // a name left empty is a usage error, not a text report
        {"--xlsx ''", 2},
    };
    std::string out;
    for (const Caso& c : casos) {
        EXPECT_EQ(Cli(e, "reporte 600 --ok " + c.args, out), c.salida) << c.args << "\n" << out;
        EXPECT_EQ(out.find("guardado"), std::string::npos) << c.args << "\n" << out;
    }
    // Nothing was removed or replaced: the device and the folder are still there.
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_TRUE(fs::is_directory(e.Home));

    // A file already there is replaced only by a whole new one, and no file of
    // the export's own is left beside it.
    for (const char* nombre : {"r.pdf", "r.xlsx"}) {
        const fs::path ruta = e.Home / nombre;
        std::ofstream(ruta) << "anterior";
        const std::string opcion = fs::path(nombre).extension() == ".pdf" ? "--pdf " : "--xlsx ";
        ASSERT_EQ(Cli(e, "reporte 600 --ok " + opcion + ruta.string(), out), 0) << out;
        EXPECT_NE(out.find("Reporte guardado en " + ruta.string()), std::string::npos) << out;
        EXPECT_GT(fs::file_size(ruta), 1000u) << nombre;
    }
    for (const auto& entrada : fs::directory_iterator(e.Home))
        EXPECT_EQ(entrada.path().filename().string().find(".velmarion-"), std::string::npos) << entrada.path();
}
