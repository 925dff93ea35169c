#include "app/Demo.h"

#include "platform/Ajustes.h"
#include "platform/Almacor.h"
#include "platform/AppError.h"
#include "platform/Esquema.h"
#include "platform/Numeros.h"
#include "platform/SentenciaSql.h"
#include "platform/Texto.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace Demo {

namespace {

std::ifstream Abrir(const std::string& carpeta, const std::string& nombre) {
    std::ifstream in(fs::path(carpeta) / nombre, std::ios::binary);
    if (!in)
        throw AppError(53, "Demo", "No se encontró el archivo de datos " + (fs::path(carpeta) / nombre).string());
    return in;
}

bool Linea(std::istream& in, std::string& linea) {
    if (!std::getline(in, linea))
        return false;
    if (!linea.empty() && linea.back() == '\r')
        linea.pop_back();
    return true;
}

// A field that begins with a double quote runs to its closing quote and may
// hold the separator ("BOLIVIA, ESTADO PLURINACIONAL DE"); "" inside it is one quote.
std::vector<std::string> Partir(const std::string& linea, char sep) {
    std::vector<std::string> r;
    size_t i = 0;
    while (true) {
        std::string campo;
        if (i < linea.size() && linea[i] == '"') {
            for (++i; i < linea.size(); ++i) {
                if (linea[i] != '"')
                    campo += linea[i];
                else if (i + 1 < linea.size() && linea[i + 1] == '"')
                    campo += linea[++i];
                else
                    break;
            }
            size_t fin = linea.find(sep, i);
            i = fin == std::string::npos ? linea.size() : fin;
        } else {
            size_t fin = linea.find(sep, i);
            campo = linea.substr(i, fin == std::string::npos ? std::string::npos : fin - i);
            i = fin == std::string::npos ? linea.size() : fin;
        }
        r.push_back(campo);
        if (i >= linea.size())
            break;
        ++i; // the separator
    }
    return r;
}

// Brazilian statistical unit codes to the customs system's codes.
std::string Unidad(const std::string& brasil) {
    static const std::map<std::string, std::string> m = {
        {"10", "01"}, {"11", "07"}, {"12", "08"}, {"13", "02"}, {"14", "03"}, {"15", "04"}, {"16", "05"},
        {"17", "11"}, {"18", "06"}, {"19", "10"}, {"20", "09"}, {"21", "29"}, {"22", "14"}};
    auto it = m.find(brasil);
    return it == m.end() ? "07" : it->second;
}

} // namespace

char LetraControl(const std::string& p) {
    static const int pesos[11] = {8, 6, 19, 17, 13, 11, 9, 7, 5, 3, 2};
    static const char* letras = "ABCDEFGHJKLMNPQRTUVWXYZ";
    int suma = 0, k = 0;
    for (char c : p)
        if (c >= '0' && c <= '9' && k < 11)
            suma += (c - '0') * pesos[k++];
    return letras[suma % 23];
}

void CargarReferencias(Almacor::Gestor&, Conexion& aduana, const std::string& carpeta) {
    std::string linea;

    // Descriptions and statistical units by 8-digit code (the last row of a code wins).
    std::map<std::string, std::pair<std::string, std::string>> descripciones;
    {
        auto in = Abrir(carpeta, "ncm-descripciones.csv");
        Linea(in, linea);
        while (Linea(in, linea)) {
            auto c = Partir(linea, ';');
            if (c.size() >= 3)
                descripciones[c[0]] = {Unidad(c[1]), c[2]};
        }
    }

    aduana.ComenzarTransaccion();
    try {
        Esquema::SuspenderTextoNcm(aduana);
        auto in = Abrir(carpeta, "sim-posiciones.txt");
        SentenciaSql alta; // one position after another, in the same storage
        while (Linea(in, linea)) {
            std::string p = Trim(linea);
            if (p.size() != 15)
                continue;
            std::string n001 = p.substr(0, 10), n002 = p.substr(11, 3), n003 = p.substr(14, 1);
            std::string ocho = p.substr(0, 4) + p.substr(5, 2) + p.substr(8, 2);
            auto d = descripciones.find(ocho);
            std::string desc = d == descripciones.end() ? "" : d->second.second;
            std::string unidad = d == descripciones.end() ? "07" : d->second.first;
            // Vehicles and their chassis need an import licence in the demo nomenclator.
            std::string lapi = (EmpiezaCon(p, "8703") || EmpiezaCon(p, "8704")) ? "*" : "";
            alta.Limpiar();
            alta.Sql("insert into ncm ([001],[002],[003],[004],[010],[012],[019],[020],[059]) values (")
                .Textos({n001, n002, n003, desc, desc, unidad})
                .Sql(",'','',")
                .Texto(lapi)
                .Sql(")");
            aduana.Ejecutar(alta);
        }
        Esquema::ReanudarTextoNcm(aduana);
        {
            auto s = Abrir(carpeta, "sufijos-demo.csv");
            Linea(s, linea);
            while (Linea(s, linea)) {
                auto c = Partir(linea, ',');
                if (c.size() >= 3)
                    aduana.Ejecutar(SentenciaSql("insert into sufidos (sim, sufijo, detalle) values (")
                                        .Textos({c[0], c[1], c[2]})
                                        .Sql(")"));
            }
        }
        {
            auto u = Abrir(carpeta, "unidades.csv");
            Linea(u, linea);
            while (Linea(u, linea)) {
                auto c = Partir(linea, ',');
                if (c.size() >= 2)
                    aduana.Ejecutar(
                        SentenciaSql("insert into unidades (id, descripcion) values (").Textos({c[0], c[1]}).Sql(")"));
            }
        }
        aduana.ConfirmarTransaccion();
    } catch (...) {
        aduana.DeshacerTransaccion();
        throw;
    }
}

void CargarPaises(Almacor::Gestor& trabajo, const std::string& carpeta) {
    std::string linea;
    trabajo.ComenzarTransaccion();
    try {
        auto p = Abrir(carpeta, "paises.csv");
        Linea(p, linea);
        while (Linea(p, linea)) {
            auto c = Partir(linea, ',');
            // The source list has one code twice (Guernsey and Jersey): the first stays.
            if (c.size() >= 2)
                trabajo.Ejecutar(SentenciaSql("insert or ignore into pais (id, descripcion) values (")
                                     .Textos({c[0], c[1]})
                                     .Sql(")"));
        }
        trabajo.ConfirmarTransaccion();
    } catch (...) {
        trabajo.DeshacerTransaccion();
        throw;
    }
}

} // namespace Demo

namespace Demo {

std::vector<ArticuloDemo> LeerArticulos(const std::string& carpeta) {
    auto in = Abrir(carpeta, "demo-articulos.csv");
    std::vector<ArticuloDemo> pool;
    std::string linea;
    Linea(in, linea); // header
    for (int nro = 2; Linea(in, linea); ++nro) {
        if (Trim(linea).empty())
            continue;
        auto c = Partir(linea, ';');
        auto malo = [&](const std::string& por) {
            return AppError(13, "Demo.LeerArticulos", "demo-articulos.csv, línea " + std::to_string(nro) + ": " + por);
        };
        if (c.size() != 13)
            throw malo("se esperaban 13 campos y hay " + std::to_string(c.size()));
        ArticuloDemo a;
        if (c[0] == "V")
            a.Tipo = ArticuloDemo::Clase::Vehiculo;
        else if (c[0] == "P")
            a.Tipo = ArticuloDemo::Clase::Parte;
        else
            throw malo("clase " + c[0] + " desconocida (V o P)");
        a.Modelo = Trim(c[1]);
        a.Variante = Trim(c[2]);
        a.Articulo = a.Tipo == ArticuloDemo::Clase::Vehiculo ? a.Modelo + " " + a.Variante : Trim(c[3]);
        a.Ncm = Trim(c[4]);
        a.Lapi = Trim(c[5]);
        a.Sufijos = Trim(c[6]);
        a.Unidad = Trim(c[7]);
        a.Precio = LeerNumero(c[8]);
        a.Kg = LeerNumero(c[9]);
        a.Descripcion = Trim(c[10]);
        a.Pais = Trim(c[11]);
        if (c[12] == "si")
            a.Catalogo = ArticuloDemo::EnCatalogo::Si;
        else if (c[12] == "no")
            a.Catalogo = ArticuloDemo::EnCatalogo::No;
        else if (c[12] == "sufijo-malo")
            a.Catalogo = ArticuloDemo::EnCatalogo::SufijoMalo;
        else
            throw malo("catalogo " + c[12] + " desconocido (si, no, sufijo-malo)");
        // The shipment file's columns: Modelo 9, Variante 19 in a detail line, Articulo 21.
        if (a.Tipo == ArticuloDemo::Clase::Vehiculo &&
            (a.Modelo.empty() || Len(a.Modelo) > 9 || a.Variante.empty() || Len(a.Variante) > 19))
            throw malo("modelo (hasta 9) o variante (hasta 19 caracteres) inválidos");
        if (a.Tipo == ArticuloDemo::Clase::Parte && (a.Articulo.empty() || Len(a.Articulo) > 21))
            throw malo("artículo vacío o de más de 21 caracteres");
        if (Len(a.Ncm) != 14)
            throw malo("la posición " + a.Ncm + " no tiene 14 caracteres");
        pool.push_back(std::move(a));
    }
    return pool;
}

std::string OrigenDe(const std::string& pai) {
    for (const RelacionDemo& r : kRelaciones)
        if (pai == r.PAI)
            return r.ORI;
    return "";
}

void CargarCatalogo(Almacor::Gestor& trabajo, Conexion& aduana, AlmacenAjustes& ajustes, const std::string& carpeta) {
    auto pool = LeerArticulos(carpeta);

    aduana.ComenzarTransaccion();
    try {
        // Loading twice replaces the demo catalogs instead of doubling their articles.
        for (const char* id : {kCatalogo, kCatalogoAnterior}) {
            aduana.Ejecutar(SentenciaSql("delete from catarticulos where idcatalogo = ").Texto(id));
            aduana.Ejecutar(SentenciaSql("delete from catalogo where idcatalogo = ").Texto(id));
        }
        auto Catalogo = [&](const char* id, const std::string& descripcion) {
            aduana.Ejecutar(SentenciaSql("insert into catalogo (idcatalogo, descripcion) values (")
                                .Textos({id, descripcion})
                                .Sql(")"));
        };
        Catalogo(kCatalogo, std::string(kMarca) + " - VEHICULOS Y REPUESTOS");
        Catalogo(kCatalogoAnterior, std::string(kMarca) + " - CATALOGO ANTERIOR");
        SentenciaSql alta; // one article after another, in the same storage
        for (const ArticuloDemo& a : pool) {
            // Articles left out of the configured catalog live only in the older one,
            // so a demo shipment has new articles while switching catalogs finds them.
            const char* id = a.Catalogo == ArticuloDemo::EnCatalogo::No ? kCatalogoAnterior : kCatalogo;
            alta.Limpiar();
            alta.Sql("insert into catarticulos (idcatalogo, idarticulo, descripcion, idpais, cantidad, "
                     "preciounitario, ncm, lapi, sufijos, idunidad, estadistica, valorrelacionestadistica, "
                     "estadomerc, deresp, ArtKgUnitario, valorderesp) values (")
                .Texto(id)
                .Sql(",")
                .Texto(a.Articulo)
                .Sql(",")
                .Texto(a.Descripcion)
                .Sql(",")
                .Texto(OrigenDe(a.Pais))
                .Sql(",0,")
                .Numero(a.Precio)
                .Sql(",")
                .Texto(a.Ncm)
                .Sql(",")
                .Texto(a.Lapi)
                .Sql(",")
                .Texto(a.Sufijos)
                .Sql(",")
                .Texto(a.Unidad)
                .Sql(",")
                .Texto(a.Unidad)
                .Sql(",1,'1','',")
                .Numero(a.Kg)
                .Sql(",0)");
            aduana.Ejecutar(alta);
        }
        aduana.ConfirmarTransaccion();
    } catch (...) {
        aduana.DeshacerTransaccion();
        throw;
    }

    trabajo.ComenzarTransaccion();
    try {
        for (const RelacionDemo& r : kRelaciones)
            trabajo.Ejecutar(SentenciaSql("insert or replace into ORG (PAI, ORI, ESM) values (")
                                 .Textos({r.PAI, r.ORI, r.ESM})
                                 .Sql(")"));
        trabajo.ConfirmarTransaccion();
    } catch (...) {
        trabajo.DeshacerTransaccion();
        throw;
    }

    ajustes.SaveSetting("INTDUN", "07");
    ajustes.SaveSetting("INTCAT", kCatalogo);
    ajustes.SaveSetting("AA_MARCA", kMarca);
    ajustes.SaveSetting("ORIGEN", kOrigen);
    ajustes.SaveSetting("MODELOVARIANTESINSPC", "0");
}

namespace {
void BorrarBase(const fs::path& p) {
    for (const char* sufijo : {"", "-wal", "-shm", "-journal"})
        fs::remove(p.string() + sufijo);
}
} // namespace

void CrearBases(const std::string& home, bool conDemo, AlmacenAjustes& ajustes, const std::string& carpetaDatos) {
    fs::path db = fs::path(home) / "db";
    fs::path trabajo = db / "Dantremos.db", aduana = db / "Corvex.db", ini = db / "entidades.ini";
    std::error_code ec;
    fs::create_directories(db, ec);
    if (ec)
        throw AppError(75, "Demo", "No se pudo crear la carpeta " + db.string() + ": " + ec.message());
    BorrarBase(trabajo);
    BorrarBase(aduana);
    if (!fs::exists(ini)) {
        std::ofstream f(ini);
        f << "; Base de datos de cada entidad del sistema aduanero (ruta absoluta o relativa a la carpeta del "
             "programa).\n";
        for (const char* e : {"CATALOGOS", "NCM", "INTERNOS"})
            f << "[" << e << "]\nArchivo=db/Corvex.db\n";
    }
    Almacor::Gestor t, a;
    t.CrearArchivo(trabajo.string());
    Esquema::CrearTrabajo(t);
    CargarPaises(t, carpetaDatos);
    a.CrearArchivo(aduana.string());
    Esquema::CrearAduana(a);
    if (conDemo) {
        CargarReferencias(t, a, carpetaDatos);
        CargarCatalogo(t, a, ajustes, carpetaDatos);
    }
}

} // namespace Demo
