#pragma once
#include "platform/Conexion.h"
#include "platform/Recordset.h"
#include "platform/SentenciaSql.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_context;
struct sqlite3_value;

namespace Almacor {

// The work-database component: a connection to one SQLite file, run by
// setting `Sql` and calling `CrearRs` (queries) or `Ejecutar` (changes).
// The entity manager hands out the same object for the customs databases.
class Gestor : public Conexion {
public:
    Gestor();
    ~Gestor();
    Gestor(const Gestor&) = delete;
    Gestor& operator=(const Gestor&) = delete;

    // "Provider=SQLite;Data Source=" + path of the database file.
    void CadenaConexion(const std::string& texto) { m_cadena = texto; }
    const std::string& CadenaConexion() const { return m_cadena; }
    // Opens the connection. A missing file is an error naming its path: only
    // the set-up command creates databases (see CrearArchivo).
    void Conectar();
    // Creates a new empty database file and connects to it.
    void CrearArchivo(const std::string& ruta);
    void Desconectar();
    bool Conectado() const { return m_db != nullptr; }
    // SQLite's page cache of this connection, in KiB: set now when connected,
    // and kept by every later (re)connection. 16 MB: the runs walk an interno
    // in order, so a larger cache only filled up with the shipment's size, and
    // SQLite's sorts (the import's index builds) may take as much again.
    static constexpr long kCachePorDefecto = 16000;
    void TamanoCache(long kib);
    long TamanoCache() const { return m_cacheKib; }
    const std::string& Ruta() const { return m_ruta; }

    using Conexion::Sql;
    // Runs the query; leaves every row in `rs`, positioned on the first.
    // True when there is at least one row.
    bool CrearRs(Recordset& rs) override;
    // Runs the statement; returns the number of rows it changed.
    long Ejecutar() override;
    // Sets `Sql` and runs it, the two steps every writing statement takes,
    // without keeping a copy of the statement: `Sql` keeps the last one set.
    long Ejecutar(const SentenciaSql& sentencia) override;
    void Enviar(const SentenciaSql& sentencia) override;
    // Each query is stepped once where it stands: no copy, no rows read.
    std::vector<char> HayFilas(const std::vector<SentenciaSql>& consultas) override;
    using Conexion::Enviar;
    using Conexion::HayFilas;

    // Transactions and savepoints: the runs that must not leave half their work
    // behind (import, classification, depuration save, transfer) use these.
    // Every one of them writes, so it takes the write lock when it starts
    // ("begin immediate", waiting up to kEsperaBloqueo for another run to
    // finish); a savepoint outside a transaction starts one the same way and
    // its release commits it. When the lock does not come, the error says that
    // another run holds the database.
    static constexpr int kEsperaBloqueo = 20000; // milliseconds
    void ComenzarTransaccion() override;
    void ConfirmarTransaccion() override;
    void DeshacerTransaccion() override;
    // After a rollback that failed: the connection is closed, which undoes
    // whatever it held, and opened again, so the program stays usable.
    void Reconectar();
    // Rolls back; when that fails, reconnects. "" when the rollback went
    // well, otherwise what happened, for the operator's message.
    std::string DeshacerOReconectar() noexcept override;
    bool EnTransaccion() const override;
    void Savepoint(const std::string& nombre) override;
    void LiberarSavepoint(const std::string& nombre) override;
    void VolverASavepoint(const std::string& nombre) override;

    // The statement text as SQLite receives it. Statement texts use left(),
    // which is a keyword in SQLite, so it is renamed to our registered function;
    // a leading "select top N" becomes a "limit N" at the end, and "+" joining
    // texts ([001]+ '.' +[002]) becomes "||".
    static std::string TraducirSql(const std::string& sql);
    // What SQLite prepares for a statement: its template in this dialect,
    // "?" for each value. Done once per shape; the walk binds values only.
    static std::string Renderizar(const SentenciaSql& sentencia);

    sqlite3* Handle() const { return m_db; }
    Motor MotorDatos() const override { return Motor::Sqlite; }
    std::string Destino() const override { return m_ruta; }

    using Literal = SentenciaSql::Literal;
    // Prepared statements kept for reuse, and how many statements were
    // prepared since connecting (for tests: a reused shape prepares nothing).
    size_t SentenciasEnCache() const;
    long Preparaciones() const { return m_preparaciones; }

private:
    // A statement ready to run: kept in the cache (reset after use) or not (finalized).
    struct Sentencia {
        sqlite3_stmt* st = nullptr;
        bool cacheada = false;
    };

    void Abrir(const std::string& ruta, bool crear);
    Sentencia Preparar(const SentenciaSql& sentencia, const char* operacion);
    // `traducir`: the statement whose rendering is prepared when the shape
    // `clave` is new; without it, `clave` is the text prepared.
    sqlite3_stmt* Vincular(const std::string& clave, const std::vector<Literal>& valores, size_t usados,
                           const SentenciaSql* traducir = nullptr);
    Sentencia PrepararTexto(const std::string& texto, const char* operacion);
    long Correr(Sentencia s);
    sqlite3_stmt* PrepararPlantilla(const std::string& plantilla, size_t valores);
    void Soltar(Sentencia& s);
    void VaciarCache();
    void EjecutarDirecto(const std::string& sql);
    void TomarEscritura(const char* operacion);
    // Error 3704 naming `operacion` when the connection is closed.
    void ExigirAbierta(const char* operacion) const;
    [[noreturn]] void Fallar(const char* operacion, const std::string& mensaje) const;

    std::string m_cadena;
    std::string m_ruta;
    std::string m_clave;
    std::pair<std::string, bool> m_dialectal[2]; // the last two templates, and whether each needed translating
    sqlite3* m_db = nullptr;
    // A walk runs one shape with other values row after row: prepared once
    // per shape (nullptr: a shape SQLite will not prepare with parameters,
    // always prepared from its own text).
    std::unordered_map<std::string, sqlite3_stmt*> m_cache;
    using Entrada = std::unordered_map<std::string, sqlite3_stmt*>::value_type;
    Entrada* m_recientes[2] = {}; // the shapes of the last two statements, most recent first
    long m_preparaciones = 0;
    long m_cacheKib = kCachePorDefecto;
    std::string m_savepointRaiz; // the savepoint that began the transaction, if one did
};

// Whether each column of a prepared statement is named by the statement's own
// text: a column without a name of its own is named after its expression,
// which must not read "?" where a value was bound.
bool NombresPropios(sqlite3_stmt* st);
// Binds the first `n` values to the statement's parameters; SQLite's result
// code. `copiar`: SQLite keeps its own copy of each text, for a statement that
// may outlive the values.
int Enlazar(sqlite3_stmt* st, const std::vector<SentenciaSql::Literal>& valores, size_t n, bool copiar);

// A run of many small look-ups on a customs database (the classification asks
// one catalog row per article) reads it in one read transaction instead of
// opening and closing one per query, which costs about as much as the query's
// own seek. Only on a SQLite file in WAL mode, where a reader holds up no
// writer, and only when the connection is outside any transaction; on a
// server, another journal mode or inside a transaction it does nothing. The
// transaction ends with the object, before the caller commits its own work.
class LecturaSostenida {
public:
    explicit LecturaSostenida(Conexion& conexion);
    ~LecturaSostenida();
    LecturaSostenida(const LecturaSostenida&) = delete;
    LecturaSostenida& operator=(const LecturaSostenida&) = delete;
    // Whether this object holds the connection's read transaction.
    bool Sostenida() const { return m_gestor != nullptr; }

private:
    Gestor* m_gestor = nullptr;
};

// A query that sorts every row of an interno (a GROUP BY over its input
// lines) sorts in as much memory as the page cache may hold, on top of the
// cache itself: while it runs the cache is lowered, the sort spills to a
// temporary file sooner and the run's peak stays that of the cache.
class CacheParaOrdenar {
public:
    explicit CacheParaOrdenar(Gestor& db, long kib = 4000) : m_db(db), m_antes(db.TamanoCache()) {
        if (kib < m_antes)
            m_db.TamanoCache(kib);
    }
    ~CacheParaOrdenar() {
        try {
            m_db.TamanoCache(m_antes);
        } catch (...) { // a closed connection takes the size at its next opening
        }
    }
    CacheParaOrdenar(const CacheParaOrdenar&) = delete;
    CacheParaOrdenar& operator=(const CacheParaOrdenar&) = delete;

private:
    Gestor& m_db;
    long m_antes;
};

// One call of a FuncionSql: its arguments, read in place, and its result.
class LlamadaSql {
public:
    LlamadaSql(sqlite3_context* ctx, int argc, sqlite3_value** argv) : m_ctx(ctx), m_argc(argc), m_argv(argv) {}
    int Argumentos() const { return m_argc; }
    bool EsNulo(int i) const;
    long long Entero(int i) const;
    // Argument `i` as text, valid until the function returns ("" for null).
    std::string_view Texto(int i) const;
    // The result: argument `i` as it came (type, text and all); a text that
    // stays unchanged until the statement that called ends; null.
    void DevolverArgumento(int i);
    void DevolverTextoFijo(std::string_view texto);
    void DevolverTexto(std::string_view texto); // copied: the caller may reuse it
    void DevolverEntero(long long valor);
    void DevolverNulo();

private:
    sqlite3_context* m_ctx;
    int m_argc;
    sqlite3_value** m_argv;
};

// A scalar SQL function backed by a C++ callback, on one connection for as
// long as this object lives: a run can let one set-based statement read
// what it has worked out in memory, row by row, instead of writing it first.
// Registering or removing a function has SQLite prepare the connection's
// statements again at their next use.
class FuncionSql {
public:
    using Cuerpo = std::function<void(LlamadaSql&)>;
    FuncionSql(Gestor& db, const std::string& nombre, int argumentos, Cuerpo cuerpo);
    ~FuncionSql();
    FuncionSql(const FuncionSql&) = delete;
    FuncionSql& operator=(const FuncionSql&) = delete;

    // What SQLite holds: the callback, emptied when this object goes, so a
    // function the connection would not let go (a statement still running)
    // fails instead of calling into freed memory.
    struct Registro {
        Cuerpo cuerpo;
    };

private:
    Gestor& m_db;
    sqlite3* m_handle;
    std::string m_nombre;
    int m_argumentos;
    Registro* m_registro; // owned by the connection
};

// The database file named by a connection text ("...;Data Source=path").
std::string RutaDeCadena(const std::string& cadena);
// Statement texts use mid(), left() and the three-argument instr(), which
// SQLite lacks, so we register them.
void RegistrarFunciones(sqlite3* db);

} // namespace Almacor
