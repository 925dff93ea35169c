#pragma once
#include "platform/Conexion.h"

#include <string>
#include <unordered_map>
#include <vector>

struct pg_conn;

namespace Postgres {

// A connection to the customs-declaration database on a PostgreSQL server.
// Statement texts arrive in the same dialect as for the SQLite file; they are
// translated here, their literals bound, and each shape prepared once.
class Gestor : public Conexion {
public:
    // `conninfo`: a libpq connection string or postgresql:// URI. Passwords
    // come from libpq's own places (PGPASSWORD, ~/.pgpass, PGPASSFILE).
    explicit Gestor(std::string conninfo);
    ~Gestor() override;
    Gestor(const Gestor&) = delete;
    Gestor& operator=(const Gestor&) = delete;

    // Opens the connection; a server that does not answer is an error naming it.
    void Conectar();
    void Desconectar();
    bool Conectado() const;

    void Sql(const std::string& texto) override { m_sql = texto; }
    const std::string& Sql() const override { return m_sql; }
    bool CrearRs(Recordset& rs) override;
    long Ejecutar() override;
    using Conexion::Ejecutar;

    void ComenzarTransaccion() override;
    void ConfirmarTransaccion() override;
    void DeshacerTransaccion() override;
    bool EnTransaccion() const override;
    std::string DeshacerOReconectar() noexcept override;
    void Savepoint(const std::string& nombre) override;
    void LiberarSavepoint(const std::string& nombre) override;
    void VolverASavepoint(const std::string& nombre) override;
    void BloquearClave(const std::string& clave) override;
    Motor MotorDatos() const override { return Motor::Postgres; }
    std::string Destino() const override { return m_destino; }

    // Runs a text as it is, without translation (schema set-up, several statements).
    void EjecutarDirecto(const std::string& sql);

    // The statement text as the server receives it: the SQLite translation
    // (top N, "+" joining texts, left()) plus [001]-style names as quoted
    // identifiers and the nomenclator's word index as a word-matching function.
    static std::string TraducirSql(const std::string& sql);
    // "host:port/base" of a connection string, for messages (no password).
    static std::string DescribirServidor(const std::string& conninfo);
    // Whether a connection string carries a password (ours never should).
    static bool LlevaContrasena(const std::string& conninfo);
    // Statement shapes prepared on the server (for tests).
    size_t SentenciasPreparadas() const { return m_preparadas.size(); }

private:
    struct Respuesta; // an owned PGresult
    Respuesta Correr(const std::string& sql, const char* operacion);
    void Asegurar(const char* operacion);
    [[noreturn]] void Fallar(const char* operacion, const std::string& mensaje, const char* estado = nullptr);

    std::string m_conninfo;
    std::string m_destino;
    std::string m_sql;
    pg_conn* m_pg = nullptr;
    // A transaction was begun and not yet ended by us: when the server goes
    // away inside it, nothing may run on a new connection until it is undone,
    // or the rest of the run would be written without the part that was lost.
    bool m_transaccion = false;
    // Template text -> prepared statement name ("" when the shape could not be prepared).
    std::unordered_map<std::string, std::string> m_preparadas;
};

} // namespace Postgres
