#include "app/Demo.h"

#include "platform/Almacor.h"
#include "platform/AppError.h"
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

std::vector<std::string> Partir(const std::string& linea, char sep) {
    std::vector<std::string> r;
    std::string campo;
    std::istringstream ss(linea);
    while (std::getline(ss, campo, sep))
        r.push_back(campo);
    if (!linea.empty() && linea.back() == sep)
        r.emplace_back();
    return r;
}

void Ejecutar(Almacor::Gestor& db, const std::string& sql) {
    db.Sql(sql);
    db.Ejecutar();
}

std::string Q(const std::string& v) { return "'" + SqlTexto(v) + "'"; }

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

void CargarReferencias(Almacor::Gestor&, Almacor::Gestor& aduana, const std::string& carpeta) {
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
        auto in = Abrir(carpeta, "sim-posiciones.txt");
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
            Ejecutar(aduana, "insert into ncm ([001],[002],[003],[004],[010],[012],[019],[020],[059]) values (" +
                                 Q(n001) + "," + Q(n002) + "," + Q(n003) + "," + Q(desc) + "," + Q(desc) + "," +
                                 Q(unidad) + ",'',''," + Q(lapi) + ")");
        }
        {
            auto s = Abrir(carpeta, "sufijos-demo.csv");
            Linea(s, linea);
            while (Linea(s, linea)) {
                auto c = Partir(linea, ',');
                if (c.size() >= 3)
                    Ejecutar(aduana, "insert into sufidos (sim, sufijo, detalle) values (" + Q(c[0]) + "," +
                                         Q(c[1]) + "," + Q(c[2]) + ")");
            }
        }
        {
            auto u = Abrir(carpeta, "unidades.csv");
            Linea(u, linea);
            while (Linea(u, linea)) {
                auto c = Partir(linea, ',');
                if (c.size() >= 2)
                    Ejecutar(aduana, "insert into unidades (id, descripcion) values (" + Q(c[0]) + "," + Q(c[1]) + ")");
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
                Ejecutar(trabajo, "insert or ignore into pais (id, descripcion) values (" + Q(c[0]) + "," +
                                      Q(c[1]) + ")");
        }
        trabajo.ConfirmarTransaccion();
    } catch (...) {
        trabajo.DeshacerTransaccion();
        throw;
    }
}

} // namespace Demo

namespace Demo {

void CargarCatalogo(Almacor::Gestor&, Almacor::Gestor&, AlmacenAjustes&, const std::string&) {}

} // namespace Demo
