#pragma once
#include "platform/Almacor.h"
#include "platform/Conexion.h"

#include <ctime>
#include <map>
#include <memory>
#include <string>

namespace Pontevar {

// The customs system's entity manager: which database holds each entity
// ("CATALOGOS", "NCM", "INTERNOS") and one open connection per database file.
class Principal {
public:
    // `home` is the program's folder; parameters live in <home>/db/entidades.ini.
    explicit Principal(std::string home);

    // Reads db/entidades.ini: one section per entity whose key `Archivo` names
    // the database file (absolute, or relative to home), or whose key
    // `Servidor` names a PostgreSQL database (a libpq connection string or
    // postgresql:// URI; the password only from libpq's own places). A missing
    // file or section leaves the entity in <home>/db/Corvex.db. Opens every
    // database, so a missing file stops the start-up with its path; a server
    // that does not answer is tried again when a statement needs it.
    void LoadParameters();
    // Only the reading of db/entidades.ini: which file each entity names, nothing opened.
    void LeerParametros();
    // The same connection object every time for an entity, and one object for
    // all entities that share a file, so `Sql` set through one call is run by the next.
    Conexion& getDataConnectionByEntity(const std::string& entidad);
    // A complete date-time literal for the entity's database: '2026-12-08 06:38:58'.
    std::string getDateFormatbyEntity(const std::string& entidad, std::time_t fecha) const;

    // The database file of an entity (after LoadParameters), or "servidor
    // host:port/base" for one on a server.
    std::string ArchivoDeEntidad(const std::string& entidad) const;
    // Every distinct open connection (the transfer wraps each in a transaction).
    std::vector<Conexion*> Conexiones();

    static std::string ArchivoPorDefecto(const std::string& home);

private:
    std::string m_home;
    std::map<std::string, std::string> m_archivos;                 // entity -> file
    std::map<std::string, std::string> m_servidores;               // entity -> connection string
    std::map<std::string, std::unique_ptr<Conexion>> m_conexiones; // file or server -> connection
    std::string Clave(const std::string& entidad) const;
};

} // namespace Pontevar
