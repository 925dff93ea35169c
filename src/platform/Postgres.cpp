#include "platform/Postgres.h"

#include "platform/Almacor.h"
#include "platform/AppError.h"
#include "platform/SentenciaSql.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <strings.h>

namespace Postgres {

namespace {

constexpr long kErrorSql = -2147217900;      // the number every failing statement reports
constexpr long kErrorServidor = -2147467259; // the server cannot be reached
constexpr size_t kMaxPreparadas = 400;       // shapes kept per connection; a run uses a few dozen

// Type oids of the results (pg_type.h is a server header).
constexpr Oid kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700, kFloat8 = 701, kNumeric = 1700;

// [name] becomes "name"; quoted texts are copied untouched.
std::string Corchetes(const std::string& sql) {
    if (sql.find('[') == std::string::npos)
        return sql;
    std::string r;
    r.reserve(sql.size());
    for (size_t i = 0; i < sql.size(); ++i) {
        char c = sql[i];
        if (c == '\'' || c == '"') {
            size_t j = sql.find(c, i + 1);
            j = j == std::string::npos ? sql.size() - 1 : j;
            r.append(sql, i, j + 1 - i);
            i = j;
        } else if (c == '[') {
            size_t j = sql.find(']', i + 1);
            if (j == std::string::npos) {
                r += c;
                continue;
            }
            r += '"';
            r.append(sql, i + 1, j - i - 1);
            r += '"';
            i = j;
        } else {
            r += c;
        }
    }
    return r;
}

// The word search reads the nomenclator's SQLite word index; the server has no
// such table, so the join goes and the match becomes a function over the two
// description columns with the same query text.
std::string IndicePalabras(std::string sql) {
    const std::string join = "ncm_texto join ncm on ncm.rowid = ncm_texto.rowid";
    size_t p = sql.find(join);
    if (p == std::string::npos)
        return sql;
    sql.replace(p, join.size(), "ncm");
    const std::string hueco = std::string("ncm_texto match ") + SentenciaSql::kHuecoTexto;
    if (size_t h = sql.find(hueco); h != std::string::npos) {
        sql.replace(h, hueco.size(),
                    std::string("ncm_coincide(ncm.\"010\", ncm.\"004\", ") + SentenciaSql::kHuecoTexto + ")");
        return sql;
    }
    const std::string match = "ncm_texto match '";
    size_t m = sql.find(match);
    if (m == std::string::npos)
        return sql;
    size_t fin = m + match.size();
    for (; fin < sql.size(); ++fin) {
        if (sql[fin] != '\'')
            continue;
        if (fin + 1 < sql.size() && sql[fin + 1] == '\'') {
            ++fin;
            continue;
        }
        break;
    }
    if (fin >= sql.size())
        return sql;
    std::string literal = sql.substr(m + match.size() - 1, fin - (m + match.size()) + 2);
    sql.replace(m, fin + 1 - m, "ncm_coincide(ncm.\"010\", ncm.\"004\", " + literal + ")");
    return sql;
}

// Codes compared without case that have an index on lower() (init-servidor).
const char* const kSinMayusculas[] = {"interno", "idcatalogo", "idarticulo"};

bool EsLetraNombre(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// In a where clause, `code = 'text'` becomes
// lower(cast(code as text)) = lower('text'): the same test citext's equality
// makes, written so the index on lower() answers it (cast rather than "::",
// which would keep the statement from being parametrised and prepared). Assignments (set ... =) and every other
// comparison are left to citext.
std::string IgualdadSinMayusculas(const std::string& sql) {
    size_t w = std::string::npos;
    for (size_t i = 0; i + 5 <= sql.size(); ++i)
        if ((sql[i] == 'w' || sql[i] == 'W') && strncasecmp(sql.c_str() + i, "where", 5) == 0 &&
            (i == 0 || !EsLetraNombre(sql[i - 1])) && (i + 5 == sql.size() || !EsLetraNombre(sql[i + 5]))) {
            w = i;
            break;
        }
    if (w == std::string::npos)
        return sql;
    std::string r;
    r.reserve(sql.size() + 64);
    bool tras = false; // past a "where" (outside quotes)
    size_t i = 0;
    while (i < sql.size()) {
        char c = sql[i];
        if (c == '\'') {
            size_t j = i + 1;
            while (j < sql.size() && (sql[j] != '\'' || (j + 1 < sql.size() && sql[j + 1] == '\'')))
                j += sql[j] == '\'' ? 2 : 1;
            r.append(sql, i, j + 1 - i);
            i = j + 1;
            continue;
        }
        if (!EsLetraNombre(c) && c != '"') {
            r += c;
            ++i;
            continue;
        }
        // A name, perhaps qualified or quoted: table.code, "code".
        size_t j = i;
        while (j < sql.size() && (EsLetraNombre(sql[j]) || sql[j] == '.' || sql[j] == '"'))
            ++j;
        std::string nombre = sql.substr(i, j - i);
        std::string ultimo = nombre.substr(nombre.rfind('.') == std::string::npos ? 0 : nombre.rfind('.') + 1);
        ultimo.erase(std::remove(ultimo.begin(), ultimo.end(), '"'), ultimo.end());
        if (strcasecmp(ultimo.c_str(), "where") == 0)
            tras = true;
        bool codigo = false;
        for (const char* n : kSinMayusculas)
            codigo = codigo || strcasecmp(ultimo.c_str(), n) == 0;
        if (tras && codigo) {
            size_t k = sql.find_first_not_of(' ', j);
            if (k != std::string::npos && sql[k] == '=' && k + 1 < sql.size() && sql[k + 1] != '=') {
                size_t q = sql.find_first_not_of(' ', k + 1);
                if (q != std::string::npos && (sql[q] == '\'' || sql[q] == SentenciaSql::kHuecoTexto)) {
                    size_t fin = q;
                    if (sql[q] == '\'') {
                        fin = q + 1;
                        while (fin < sql.size() && (sql[fin] != '\'' || (fin + 1 < sql.size() && sql[fin + 1] == '\'')))
                            fin += sql[fin] == '\'' ? 2 : 1;
                    }
                    // Only a whole operand: in `code = 'a' || x` the text is not all of it.
                    size_t sig = fin + 1 < sql.size() ? sql.find_first_not_of(' ', fin + 1) : std::string::npos;
                    if (fin < sql.size() && (sig == std::string::npos || sql[sig] == ')' ||
                                             (EsLetraNombre(sql[sig]) && !(sql[sig] >= '0' && sql[sig] <= '9')))) {
                        r += "lower(cast(" + nombre + " as text)) = lower(";
                        r.append(sql, q, fin + 1 - q);
                        r += ')';
                        i = fin + 1;
                        continue;
                    }
                }
            }
        }
        r += nombre;
        i = j;
    }
    return r;
}

// The values of a template ("?", or the marks of a statement's form) as $1,
// $2 ... (identifiers in "" and texts written in '' are left alone).
std::string Numerar(const std::string& plantilla) {
    std::string r;
    r.reserve(plantilla.size() + 16);
    int n = 0;
    for (size_t i = 0; i < plantilla.size(); ++i) {
        char c = plantilla[i];
        if (c == SentenciaSql::kHuecoTexto || c == SentenciaSql::kHuecoNumero) {
            r += '$' + std::to_string(++n);
        } else if (c == '"' || c == '\'') {
            size_t j = plantilla.find(c, i + 1);
            j = j == std::string::npos ? plantilla.size() - 1 : j;
            r.append(plantilla, i, j + 1 - i);
            i = j;
        } else if (c == '?') {
            r += '$' + std::to_string(++n);
        } else {
            r += c;
        }
    }
    return r;
}

// Every key=value of a connection string that is not the password, for messages.
std::string Opcion(PQconninfoOption* opciones, const char* clave) {
    for (PQconninfoOption* o = opciones; o && o->keyword; ++o)
        if (std::strcmp(o->keyword, clave) == 0 && o->val && *o->val)
            return o->val;
    return {};
}

// Rows gathered into one insert: enough that the server's work per statement
// is spread thin, within the protocol's 65,535 parameters a statement.
long FilasPorGrupo(size_t parametrosPorFila) {
    constexpr long kFilas = 100;
    return parametrosPorFila == 0 ? kFilas : std::min<long>(kFilas, 65535 / static_cast<long>(parametrosPorFila));
}

// "select distinct" with no "order by": SQLite hands the rows out in the order
// it first meets them, and the suffix questions follow that order; the server
// would hand them out in its hash order. Such a query runs without the
// distinct and its repeated rows are dropped here, first one kept.
bool DistintoSinOrden(std::string& sql) {
    size_t i = sql.find_first_not_of(" \t\r\n");
    if (i == std::string::npos)
        return false;
    std::string bajo;
    for (char c : sql)
        bajo += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (bajo.compare(i, 16, "select distinct ") != 0 || bajo.find("order by") != std::string::npos)
        return false;
    sql.erase(i + 7, 9);
    return true;
}

} // namespace

struct Gestor::Respuesta {
    PGresult* r = nullptr;
    explicit Respuesta(PGresult* p) : r(p) {}
    Respuesta(Respuesta&& o) noexcept : r(o.r) { o.r = nullptr; }
    Respuesta& operator=(Respuesta&&) = delete;
    ~Respuesta() { PQclear(r); }
};

std::string Gestor::TraducirSql(const std::string& sql) {
    return IgualdadSinMayusculas(IndicePalabras(Corchetes(Almacor::Gestor::TraducirSql(sql))));
}

std::string Gestor::DescribirServidor(const std::string& conninfo) {
    char* error = nullptr;
    PQconninfoOption* o = PQconninfoParse(conninfo.c_str(), &error);
    if (!o) {
        PQfreemem(error);
        return "(cadena de conexión ilegible)";
    }
    std::string host = Opcion(o, "host");
    if (host.empty())
        host = Opcion(o, "hostaddr");
    if (host.empty())
        host = std::getenv("PGHOST") ? std::getenv("PGHOST") : "localhost";
    std::string puerto = Opcion(o, "port");
    if (puerto.empty())
        puerto = std::getenv("PGPORT") ? std::getenv("PGPORT") : "5432";
    std::string base = Opcion(o, "dbname");
    if (base.empty())
        base = Opcion(o, "user");
    PQconninfoFree(o);
    return host + ":" + puerto + "/" + base;
}

bool Gestor::LlevaContrasena(const std::string& conninfo) {
    char* error = nullptr;
    PQconninfoOption* o = PQconninfoParse(conninfo.c_str(), &error);
    if (!o) {
        PQfreemem(error);
        return false;
    }
    bool lleva = !Opcion(o, "password").empty();
    PQconninfoFree(o);
    return lleva;
}

Gestor::Gestor(std::string conninfo) : m_conninfo(std::move(conninfo)), m_destino(DescribirServidor(m_conninfo)) {}

Gestor::~Gestor() {
    Desconectar();
}

void Gestor::Desconectar() {
    m_enCola = 0;
    m_filas.clear();
    m_cerrados.clear();
    m_juntas = nullptr;
    m_juntasValores.clear();
    m_juntasConsultas = 0;
    m_grupo = m_forma = nullptr;
    m_grupoValores.clear();
    m_grupoFilas = 0;
    if (m_pg) {
        PQfinish(m_pg);
        m_pg = nullptr;
    }
    m_preparadas.clear();
}

bool Gestor::Conectado() const {
    return m_pg && PQstatus(m_pg) == CONNECTION_OK;
}

void Gestor::Conectar() {
    Desconectar();
    m_pg = PQconnectdb(m_conninfo.c_str());
    if (PQstatus(m_pg) != CONNECTION_OK) {
        std::string msg = PQerrorMessage(m_pg);
        while (!msg.empty() && (msg.back() == '\n' || msg.back() == ' '))
            msg.pop_back();
        Desconectar();
        throw AppError(kErrorServidor, "Postgres.Gestor.Conectar",
                       "No se pudo conectar con el servidor " + m_destino + ": " + msg);
    }
    // Texts go both ways in UTF-8, dates as the statements write them, and
    // warnings of the server are not the operator's business.
    PQsetClientEncoding(m_pg, "UTF8");
    EjecutarDirecto("set client_min_messages = warning");
}

void Gestor::Fallar(const char* operacion, const std::string& mensaje, const char* estado, bool perdida) {
    std::string texto = mensaje;
    while (!texto.empty() && (texto.back() == '\n' || texto.back() == ' '))
        texto.pop_back();
    m_estado = estado ? estado : "";
    // The connection is gone, or going: the server was shut down or ended
    // this session (57P..), or the link failed (08...). libpq may still call
    // it open until it reads the end of it.
    bool ido = estado && (std::strncmp(estado, "08", 2) == 0 || std::strncmp(estado, "57P", 3) == 0);
    if (perdida || ido || !m_pg || PQstatus(m_pg) != CONNECTION_OK) {
        // Nothing the server had not committed was kept.
        Desconectar();
        throw AppError(kErrorServidor, std::string("Postgres.Gestor.") + operacion,
                       "Se perdió la conexión con el servidor " + m_destino + ": " + texto);
    }
    std::string sufijo = estado && *estado ? std::string(" [") + estado + "]" : "";
    throw AppError(kErrorSql, std::string("Postgres.Gestor.") + operacion, texto + sufijo);
}

void Gestor::Asegurar(const char* operacion) {
    // A connection lost between runs is opened again; one lost inside a
    // transaction is not, since the transaction's work is gone.
    if (m_pg && PQstatus(m_pg) == CONNECTION_OK)
        return;
    if (m_transaccion)
        throw AppError(kErrorServidor, std::string("Postgres.Gestor.") + operacion,
                       "Se perdió la conexión con el servidor " + m_destino +
                           " durante la transacción: no se grabó nada de ella.");
    try {
        Conectar();
    } catch (const AppError& e) {
        throw AppError(e.Number, std::string("Postgres.Gestor.") + operacion, e.Description);
    }
}

void Gestor::EjecutarDirecto(const std::string& sql) {
    Asegurar("Ejecutar");
    Vaciar("Ejecutar");
    Respuesta r(PQexec(m_pg, sql.c_str()));
    ExecStatusType s = PQresultStatus(r.r);
    if (s != PGRES_COMMAND_OK && s != PGRES_TUPLES_OK)
        Fallar("Ejecutar", PQerrorMessage(m_pg), PQresultErrorField(r.r, PG_DIAG_SQLSTATE));
}

bool Gestor::InsercionDeUnaFila(const std::string& plantilla) {
    return FilaDeValores(plantilla) != std::string::npos;
}

size_t Gestor::FilaDeValores(const std::string& plantilla) {
    constexpr size_t no = std::string::npos;
    std::string bajo;
    bajo.reserve(plantilla.size());
    for (char c : plantilla)
        bajo += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    size_t i = bajo.find_first_not_of(" \t\r\n");
    if (i == std::string::npos || bajo.compare(i, 12, "insert into ") != 0)
        return no;
    // A query for its rows, "returning", "on conflict" (which may add none)
    // or several statements: not a plain row.
    for (const char* palabra : {"select", "returning", "conflict", "default values", ";"})
        if (bajo.find(palabra) != std::string::npos)
            return no;
    size_t v = bajo.find("values", i);
    while (v != std::string::npos) {
        char antes = bajo[v - 1], despues = v + 6 < bajo.size() ? bajo[v + 6] : 0;
        if ((antes == ' ' || antes == ')') && (despues == ' ' || despues == '('))
            break;
        v = bajo.find("values", v + 6);
    }
    if (v == std::string::npos)
        return no;
    size_t p = bajo.find_first_not_of(" \t\r\n", v + 6);
    if (p == std::string::npos || bajo[p] != '(')
        return no;
    const size_t fila = p;
    int nivel = 0;
    for (; p < bajo.size(); ++p) {
        char c = bajo[p];
        if (c == '"' || c == '\'') {
            p = bajo.find(c, p + 1);
            if (p == std::string::npos)
                return no;
        } else if (c == '(') {
            ++nivel;
        } else if (c == ')' && --nivel == 0) {
            break;
        }
    }
    // Exactly one parenthesised row, and nothing after it.
    return p < bajo.size() && bajo.find_first_not_of(" \t\r\n", p + 1) == no ? fila : no;
}

bool Gestor::PrepararForma(const std::string& nombre, const std::string& texto, const std::vector<Oid>& tipos,
                           const char* operacion) {
    // A shape the server refuses to prepare (a literal whose type only its
    // text tells) runs from its own text; inside a transaction the refusal
    // must not abort it, so it is tried behind a savepoint.
    Vaciar(operacion); // preparing waits for the server
    bool dentro = EnTransaccion();
    if (dentro)
        EjecutarDirecto("savepoint velmarion_preparar");
    Respuesta p(PQprepare(m_pg, nombre.c_str(), texto.c_str(), static_cast<int>(tipos.size()), tipos.data()));
    bool bien = PQresultStatus(p.r) == PGRES_COMMAND_OK;
    if (!bien && PQstatus(m_pg) != CONNECTION_OK)
        Fallar(operacion, PQerrorMessage(m_pg));
    if (dentro)
        EjecutarDirecto(bien ? "release velmarion_preparar"
                             : "rollback to velmarion_preparar; release velmarion_preparar");
    return bien;
}

// The first `n` values as the server's text parameters, with their pointers.
void Gestor::Parametros(const std::vector<Almacor::Gestor::Literal>& valores, size_t n) {
    using Tipo = Almacor::Gestor::Literal::Tipo;
    m_parametros.resize(n);
    m_punteros.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const auto& v = valores[i];
        std::string& t = m_parametros[i];
        switch (v.tipo) {
        case Tipo::Texto:
            t = v.texto;
            break;
        case Tipo::Entero:
            t = std::to_string(v.entero);
            break;
        case Tipo::Real: {
            char buf[40];
            std::snprintf(buf, sizeof buf, "%.17g", v.real);
            t = buf;
            break;
        }
        }
    }
    for (size_t i = 0; i < n; ++i)
        m_punteros[i] = m_parametros[i].c_str();
}

namespace {
// A statement's form in this dialect, its values still marked; `distinto`
// tells whether its repeated rows are dropped here (see DistintoSinOrden).
std::string FormaDelServidor(const SentenciaSql& sentencia, bool& distinto) {
    std::string forma = sentencia.Forma();
    distinto = DistintoSinOrden(forma);
    return Gestor::TraducirSql(forma);
}
} // namespace

std::string Gestor::Renderizar(const SentenciaSql& sentencia) {
    bool distinto;
    return Numerar(FormaDelServidor(sentencia, distinto));
}

// The server types each parameter when it prepares the shape, so a shape
// seen with 12 and with 12.5 is two statements: the value kinds join the key.
const std::string& Gestor::Preparar(const SentenciaSql& sentencia, const char* operacion) {
    static const std::string kPorTexto;
    using Tipo = Almacor::Gestor::Literal::Tipo;
    const auto& valores = sentencia.Valores();
    const size_t n = sentencia.NumValores();
    m_clave = sentencia.Plantilla();
    m_clave += '\x01';
    for (size_t i = 0; i < n; ++i)
        m_clave += valores[i].tipo == Tipo::Entero ? 'i' : valores[i].tipo == Tipo::Real ? 'r' : 't';
    auto it = m_preparadas.find(m_clave);
    if (it == m_preparadas.end()) {
        Vaciar("Ejecutar");
        if (m_preparadas.size() >= kMaxPreparadas) {
            EjecutarDirecto("deallocate all");
            m_preparadas.clear();
        }
        bool distinto;
        std::string forma = FormaDelServidor(sentencia, distinto);
        std::vector<Oid> tipos;
        for (size_t i = 0; i < n; ++i)
            tipos.push_back(valores[i].tipo == Tipo::Entero ? kInt8 : valores[i].tipo == Tipo::Real ? kFloat8 : 0);
        std::string nombre = "v" + std::to_string(m_preparadas.size() + 1);
        bool bien = PrepararForma(nombre, Numerar(forma), tipos, operacion);
        Preparada p;
        p.nombre = bien ? nombre : std::string();
        p.fila = InsercionDeUnaFila(forma);
        p.distinto = distinto;
        if (bien) {
            p.plantilla = std::move(forma);
            p.tipos = std::move(tipos);
        }
        it = m_preparadas.emplace(m_clave, std::move(p)).first;
    }
    m_forma = &it->second;
    m_distinto = it->second.distinto;
    if (it->second.nombre.empty()) {
        // The server would not prepare it: it runs from its own text.
        std::string texto = sentencia.TextoSql();
        DistintoSinOrden(texto);
        m_texto = TraducirSql(texto);
        return kPorTexto;
    }
    Parametros(valores, n);
    m_fila = it->second.fila;
    return it->second.nombre;
}

// Encolable: 1 a statement whose count Ejecutar returns, 2 one whose count
// nobody reads (Enviar), 0 one that waits (queries).
Gestor::Respuesta Gestor::Correr(const char* operacion, int encolable) {
    Asegurar(operacion);
    const std::string nombre = Preparar(Puesta(), operacion);
    if (nombre.empty()) {
        Vaciar("Ejecutar");
        return Respuesta(PQexec(m_pg, m_texto.c_str()));
    }
    if (m_transaccion && ((encolable == 1 && m_fila) || encolable == 2)) {
        Encolar(nombre, m_fila ? kFila : kOtra);
        return Respuesta(nullptr);
    }
    if (m_enCola > 0) {
        // Sent behind the statements still unanswered: one round trip answers them all.
        SoltarGrupo(operacion);
        if (PQsendQueryPrepared(m_pg, nombre.c_str(), static_cast<int>(m_punteros.size()), m_punteros.data(), nullptr,
                                nullptr, 0) != 1) {
            std::string error = PQerrorMessage(m_pg);
            Vaciar("Ejecutar");
            Fallar(operacion, error, nullptr, true);
        }
        ++m_enCola;
        m_filas.push_back({kOtra, 0});
        PGresult* r = nullptr;
        Vaciar("Ejecutar", &r);
        if (r)
            return Respuesta(r);
        Fallar(operacion, "El servidor no respondió a la sentencia", nullptr, true);
    }
    Vaciar("Ejecutar");
    return Respuesta(PQexecPrepared(m_pg, nombre.c_str(), static_cast<int>(m_punteros.size()), m_punteros.data(),
                                    nullptr, nullptr, 0));
}

// Inside a transaction a single-row insert is sent without waiting for its
// answer: a statement "insert into t (...) values (...)" with one row either
// adds exactly that row or fails (none of our tables has a rule or trigger
// that could make it add none), so its count, 1, is known before the server
// answers. A statement whose count the caller does not read (Enviar) goes
// the same way. A failure is raised by the next statement that waits (a
// query, any other statement, a savepoint, the commit, or Sincronizar), as
// the same error its own Ejecutar would have raised; the server has by then
// refused every later statement of the batch and the transaction stays
// aborted until undone, so nothing after the failing statement is kept.
// Statements go in lots of kLote, read one lot behind (Adelantar), which
// bounds what a lost connection leaves unreported.
void Gestor::Encolar(const std::string& nombre, Enviada tipo, const char* operacion) {
    if (tipo == kFila && !nombre.empty()) {
        // Gathered with the rows of the same shape before it.
        if (m_grupo != m_forma)
            SoltarGrupo(operacion);
        m_grupo = m_forma;
        m_grupoValores.insert(m_grupoValores.end(), m_parametros.begin(), m_parametros.end());
        if (++m_grupoFilas == FilasPorGrupo(m_grupo->tipos.size()))
            SoltarGrupo(operacion);
    } else {
        SoltarGrupo(operacion);
        if (PQpipelineStatus(m_pg) == PQ_PIPELINE_OFF && PQenterPipelineMode(m_pg) != 1)
            Fallar(operacion, PQerrorMessage(m_pg));
        int enviada = nombre.empty()
                          ? PQsendQueryParams(m_pg, m_texto.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0)
                          : PQsendQueryPrepared(m_pg, nombre.c_str(), static_cast<int>(m_punteros.size()),
                                                m_punteros.data(), nullptr, nullptr, 0);
        if (enviada != 1) {
            std::string error = PQerrorMessage(m_pg);
            Vaciar(operacion); // an earlier row's failure comes first
            Fallar(operacion, error, nullptr, true);
        }
        m_filas.push_back({tipo, tipo == kFila ? 1 : 0});
    }
    if (++m_enCola >= kLote)
        Adelantar(operacion);
}

// A run of single-row inserts of one shape goes as one insert of all their
// rows, which adds them all or fails with the error of the first row that
// fails, the same error that row's own statement would have raised. A full
// group has its own prepared statement; a shorter one (the end of a run)
// goes with its text, and a lone row as itself.
void Gestor::SoltarGrupo(const char* operacion) {
    if (!m_grupo) {
        EnviarExistencias();
        return;
    }
    Preparada& forma = *m_grupo;
    const long filas = m_grupoFilas;
    std::vector<std::string> valores;
    valores.swap(m_grupoValores);
    m_grupo = nullptr;
    m_grupoFilas = 0;

    const size_t porFila = forma.tipos.size();
    std::vector<Oid> tipos;
    std::string texto;
    const std::string* nombre = &forma.nombre;
    if (filas > 1) {
        const size_t fila = FilaDeValores(forma.plantilla);
        std::string plantilla = forma.plantilla;
        for (long i = 1; i < filas; ++i)
            (plantilla += ", ").append(forma.plantilla, fila);
        for (long i = 0; i < filas; ++i)
            tipos.insert(tipos.end(), forma.tipos.begin(), forma.tipos.end());
        texto = Numerar(plantilla);
        if (filas == FilasPorGrupo(porFila) && forma.grupo.empty() && !forma.grupoFallido) {
            if (PrepararForma(forma.nombre + "g", texto, tipos, operacion))
                forma.grupo = forma.nombre + "g";
            else
                forma.grupoFallido = true;
        }
        nombre = filas == FilasPorGrupo(porFila) && !forma.grupo.empty() ? &forma.grupo : nullptr;
    }
    std::vector<const char*> punteros(valores.size());
    for (size_t i = 0; i < valores.size(); ++i)
        punteros[i] = valores[i].c_str();
    if (PQpipelineStatus(m_pg) == PQ_PIPELINE_OFF && PQenterPipelineMode(m_pg) != 1)
        Fallar(operacion, PQerrorMessage(m_pg));
    int enviada = nombre ? PQsendQueryPrepared(m_pg, nombre->c_str(), static_cast<int>(punteros.size()),
                                               punteros.data(), nullptr, nullptr, 0)
                         : PQsendQueryParams(m_pg, texto.c_str(), static_cast<int>(punteros.size()), tipos.data(),
                                             punteros.data(), nullptr, nullptr, 0);
    if (enviada != 1) {
        std::string error = PQerrorMessage(m_pg);
        Vaciar(operacion);
        Fallar(operacion, error, nullptr, true);
    }
    m_filas.push_back({kFila, filas});
    EnviarExistencias(); // queries gathered after the rows go behind them
}

// The queries go the way of the statements sent ahead, so they travel
// behind the writes already sent and see them, and each answer is read when
// the lot is answered. Consecutive queries of one shape are asked as one
// statement over arrays of their values: whether a row exists for each, by
// its place in the lot (see EnviarExistencias).
std::vector<char> Gestor::HayFilas(const std::vector<SentenciaSql>& consultas) {
    std::vector<char> hay;
    hay.reserve(consultas.size());
    m_hay = &hay;
    try {
        for (const SentenciaSql& consulta : consultas) {
            Asegurar("CrearRs");
            const std::string& nombre = Preparar(consulta, "CrearRs");
            if (nombre.empty() || m_forma->existencias == "-") {
                Encolar(nombre, kConsulta, "CrearRs");
                continue;
            }
            if (m_juntas != m_forma) {
                // Sending the queries gathered may reuse the scratch values.
                Preparada* forma = m_forma;
                std::vector<std::string> parametros = m_parametros;
                SoltarGrupo("CrearRs");
                m_juntas = forma;
                m_parametros.swap(parametros);
            }
            m_juntasValores.resize(m_parametros.size());
            for (size_t i = 0; i < m_parametros.size(); ++i)
                m_juntasValores[i].push_back(m_parametros[i]);
            if (++m_juntasConsultas == static_cast<long>(kLote))
                SoltarGrupo("CrearRs");
        }
        Vaciar("CrearRs");
    } catch (...) {
        m_hay = nullptr;
        throw;
    }
    m_hay = nullptr;
    return hay;
}

namespace {
// An array's text form: {"a","b"}, with " and \ escaped inside its elements.
std::string Arreglo(const std::vector<std::string>& valores, size_t n) {
    std::string r = "{";
    for (size_t i = 0; i < n; ++i) {
        if (i)
            r += ',';
        r += '"';
        for (char c : valores[i]) {
            if (c == '"' || c == '\\')
                r += '\\';
            r += c;
        }
        r += '"';
    }
    return r + '}';
}
} // namespace

// "select t.i from unnest($1::int8[], $2::text[] ...) as t(i, p1 ...) where
// exists (the query, its parameters read from t)": the rows it returns name
// the queries that have a row. Prepared once per shape; a shape the server
// cannot ask this way (a parameter whose type only the comparison told) goes
// query by query.
void Gestor::EnviarExistencias() {
    if (!m_juntas)
        return;
    Preparada& forma = *m_juntas;
    const size_t n = static_cast<size_t>(m_juntasConsultas);
    std::vector<std::vector<std::string>> valores;
    valores.swap(m_juntasValores);
    m_juntas = nullptr;
    m_juntasConsultas = 0;

    if (forma.existencias.empty()) {
        std::string columnas = "i", arreglos = "$1::int8[]";
        for (size_t i = 0; i < forma.tipos.size(); ++i) {
            const unsigned t = forma.tipos[i];
            arreglos += ", $" + std::to_string(i + 2) +
                        (t == kInt8     ? "::int8[]"
                         : t == kFloat8 ? "::float8[]"
                                        : "::text[]");
            columnas += ", p" + std::to_string(i + 1);
        }
        std::string consulta;
        int k = 0;
        const std::string numerada = Numerar(forma.plantilla);
        for (size_t i = 0; i < numerada.size(); ++i) {
            // Numerar wrote $1, $2 ...: each becomes the column of its parameter.
            if (numerada[i] == '$' && i + 1 < numerada.size() &&
                std::isdigit(static_cast<unsigned char>(numerada[i + 1]))) {
                size_t j = i + 1;
                while (j < numerada.size() && std::isdigit(static_cast<unsigned char>(numerada[j])))
                    ++j;
                consulta += "t.p" + numerada.substr(i + 1, j - i - 1);
                i = j - 1;
                ++k;
            } else {
                consulta += numerada[i];
            }
        }
        const std::string texto =
            "select t.i from unnest(" + arreglos + ") as t(" + columnas + ") where exists (" + consulta + ")";
        std::vector<Oid> tipos(forma.tipos.size() + 1, 0);
        forma.existencias = PrepararForma(forma.nombre + "e", texto, tipos, "CrearRs") ? forma.nombre + "e" : "-";
    }
    if (forma.existencias == "-") {
        // Asked one by one after all, each query rebuilt from its values.
        for (size_t q = 0; q < n; ++q) {
            m_parametros.resize(valores.size());
            m_punteros.resize(valores.size());
            for (size_t i = 0; i < valores.size(); ++i) {
                m_parametros[i] = valores[i][q];
                m_punteros[i] = m_parametros[i].c_str();
            }
            Encolar(forma.nombre, kConsulta, "CrearRs");
        }
        return;
    }
    std::vector<std::string> arreglos;
    std::vector<std::string> orden(n);
    for (size_t q = 0; q < n; ++q)
        orden[q] = std::to_string(q);
    arreglos.push_back(Arreglo(orden, n));
    for (const auto& v : valores)
        arreglos.push_back(Arreglo(v, n));
    std::vector<const char*> punteros;
    for (const auto& a : arreglos)
        punteros.push_back(a.c_str());
    if (PQpipelineStatus(m_pg) == PQ_PIPELINE_OFF && PQenterPipelineMode(m_pg) != 1)
        Fallar("CrearRs", PQerrorMessage(m_pg));
    if (PQsendQueryPrepared(m_pg, forma.existencias.c_str(), static_cast<int>(punteros.size()), punteros.data(),
                            nullptr, nullptr, 0) != 1) {
        std::string error = PQerrorMessage(m_pg);
        Vaciar("CrearRs");
        Fallar("CrearRs", error, nullptr, true);
    }
    m_filas.push_back({kExistencias, static_cast<long>(n)});
    m_enCola += n;
}

// Reads the answers of one lot, up to its sync point. The first failure
// (or an insert that did not add its rows) goes to `error` unless one is
// there already; with `ultima`, the lot's last statement is the caller's and
// its answer is handed back there. False when the connection broke first.
bool Gestor::LeerLote(const std::vector<Envio>& filas, PGresult** ultima, std::string& error, std::string& estado) {
    const size_t enviadas = filas.size();
    size_t respuesta = 0;
    // One result per statement sent and then the sync point. A connection
    // that breaks returns no more results: its status says so, and a bounded
    // count of empty answers stops the wait whatever libpq reports.
    size_t vacios = 0;
    for (;;) {
        PGresult* r = PQgetResult(m_pg);
        if (!r) {
            if (PQstatus(m_pg) != CONNECTION_OK || ++vacios > enviadas + 2)
                return false;
            continue;
        }
        vacios = 0;
        ExecStatusType s = PQresultStatus(r);
        if (ultima && s != PGRES_PIPELINE_SYNC && respuesta + 1 == enviadas) {
            // The caller's own statement: its answer, failed or not, is the caller's.
            *ultima = r;
            ++respuesta;
            continue;
        }
        if (s == PGRES_PIPELINE_SYNC) {
            PQclear(r);
            return true;
        }
        if (s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK) {
            const char* n = PQcmdTuples(r);
            Envio envio = respuesta < filas.size() ? filas[respuesta] : Envio{kOtra, 0};
            if (envio.tipo == kConsulta && m_hay)
                m_hay->push_back(PQntuples(r) > 0);
            if (envio.tipo == kExistencias && m_hay) {
                const size_t base = m_hay->size();
                m_hay->resize(base + static_cast<size_t>(envio.filas), 0);
                for (int f = 0; f < PQntuples(r); ++f) {
                    size_t q = std::strtoul(PQgetvalue(r, f, 0), nullptr, 10);
                    if (q < static_cast<size_t>(envio.filas))
                        (*m_hay)[base + q] = 1;
                }
            }
            if (envio.tipo == kFila && error.empty() && std::atol(n) != envio.filas)
                error = std::string("Una inserción enviada sin esperar respuesta agregó ") + (*n ? n : "0") +
                        " filas en vez de " + std::to_string(envio.filas);
        } else if (s != PGRES_PIPELINE_ABORTED && error.empty()) {
            // Inside a transaction the lots after a failing one fail as well
            // (the transaction is aborted): only the first failure is told.
            error = PQresultErrorMessage(r);
            const char* e = PQresultErrorField(r, PG_DIAG_SQLSTATE);
            estado = e ? e : "";
        }
        ++respuesta;
        PQclear(r);
    }
}

// Closes the lot being sent with a sync point, so that the server answers it
// while the next one is being built, and reads the lot closed before it,
// which the server has answered by then as a rule: the program and the
// server work at the same time, and at most two lots go unanswered.
void Gestor::Adelantar(const char* operacion) {
    SoltarGrupo(operacion);
    if (m_filas.empty())
        return;
    m_enCola = 0;
    if (PQpipelineSync(m_pg) != 1) {
        std::string error = PQerrorMessage(m_pg);
        m_filas.clear();
        m_cerrados.clear();
        Fallar(operacion, error, nullptr, true);
    }
    m_cerrados.push_back(std::move(m_filas));
    m_filas.clear();
    while (m_cerrados.size() > 1) {
        std::vector<Envio> lote = std::move(m_cerrados.front());
        m_cerrados.pop_front();
        std::string error, estado;
        if (LeerLote(lote, nullptr, error, estado) && error.empty())
            continue;
        // A failure: what was sent after it is read and dropped, and it is
        // raised as the statement's own error.
        const bool perdida = error.empty();
        if (perdida)
            error = PQerrorMessage(m_pg);
        Descartar();
        Fallar(operacion, error, estado.c_str(), perdida);
    }
}

void Gestor::Vaciar(const char* operacion, PGresult** ultima) {
    if (m_pg)
        SoltarGrupo(operacion);
    m_enCola = 0;
    if (!m_pg || PQpipelineStatus(m_pg) == PQ_PIPELINE_OFF) {
        m_filas.clear();
        m_cerrados.clear();
        return;
    }
    std::string error, estado;
    bool sincronizado = PQpipelineSync(m_pg) == 1;
    if (sincronizado)
        m_cerrados.push_back(std::move(m_filas));
    else
        error = PQerrorMessage(m_pg);
    m_filas.clear();
    while (sincronizado && !m_cerrados.empty()) {
        std::vector<Envio> lote = std::move(m_cerrados.front());
        m_cerrados.pop_front();
        sincronizado = LeerLote(lote, m_cerrados.empty() ? ultima : nullptr, error, estado);
    }
    m_cerrados.clear();
    if (sincronizado && PQexitPipelineMode(m_pg) != 1 && error.empty())
        error = PQerrorMessage(m_pg);
    if (!sincronizado && error.empty())
        error = PQerrorMessage(m_pg);
    if (!sincronizado || !error.empty()) {
        if (ultima && *ultima) {
            PQclear(*ultima);
            *ultima = nullptr;
        }
        Fallar(operacion, error, estado.c_str(), !sincronizado);
    }
}

void Gestor::Descartar() noexcept {
    // Rows and queries gathered and not yet sent are simply dropped.
    m_juntas = nullptr;
    m_juntasValores.clear();
    m_juntasConsultas = 0;
    m_grupo = nullptr;
    m_grupoValores.clear();
    m_grupoFilas = 0;
    try {
        Vaciar("Ejecutar");
    } catch (...) {
        // The transaction is being undone: its rows' errors no longer matter.
    }
}

void Gestor::Sincronizar() {
    if (m_pg)
        Vaciar("Ejecutar");
}

bool Gestor::CrearRs(Recordset& rs) {
    Respuesta r = Correr("CrearRs", 0);
    const bool distinto = m_distinto;
    ExecStatusType s = PQresultStatus(r.r);
    if (s != PGRES_TUPLES_OK && s != PGRES_COMMAND_OK)
        Fallar("CrearRs", PQresultErrorMessage(r.r), PQresultErrorField(r.r, PG_DIAG_SQLSTATE));
    int columnas = PQnfields(r.r), filas = PQntuples(r.r);
    std::vector<std::string> nombres;
    std::vector<Oid> tipos;
    for (int i = 0; i < columnas; ++i) {
        nombres.emplace_back(PQfname(r.r, i));
        tipos.push_back(PQftype(r.r, i));
    }
    std::vector<Valor> celdas;
    celdas.reserve(static_cast<size_t>(columnas) * filas);
    std::set<std::vector<std::string>> vistas;
    for (int f = 0; f < filas; ++f) {
        if (distinto) {
            std::vector<std::string> fila;
            for (int i = 0; i < columnas; ++i)
                fila.push_back(PQgetisnull(r.r, f, i) ? std::string("\x01") : std::string(PQgetvalue(r.r, f, i)));
            if (!vistas.insert(std::move(fila)).second)
                continue;
        }
        for (int i = 0; i < columnas; ++i) {
            if (PQgetisnull(r.r, f, i)) {
                celdas.emplace_back();
                continue;
            }
            const char* v = PQgetvalue(r.r, f, i);
            switch (tipos[i]) {
            case kInt2:
            case kInt4:
            case kInt8:
            case kOid:
                celdas.push_back(Valor::DeEntero(std::strtoll(v, nullptr, 10)));
                break;
            case kBool:
                celdas.push_back(Valor::DeEntero(*v == 't' ? 1 : 0));
                break;
            case kFloat4:
            case kFloat8:
            case kNumeric:
                celdas.push_back(Valor::DeReal(std::strtod(v, nullptr)));
                break;
            default:
                celdas.push_back(Valor::DeTexto(std::string(v, static_cast<size_t>(PQgetlength(r.r, f, i)))));
            }
        }
    }
    rs = Recordset(std::move(nombres), std::move(celdas));
    return rs.RecordCount() > 0;
}

void Gestor::Enviar() {
    Respuesta r = Correr("Ejecutar", 2);
    if (!r.r)
        return;
    ExecStatusType s = PQresultStatus(r.r);
    if (s != PGRES_COMMAND_OK && s != PGRES_TUPLES_OK)
        Fallar("Ejecutar", PQresultErrorMessage(r.r), PQresultErrorField(r.r, PG_DIAG_SQLSTATE));
}

long Gestor::Ejecutar() {
    Respuesta r = Correr("Ejecutar", 1);
    if (!r.r)
        return 1; // sent ahead: a single row
    ExecStatusType s = PQresultStatus(r.r);
    if (s != PGRES_COMMAND_OK && s != PGRES_TUPLES_OK)
        Fallar("Ejecutar", PQresultErrorMessage(r.r), PQresultErrorField(r.r, PG_DIAG_SQLSTATE));
    if (s == PGRES_TUPLES_OK)
        return 0; // a query changes nothing
    const char* n = PQcmdTuples(r.r);
    return n && *n ? std::atol(n) : 0;
}

void Gestor::ComenzarTransaccion() {
    EjecutarDirecto("begin");
    m_transaccion = true;
}

void Gestor::ConfirmarTransaccion() {
    EjecutarDirecto("commit");
    m_transaccion = false;
}

void Gestor::DeshacerTransaccion() {
    Descartar();
    bool vivo = m_pg && PQstatus(m_pg) == CONNECTION_OK;
    m_transaccion = false;
    if (vivo && EnTransaccion())
        EjecutarDirecto("rollback");
}

std::string Gestor::DeshacerOReconectar() noexcept {
    try {
        DeshacerTransaccion();
        return {};
    } catch (...) {
        std::string nota =
            "No se pudo deshacer la transacción en el servidor " + m_destino + ": " + AppError::Actual().Description;
        // The server undoes whatever a closed connection left open; the next
        // statement opens a new one.
        m_transaccion = false;
        Desconectar();
        return nota + ". Se cerró la conexión: lo escrito en la transacción no quedó.";
    }
}

bool Gestor::EnTransaccion() const {
    if (m_transaccion)
        return true;
    if (!m_pg || PQstatus(m_pg) != CONNECTION_OK)
        return false;
    PGTransactionStatusType t = PQtransactionStatus(m_pg);
    return t == PQTRANS_INTRANS || t == PQTRANS_INERROR || t == PQTRANS_ACTIVE;
}

// The summary register computes its id as max(id) + 1 and a unique
// constraint refuses a second row with the same one. When two workstations
// compute the same id at once, the second one's insert waits for the first
// one's transaction and then fails with a unique violation (23505): the step
// is undone to its savepoint and run again, and its new max(id) (read
// committed: each statement sees what was committed before it) gives the
// next free id. A serializable transaction would instead fail the whole
// transfer, 100,000 rows and all, over one register row. 40001 is retried
// too for a server whose default isolation is stricter.
void Gestor::Reintentando(const std::function<void()>& paso, int intentos) {
    const std::string punto = "velmarion_reintento";
    for (int intento = 1;; ++intento) {
        bool dentro = EnTransaccion();
        if (dentro)
            Savepoint(punto);
        try {
            paso();
            if (dentro)
                LiberarSavepoint(punto); // waits for rows sent ahead: their conflict is this step's
            return;
        } catch (const AppError&) {
            bool carrera = m_estado == "23505" || m_estado == "40001";
            if (dentro && Conectado())
                VolverASavepoint(punto);
            if (!carrera || intento >= intentos)
                throw;
        }
    }
}

void Gestor::Savepoint(const std::string& nombre) {
    EjecutarDirecto("savepoint " + nombre);
}

void Gestor::LiberarSavepoint(const std::string& nombre) {
    EjecutarDirecto("release " + nombre);
}

void Gestor::VolverASavepoint(const std::string& nombre) {
    EjecutarDirecto("rollback to " + nombre);
    EjecutarDirecto("release " + nombre);
}

void Gestor::BloquearClave(const std::string& clave) {
    Asegurar("BloquearClave");
    Vaciar("Ejecutar");
    const char* valores[] = {clave.c_str()};
    Respuesta r(PQexecParams(m_pg, "select pg_advisory_xact_lock(hashtext(lower($1)))", 1, nullptr, valores, nullptr,
                             nullptr, 0));
    if (PQresultStatus(r.r) != PGRES_TUPLES_OK)
        Fallar("BloquearClave", PQresultErrorMessage(r.r));
}

} // namespace Postgres
