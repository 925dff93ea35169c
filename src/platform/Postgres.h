#pragma once
#include "platform/Almacor.h"
#include "platform/Conexion.h"

#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct pg_conn;
struct pg_result;

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

    using Conexion::Sql;
    bool CrearRs(Recordset& rs) override;
    std::vector<char> HayFilas(const std::vector<SentenciaSql>& consultas) override;
    // Inside a transaction a single-row insert is sent ahead without waiting
    // for its answer (see Encolar); every other statement waits for it.
    long Ejecutar() override;
    using Conexion::Ejecutar;
    void Enviar() override;
    using Conexion::Enviar;
    void Sincronizar() override;
    void Reintentando(const std::function<void()>& paso, int intentos) override;

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
    // identifiers, the nomenclator's word index as a word-matching function,
    // and a code's equality with a text in a where clause through lower().
    static std::string TraducirSql(const std::string& sql);
    // What the server prepares for a statement: its template in this
    // dialect, $1, $2 ... for its values. Done once per shape.
    static std::string Renderizar(const SentenciaSql& sentencia);
    // "host:port/base" of a connection string, for messages (no password).
    static std::string DescribirServidor(const std::string& conninfo);
    // Whether a connection string carries a password (ours never should).
    static bool LlevaContrasena(const std::string& conninfo);
    // Statements of the lot being sent, not yet answered (for tests).
    size_t EnCola() const { return m_enCola; }
    // Whether a template is "insert into t (...) values (...)" with one row.
    static bool InsercionDeUnaFila(const std::string& plantilla);
    // Where the row of such an insert begins (its "("); npos when it is not one.
    static size_t FilaDeValores(const std::string& plantilla);
    // Statements sent ahead in one lot, closed by a sync point; at most two
    // lots go unanswered.
    static constexpr size_t kLote = 2000;

private:
    struct Respuesta; // an owned PGresult
    // Runs the statement set last.
    Respuesta Correr(const char* operacion, int encolable);
    // Renders the statement's shape in this dialect and prepares it when new;
    // leaves its values as the server's parameters. The prepared name, or ""
    // when it runs from its own text (in m_texto).
    const std::string& Preparar(const SentenciaSql& sentencia, const char* operacion);
    // What a statement sent ahead is, for judging its answer.
    enum Enviada : char { kOtra, kFila, kConsulta, kExistencias };
    // Sends the statement Preparar left ready (its own text when `nombre` is
    // "") without waiting for its answer.
    void Encolar(const std::string& nombre, Enviada tipo, const char* operacion = "Ejecutar");
    // Sends the queries gathered in m_juntas as one statement.
    void EnviarExistencias();
    // Sends the single-row inserts gathered in m_grupo as one statement, then
    // the queries gathered after them.
    void SoltarGrupo(const char* operacion);
    // Prepares `texto` as `nombre`; false when the server refuses it. Inside
    // a transaction the refusal is kept from aborting it.
    bool PrepararForma(const std::string& nombre, const std::string& texto, const std::vector<unsigned>& tipos,
                       const char* operacion);
    struct Envio {
        Enviada tipo;
        long filas; // the rows an insert must add
    };
    // Waits for the inserts sent ahead; raises the first one's error.
    // With `ultima`, the last statement sent is the caller's: its result is
    // handed back there instead of judged here.
    void Vaciar(const char* operacion, pg_result** ultima = nullptr);
    // Reads one lot's answers (see the .cpp).
    bool LeerLote(const std::vector<Envio>& filas, pg_result** ultima, std::string& error, std::string& estado);
    // Closes the lot being sent and reads the one before it.
    void Adelantar(const char* operacion);
    // The same, dropping their errors (the transaction is being undone).
    void Descartar() noexcept;
    void Asegurar(const char* operacion);
    // Raises the error of a statement; `perdida`: the connection is no longer usable.
    [[noreturn]] void Fallar(const char* operacion, const std::string& mensaje, const char* estado = nullptr,
                             bool perdida = false);

    std::string m_conninfo;
    std::string m_destino;
    bool m_distinto = false; // the query being run drops its repeated rows here
    pg_conn* m_pg = nullptr;
    // A transaction was begun and not yet ended by us: when the server goes
    // away inside it, nothing may run on a new connection until it is undone,
    // or the rest of the run would be written without the part that was lost.
    bool m_transaccion = false;
    struct Preparada {
        std::string nombre; // "" when the shape could not be prepared
        bool fila = false;  // a single-row insert, which may be sent ahead
        // Of a single-row insert: its template and parameter types, and the
        // statement that adds kFilasGrupo rows of it at once (once prepared).
        std::string plantilla;
        std::vector<unsigned> tipos;
        std::string grupo;
        bool grupoFallido = false;
        // Of a query: the statement that tells for many values at once
        // whether it has a row; "-" when the server could not prepare it.
        std::string existencias;
        // A "select distinct" without "order by", run without the distinct.
        bool distinto = false;
    };
    void Parametros(const std::vector<Almacor::Gestor::Literal>& valores, size_t n);
    // Template text and parameter types -> its prepared statement.
    std::unordered_map<std::string, Preparada> m_preparadas;
    bool m_fila = false;                       // the statement being run is a single-row insert
    std::vector<Envio> m_filas;                // of each statement of the lot being sent
    std::deque<std::vector<Envio>> m_cerrados; // lots closed by a sync point, not yet read
    // Single-row inserts of one shape, gathered to go as one statement of
    // many rows: the server runs one statement where it would run each.
    Preparada* m_forma = nullptr; // the shape Preparar left ready
    Preparada* m_grupo = nullptr;
    std::vector<std::string> m_grupoValores;
    long m_grupoFilas = 0;
    // Queries of one shape gathered by HayFilas: each parameter's values.
    Preparada* m_juntas = nullptr;
    std::vector<std::vector<std::string>> m_juntasValores;
    long m_juntasConsultas = 0;
    // Where the answers of queries sent ahead (HayFilas) go: whether each returned a row.
    std::vector<char>* m_hay = nullptr;
    size_t m_enCola = 0;
    // The SQLSTATE of the last failing statement ("" when none): what decides a retry.
    std::string m_estado;
    // Scratch of the statement being run, kept to spare allocations.
    std::string m_texto, m_clave;
    std::vector<std::string> m_parametros;
    std::vector<const char*> m_punteros;
};

} // namespace Postgres
