#pragma once
#include "platform/Recordset.h"
#include "platform/SentenciaSql.h"

#include <ctime>
#include <functional>
#include <string>
#include <vector>

// A connection to one customs-side database, whichever engine holds it: the
// subsystems set `Sql` and call `CrearRs` or `Ejecutar`, and never learn which
// engine answered. Each engine's dialect lives in its own class.
class Conexion {
public:
    enum class Motor { Sqlite, Postgres };

    virtual ~Conexion() = default;

    // The statement to run, its values apart; each engine renders its own
    // dialect from its template and binds the values. A statement never
    // reaches an engine as text.
    void Sql(const SentenciaSql& sentencia);
    // The text of the statement set last, for the messages that quote it
    // (written when asked for).
    const std::string& Sql() const;
    // Runs the query; leaves every row in `rs` (a snapshot), positioned on the
    // first. True when there is at least one row.
    virtual bool CrearRs(Recordset& rs) = 0;
    // Runs each query and says, in order, whether it returned a row. A server
    // is sent the lot before any answer is read: one round trip for all of
    // them where asking one by one waits for each.
    virtual std::vector<char> HayFilas(const std::vector<SentenciaSql>& consultas);
    // Runs the statement; returns the number of rows it changed.
    virtual long Ejecutar() = 0;

    // Runs a statement whose count the caller does not need: inside a
    // transaction a server may answer it later (its failure is raised as
    // Ejecutar's would be, by the next statement that waits, or Sincronizar).
    virtual void Enviar() { Ejecutar(); }
    // Sets `Sql` and runs it (an engine may run it without keeping a copy).
    virtual long Ejecutar(const SentenciaSql& sentencia);
    virtual void Enviar(const SentenciaSql& sentencia);
    // Waits for the statements this connection sent ahead and raises the
    // first one's error, as that statement's own Ejecutar would have. A stage
    // that handles its own failures calls it before it ends, so a failure of
    // its last rows is still its own.
    virtual void Sincronizar() {}
    // Runs `paso` (statements on this connection) again, at most `intentos`
    // times in all, when it lost a race with another workstation: a key it
    // computed was taken meanwhile, or the server could not serialise it.
    // Each try is undone before the next. A file database lets one writer in
    // at a time, so there it runs once.
    virtual void Reintentando(const std::function<void()>& paso, int intentos) {
        (void)intentos;
        paso();
    }

    virtual void ComenzarTransaccion() = 0;
    virtual void ConfirmarTransaccion() = 0;
    virtual void DeshacerTransaccion() = 0;
    virtual bool EnTransaccion() const = 0;
    // Rolls back; when that fails, drops the connection (which undoes it as
    // well) so the next run starts clean. "" when the rollback went well,
    // otherwise what happened, for the operator's message.
    virtual std::string DeshacerOReconectar() noexcept = 0;
    virtual void Savepoint(const std::string& nombre) = 0;
    virtual void LiberarSavepoint(const std::string& nombre) = 0;
    virtual void VolverASavepoint(const std::string& nombre) = 0;

    // A complete date-time literal this engine reads: '2026-12-08 06:38:58'.
    virtual std::string LiteralFecha(std::time_t fecha) const;
    // Holds `clave` (an interno) for this connection until its transaction
    // ends, so two workstations writing the same declaration take turns. A
    // file database already lets one writer in at a time.
    virtual void BloquearClave(const std::string&) {}
    virtual Motor MotorDatos() const = 0;
    // Where the data lives, for messages: a file path or the server (never a password).
    virtual std::string Destino() const = 0;

protected:
    // The statement set last, or an empty one: what CrearRs and Ejecutar run.
    const SentenciaSql& Puesta() const { return m_puesta; }

private:
    SentenciaSql m_puesta;
    mutable std::string m_texto;
    mutable bool m_textoAlDia = false;
};
