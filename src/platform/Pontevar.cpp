#include "platform/Pontevar.h"

#include "platform/AppError.h"
#include "platform/Esquema.h"
#include "platform/EsquemaServidor.h"
#include "platform/Postgres.h"
#include "platform/Texto.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace Pontevar {

namespace {
const char* const kEntidades[] = {"CATALOGOS", "NCM", "INTERNOS"};

// Page cache of a customs database file, in KiB. Its reads are index lookups
// of a few rows and its writes are appends, which a small cache serves as
// fast as a large one; a large one only filled up with the shipment's size
// (the work database keeps the default, twice this: it holds the interno
// being worked on).
constexpr long kCacheAduana = 8000;

std::string Normalizar(const std::string& ruta) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(fs::path(ruta), ec);
    return ec ? fs::path(ruta).lexically_normal().string() : p.string();
}
} // namespace

Principal::Principal(std::string home) : m_home(std::move(home)) {}

std::string Principal::ArchivoPorDefecto(const std::string& home) {
    return (fs::path(home) / "db" / "Corvex.db").string();
}

void Principal::LoadParameters() {
    LeerParametros();
    m_conexiones.clear();
    for (const auto& [entidad, conninfo] : m_servidores) {
        std::string clave = Clave(entidad);
        if (m_conexiones.count(clave))
            continue;
        auto g = std::make_unique<Postgres::Gestor>(conninfo);
        try {
            g->Conectar();
        } catch (const AppError&) {
            // A server that does not answer now is tried again by the first
            // statement that needs it, whose message names it: everything
            // that needs only the work database goes on meanwhile.
        }
        try {
            if (g->Conectado())
                EsquemaServidor::Verificar(*g);
        } catch (const AppError& e) {
            throw e.Relanzar(e.Number, "Pontevar.Principal.LoadParameters (" + entidad + "):: ");
        }
        m_conexiones[clave] = std::move(g);
    }
    for (const auto& [entidad, archivo] : m_archivos) {
        if (m_servidores.count(entidad) || m_conexiones.count(archivo))
            continue;
        auto g = std::make_unique<Almacor::Gestor>();
        g->CadenaConexion("Provider=SQLite;Data Source=" + archivo);
        g->TamanoCache(kCacheAduana);
        try {
            g->Conectar();
            Esquema::VerificarAduana(*g);
        } catch (const AppError& e) {
            throw e.Relanzar(e.Number, "Pontevar.Principal.LoadParameters (" + entidad + "):: ");
        }
        m_conexiones[archivo] = std::move(g);
    }
}

void Principal::LeerParametros() {
    std::map<std::string, std::string> archivoDe, servidorDe;
    fs::path ini = fs::path(m_home) / "db" / "entidades.ini";
    std::ifstream in(ini);
    std::string linea, seccion;
    while (in && std::getline(in, linea)) {
        if (!linea.empty() && linea.back() == '\r')
            linea.pop_back();
        std::string t = Trim(linea);
        if (t.empty() || t[0] == ';' || t[0] == '#')
            continue;
        if (t.front() == '[' && t.back() == ']') {
            seccion = UCase(Trim(t.substr(1, t.size() - 2)));
            continue;
        }
        size_t igual = t.find('=');
        if (igual == std::string::npos || seccion.empty())
            continue;
        if (IgualSinMayusculas(Trim(t.substr(0, igual)), "Archivo"))
            archivoDe[seccion] = Trim(t.substr(igual + 1));
        else if (IgualSinMayusculas(Trim(t.substr(0, igual)), "Servidor"))
            servidorDe[seccion] = Trim(t.substr(igual + 1));
    }
    m_archivos.clear();
    m_servidores.clear();
    for (const char* e : kEntidades)
        if (servidorDe.count(e) && !servidorDe[e].empty())
            m_servidores[e] = servidorDe[e];
    for (const char* e : kEntidades) {
        std::string archivo = archivoDe.count(e) ? archivoDe[e] : "";
        fs::path p = archivo.empty() ? fs::path(ArchivoPorDefecto(m_home)) : fs::path(archivo);
        if (p.is_relative())
            p = fs::path(m_home) / p;
        m_archivos[e] = Normalizar(p.string());
    }
}

// Entities on the same server database share its connection, as entities in one file do.
std::string Principal::Clave(const std::string& entidad) const {
    auto s = m_servidores.find(entidad);
    if (s != m_servidores.end())
        return "servidor:" + s->second;
    auto a = m_archivos.find(entidad);
    return a == m_archivos.end() ? std::string() : a->second;
}

Conexion& Principal::getDataConnectionByEntity(const std::string& entidad) {
    auto a = m_archivos.find(UCase(entidad));
    if (a == m_archivos.end())
        throw AppError(-2147467259, "Pontevar.Principal.getDataConnectionByEntity",
                       m_archivos.empty() ? "Faltan cargar los parámetros de entidades (LoadParameters)."
                                          : "Entidad desconocida: " + entidad);
    return *m_conexiones.at(Clave(a->first));
}

std::string Principal::getDateFormatbyEntity(const std::string& entidad, std::time_t fecha) const {
    auto c = m_conexiones.find(Clave(UCase(entidad)));
    if (c != m_conexiones.end())
        return c->second->LiteralFecha(fecha);
    std::tm t{};
    localtime_r(&fecha, &t);
    char buf[32];
    std::strftime(buf, sizeof buf, "'%Y-%m-%d %H:%M:%S'", &t);
    return buf;
}

std::string Principal::ArchivoDeEntidad(const std::string& entidad) const {
    auto s = m_servidores.find(UCase(entidad));
    if (s != m_servidores.end())
        return "servidor " + Postgres::Gestor::DescribirServidor(s->second);
    auto a = m_archivos.find(UCase(entidad));
    return a == m_archivos.end() ? std::string() : a->second;
}

std::vector<Conexion*> Principal::Conexiones() {
    std::vector<Conexion*> r;
    for (auto& [archivo, g] : m_conexiones)
        r.push_back(g.get());
    return r;
}

} // namespace Pontevar
