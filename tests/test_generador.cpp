// The shipment generator (fields read back by column, reproducibility, exact
// fault counts, encodings) and the demo catalog built from the same pool.
#include "Entorno.h"
#include "app/Demo.h"
#include "platform/Texto.h"
#include "tools/generador.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

namespace {

std::vector<Demo::ArticuloDemo> Pool() {
    return Demo::LeerArticulos(CarpetaDatosFuente());
}

std::string Campo(const std::string& linea, size_t desde, size_t ancho) {
    return Trim(Mid(linea, desde, ancho));
}

// A fixed-width number field as a whole number of its smallest unit; -1 when it holds anything but digits.
long long Numero(const std::string& linea, size_t desde, size_t ancho) {
    std::string t = Mid(linea, desde, ancho);
    if (t.size() != ancho || t.find_first_not_of("0123456789") != std::string::npos)
        return -1;
    return std::stoll(t);
}

bool FechaValida(int a, int m, int d) {
    static const int dias[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool bisiesto = (a % 4 == 0 && a % 100 != 0) || a % 400 == 0;
    return m >= 1 && m <= 12 && d >= 1 && d <= (m == 2 && !bisiesto ? 28 : dias[m - 1]);
}

std::vector<std::string> Lineas(const std::string& bytes) {
    std::vector<std::string> r;
    size_t i = 0;
    for (size_t f; (f = bytes.find("\r\n", i)) != std::string::npos; i = f + 2)
        r.push_back(bytes.substr(i, f - i));
    EXPECT_EQ(i, bytes.size()) << "the file ends with CR LF";
    return r;
}

} // namespace

TEST(Generador, LosCamposSeLeenPorColumnaComoSeGeneraron) {
    auto pool = Pool();
    for (const char* tipo : {"ECR1", "ICR1", "ICR2", "RR01", ""}) {
        OpcionesGenerador o;
        o.Semilla = 42, o.Cabeceras = 12, o.DetallesPorCabecera = 4, o.Tipo = tipo;
        o.Interno = "4711", o.Sufijo = "02", o.Nuevos = 0.2, o.Ceros = 0.2, o.SufijosMalos = 0.1;
        o.SinVinculo = 0.2, o.Asteriscos = 0.5, o.PaisSinRelacion = true;
        Generador g(o, pool);
        RegistroGenerado r;
        std::string modeloH, varianteH;
        long h = 0, p = 0;
        while (g.Siguiente(r)) {
            std::string l = r.Linea();
            SCOPED_TRACE(std::string(tipo) + ": " + l);
            if (r.Clase == 'H') {
                ++h;
                ASSERT_EQ(Len(l), 129u);
                EXPECT_EQ(Left(l, 1), "H");
                EXPECT_EQ(Campo(l, 12, 10), "4711");
                EXPECT_EQ(Campo(l, 22, 2), "02");
                EXPECT_EQ(Campo(l, 24, 12), r.Factura);
                EXPECT_FALSE(r.Factura.empty());
                EXPECT_EQ(Campo(l, 36, 20), r.NroCTC);
                modeloH = Campo(l, 56, 9), varianteH = Campo(l, 65, 21);
                EXPECT_EQ(modeloH + " " + varianteH, r.Articulo->Articulo);
                EXPECT_EQ(Numero(l, 86, 12), r.ImporteCentavos);
                EXPECT_EQ(r.ImporteCentavos == 0, r.Cero);
                EXPECT_EQ(Campo(l, 98, 17).size(), 17u);
                EXPECT_EQ(Campo(l, 98, 17).find_first_of("IOQ"), std::string::npos);
                EXPECT_EQ(Campo(l, 122, 3), r.Pais);
                EXPECT_EQ(Mid(l, 126, 4), Left(std::string(tipo) + "    ", 4));
            } else {
                ++p;
                ASSERT_EQ(Len(l), 225u);
                EXPECT_EQ(Left(l, 1), "P");
                EXPECT_EQ(Reemplazar(Campo(l, 14, 21), "*", ""), r.Articulo->Articulo);
                EXPECT_EQ(Numero(l, 35, 13), r.CantidadMilesimas);
                EXPECT_GT(r.CantidadMilesimas, 0);
                EXPECT_EQ(Numero(l, 50, 22), r.CifDiezmilesimas);
                std::string posicion = Mid(l, 72, 15);
                EXPECT_EQ(posicion, r.Articulo->Ncm + Demo::LetraControl(r.Articulo->Ncm));
                int anio = static_cast<int>(Numero(l, 87, 4)), mes = static_cast<int>(Numero(l, 91, 2));
                int dia = static_cast<int>(Numero(l, 93, 2));
                EXPECT_TRUE(FechaValida(anio, mes, dia));
                EXPECT_EQ(anio * 10000 + mes * 100 + dia, r.Anio * 10000 + r.Mes * 100 + r.Dia);
                std::string dit = Mid(l, 95, 16);
                EXPECT_EQ(Trim(dit).size(), 16u);
                EXPECT_EQ(std::stoi(Left(dit, 2)), anio % 100);
                EXPECT_TRUE(std::set<std::string>({"IC04", "IC05", "IT04", "IT14", "ICR1", "ICR2", "EC01", "IM40"})
                                .count(Mid(dit, 6, 4)));
                EXPECT_GT(Numero(l, 118, 4), 0);
                EXPECT_GT(Numero(l, 122, 4), 0);
                if (!r.SinVinculo) {
                    EXPECT_EQ(Campo(l, 126, 9), modeloH);
                    EXPECT_EQ(Campo(l, 135, 19), varianteH);
                }
                EXPECT_EQ(Numero(l, 154, 22), r.PrecioDiezmilesimas);
                EXPECT_EQ(r.PrecioDiezmilesimas == 0, r.Cero);
                EXPECT_EQ(Campo(l, 176, 3), r.Origen);
                EXPECT_EQ(Campo(l, 179, 3), r.Pais);
                EXPECT_EQ(Numero(l, 182, 22), (r.CantidadMilesimas * r.PrecioDiezmilesimas + 500) / 1000);
                EXPECT_EQ(Numero(l, 204, 22), (r.CantidadMilesimas * r.CifDiezmilesimas + 500) / 1000);
            }
        }
        EXPECT_EQ(h, 12);
        EXPECT_EQ(p, 48);
    }
}

TEST(Generador, MismaSemillaMismosBytesYDetallesRepartidos) {
    auto pool = Pool();
    auto generar = [&](std::uint64_t semilla, long total) {
        OpcionesGenerador o;
        o.Semilla = semilla, o.Cabeceras = 3, o.DetallesTotal = total, o.Nuevos = 0.1;
        std::ostringstream s;
        GenerarEnvio(s, o, pool);
        return s.str();
    };
    EXPECT_EQ(generar(5, 7), generar(5, 7));
    EXPECT_NE(generar(5, 7), generar(6, 7));
    // Seven detail records over three headers: 3, 2 and 2, each block after its header.
    std::string tipos;
    for (const std::string& l : Lineas(generar(5, 7)))
        tipos += l[0];
    EXPECT_EQ(tipos, "HPPPHPPHPP");
}

TEST(Generador, LasFraccionesDanCuentasExactas) {
    auto pool = Pool();
    struct Caso {
        double nuevos, ceros, malos, sinVinculo;
        long nuevosEsperados, cerosEsperados, malosEsperados, sinVinculoEsperados;
    } casos[] = {
        {0, 0, 0, 0, 0, 0, 0, 0},
        {0.25, 0.125, 0.125, 0.5, 2 + 6, 1 + 3, 1 + 3, 12}, // 8 H and 24 P
        {0.01, 0.01, 0.01, 0.01, 1 + 1, 1 + 1, 1 + 1, 1},   // above zero: at least one of each
        {1, 0, 0, 1, 8 + 24, 0, 0, 24},
    };
    for (const Caso& c : casos) {
        OpcionesGenerador o;
        o.Semilla = 3, o.Cabeceras = 8, o.DetallesPorCabecera = 3;
        o.Nuevos = c.nuevos, o.Ceros = c.ceros, o.SufijosMalos = c.malos, o.SinVinculo = c.sinVinculo;
        Generador g(o, pool);
        RegistroGenerado r;
        long nuevos = 0, malos = 0, mex = 0;
        while (g.Siguiente(r)) {
            nuevos += r.Articulo->Catalogo == Demo::ArticuloDemo::EnCatalogo::No;
            malos += r.Articulo->Catalogo == Demo::ArticuloDemo::EnCatalogo::SufijoMalo;
            mex += r.Pais == Demo::kPaisSinRelacion;
            EXPECT_FALSE(r.Cero && r.Articulo->Catalogo != Demo::ArticuloDemo::EnCatalogo::Si)
                << "a zero price only on an otherwise sound article";
        }
        SCOPED_TRACE(c.nuevos);
        EXPECT_EQ(g.Resumen().Nuevos, c.nuevosEsperados);
        EXPECT_EQ(nuevos, c.nuevosEsperados);
        EXPECT_EQ(g.Resumen().Ceros, c.cerosEsperados);
        EXPECT_EQ(malos, c.malosEsperados);
        EXPECT_EQ(g.Resumen().SinVinculo, c.sinVinculoEsperados);
        EXPECT_EQ(mex, 0) << "the unrelated code only on request";
    }
    OpcionesGenerador o;
    o.PaisSinRelacion = true;
    std::ostringstream s;
    GenerarEnvio(s, o, pool);
    EXPECT_EQ(Lineas(s.str())[5 * 4].substr(121, 3), Demo::kPaisSinRelacion); // the sixth of ten headers
    for (auto cambiar : std::vector<void (*)(OpcionesGenerador&)>{
             [](OpcionesGenerador& x) { x.Ceros = 1.5; }, [](OpcionesGenerador& x) { x.Cabeceras = -1; },
             [](OpcionesGenerador& x) { x.Nuevos = 0.6, x.SufijosMalos = 0.6; },
             [](OpcionesGenerador& x) { x.Interno = "12345678901"; }}) {
        OpcionesGenerador x;
        cambiar(x);
        EXPECT_THROW(Generador(x, pool), std::invalid_argument);
    }
}

TEST(Generador, CodificacionesCuentanCaracteres) {
    // Only the vehicle whose variant holds an "Ñ", so every line carries one.
    std::vector<Demo::ArticuloDemo> pool;
    for (const auto& a : Pool())
        if (a.Tipo == Demo::ArticuloDemo::Clase::Parte || a.Variante == "MONTAÑA 4X4")
            pool.push_back(a);
    auto generar = [&](OpcionesGenerador::Codificacion c) {
        OpcionesGenerador o;
        o.Cabeceras = 2, o.DetallesPorCabecera = 2, o.SinVinculo = 0, o.Salida = c;
        std::ostringstream s;
        GenerarEnvio(s, o, pool);
        return s.str();
    };
    std::string ansi = generar(OpcionesGenerador::Codificacion::Windows1252);
    std::string utf8 = generar(OpcionesGenerador::Codificacion::Utf8);
    std::string bom = generar(OpcionesGenerador::Codificacion::Utf8ConBom);
    EXPECT_FALSE(EsUtf8Valido(ansi));
    EXPECT_EQ(Cp1252aUtf8(ansi), utf8);
    EXPECT_EQ(bom, "\xEF\xBB\xBF" + utf8);
    for (const std::string& l : Lineas(ansi)) {
        EXPECT_EQ(l.size(), l[0] == 'H' ? 129u : 225u);
        EXPECT_NE(l.find("MONTA\xD1"
                         "A 4X4"),
                  std::string::npos);
    }
    for (const std::string& l : Lineas(utf8))
        EXPECT_EQ(Len(l), l[0] == 'H' ? 129u : 225u);
}

namespace {

// The suffix rules the validator applies, from the nomenclator's suffix table.
bool SufijosValidos(EntornoPrueba& e, const std::string& ncm, const std::string& sufijos) {
    std::string claves = "('" + Left(ncm, 2) + "  .  .  .   ','" + Left(ncm, 4) + ".  .  .   ','" + Left(ncm, 7) +
                         ".  .   ','" + Left(ncm, 14) + "')";
    std::map<std::string, std::set<std::string>> grupos;
    for (Recordset rs = e.FilasAduana("select sufijo from sufidos where sim in " + claves); !rs.Eof(); rs.MoveNext())
        grupos[Left(rs.Fields("sufijo").Texto(), 2)].insert(rs.Fields("sufijo").Texto());
    if (sufijos == "SIN SUFIJOS")
        return grupos.empty();
    if (grupos.empty() || sufijos.empty() || sufijos.back() != '-')
        return false;
    std::set<std::string> vistos;
    std::istringstream ss(sufijos);
    for (std::string entrada; std::getline(ss, entrada, '-');) {
        std::string grupo = Left(entrada, 2);
        if (!grupos.count(grupo) || !vistos.insert(grupo).second)
            return false;
        bool deValor = grupos[grupo].count(grupo) > 0;
        if (deValor) {
            if (entrada.size() < 5 || entrada[2] != '(' || entrada.back() != ')')
                return false;
            std::string valor = entrada.substr(3, entrada.size() - 4);
            if (grupo[0] == 'Z' && (valor.size() != 6 || valor.find_first_not_of("0123456789") != std::string::npos))
                return false;
            if (Trim(valor) != valor || valor.empty() ||
                valor.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/,& ") != std::string::npos)
                return false;
        } else if (!grupos[grupo].count(entrada) && entrada != grupo + "00") {
            return false;
        }
    }
    return vistos.size() == grupos.size();
}

} // namespace

TEST(DemoCatalogo, ArticulosRelacionesYAjustesCoherentesConElNomenclador) {
    EntornoPrueba e(true);
    Demo::CargarCatalogo(e.App.Db, e.Aduana(), *e.App.Almacen, CarpetaDatosFuente());
    Demo::CargarCatalogo(e.App.Db, e.Aduana(), *e.App.Almacen, CarpetaDatosFuente()); // loading twice replaces
    EXPECT_EQ(e.ValorAduana("select count(*) from catalogo"), "2");
    auto pool = Pool();
    int lapiVacia = 0, malos = 0, nuevos = 0;
    for (const auto& a : pool) {
        SCOPED_TRACE(a.Articulo);
        auto contar = [&](const char* catalogo) {
            return e.ValorAduana(SentenciaSql("select count(*) from catarticulos where idcatalogo = ")
                                     .Texto(catalogo)
                                     .Sql(" and idarticulo = ")
                                     .Texto(a.Articulo));
        };
        bool enElConfigurado = a.Catalogo != Demo::ArticuloDemo::EnCatalogo::No;
        EXPECT_EQ(contar(Demo::kCatalogo), enElConfigurado ? "1" : "0");
        EXPECT_EQ(contar(Demo::kCatalogoAnterior), enElConfigurado ? "0" : "1");
        nuevos += !enElConfigurado;
        // The position exists, so the classification finds its check letter and units.
        EXPECT_EQ(e.ValorAduana("select count(*) from ncm where [001] = '" + Left(a.Ncm, 10) + "' and [002] = '" +
                                Mid(a.Ncm, 12, 3) + "'"),
                  "1");
        bool malo = a.Catalogo == Demo::ArticuloDemo::EnCatalogo::SufijoMalo;
        malos += malo;
        EXPECT_EQ(SufijosValidos(e, a.Ncm, a.Sufijos), !malo) << a.Sufijos;
        if (a.Tipo == Demo::ArticuloDemo::Clase::Vehiculo) {
            EXPECT_EQ(a.Articulo, a.Modelo + " " + a.Variante);
            EXPECT_NE(InStr(2, a.Sufijos, "AM("), 0u) << "the classification puts the VIN there";
        }
        lapiVacia += a.Lapi.empty();
        EXPECT_FALSE(Demo::OrigenDe(a.Pais).empty());
    }
    EXPECT_GE(nuevos, 2);
    EXPECT_GE(malos, 1);
    EXPECT_GT(lapiVacia, 0);
    EXPECT_LT(lapiVacia, static_cast<int>(pool.size()));

    for (const auto& r : Demo::kRelaciones)
        EXPECT_EQ(e.Valor("select ORI from ORG where PAI = '" + std::string(r.PAI) + "'"), r.ORI);
    EXPECT_EQ(e.Valor("select count(*) from ORG"), "5");
    EXPECT_EQ(e.Valor("select count(*) from pais where id in ('320','203','438','200','309')"), "5");
    EXPECT_EQ(e.App.Almacen->GetSetting("INTCAT"), Demo::kCatalogo);
    EXPECT_EQ(e.App.Almacen->GetSetting("INTDUN"), "07");
    EXPECT_EQ(e.App.Almacen->GetSetting("ORIGEN"), Demo::kOrigen);
    EXPECT_EQ(e.App.Almacen->GetSetting("AA_MARCA"), Demo::kMarca);
    EXPECT_EQ(e.App.Almacen->GetSetting("MODELOVARIANTESINSPC"), "0");
}
