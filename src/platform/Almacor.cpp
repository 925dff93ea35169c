#include "platform/Almacor.h"

#include "platform/AppError.h"
#include "platform/SentenciaSql.h"
#include "platform/Texto.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string_view>

namespace Almacor {

namespace {

constexpr long kErrorSql = -2147217900; // the number every failing statement reports
constexpr size_t kMaxCache = 200;       // statement shapes kept; a run uses a few dozen

std::string Argumento(sqlite3_value* v) {
    const unsigned char* t = sqlite3_value_text(v);
    return t ? reinterpret_cast<const char*>(t) : "";
}

bool AlgunoNulo(int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            return true;
    return false;
}

void ResultadoTexto(sqlite3_context* ctx, const std::string& s) {
    sqlite3_result_text(ctx, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

// mid(text, start [, length]): 1-based characters; start below 1 or a negative
// length is an invalid argument: a statement that cuts wrongly fails loudly.
void FuncionMid(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AlgunoNulo(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_int64 inicio = sqlite3_value_int64(argv[1]);
    sqlite3_int64 largo = argc > 2 ? sqlite3_value_int64(argv[2]) : -1;
    if (inicio < 1 || (argc > 2 && largo < 0)) {
        sqlite3_result_error(ctx, "Argumento o llamada a procedimiento no válida (mid)", -1);
        return;
    }
    // Statements cut a column of every row (the CIF totals by sub-regime): an
    // ASCII text, where a byte is a character, is cut in place.
    const unsigned char* t = sqlite3_value_text(argv[0]);
    const std::string_view texto(t ? reinterpret_cast<const char*>(t) : "",
                                 t ? static_cast<size_t>(sqlite3_value_bytes(argv[0])) : 0);
    if (EsAscii(texto)) {
        const size_t desde = std::min(texto.size(), static_cast<size_t>(inicio - 1));
        const size_t n = std::min(texto.size() - desde, largo < 0 ? texto.size() : static_cast<size_t>(largo));
        sqlite3_result_text(ctx, texto.data() + desde, static_cast<int>(n), SQLITE_TRANSIENT);
        return;
    }
    ResultadoTexto(ctx, Mid(texto, static_cast<size_t>(inicio), static_cast<long>(largo)));
}

void FuncionLeft(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AlgunoNulo(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_int64 n = sqlite3_value_int64(argv[1]);
    if (n < 0) {
        sqlite3_result_error(ctx, "Argumento o llamada a procedimiento no válida (left)", -1);
        return;
    }
    ResultadoTexto(ctx, Left(Argumento(argv[0]), static_cast<size_t>(n)));
}

// instr(start, text, search): 1-based position at or after start, 0 when absent;
// text is compared without case, as the database compares it.
void FuncionInstr(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AlgunoNulo(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_int64 inicio = sqlite3_value_int64(argv[0]);
    if (inicio < 1) {
        sqlite3_result_error(ctx, "Argumento o llamada a procedimiento no válida (instr)", -1);
        return;
    }
    auto Vista = [](sqlite3_value* v) {
        const unsigned char* t = sqlite3_value_text(v);
        return std::string_view(t ? reinterpret_cast<const char*>(t) : "",
                                t ? static_cast<size_t>(sqlite3_value_bytes(v)) : 0);
    };
    const std::string_view texto = Vista(argv[1]), buscado = Vista(argv[2]);
    // The closing checks look for "()" in every row's suffixes: in ASCII text
    // a byte is a character, and a search without letters needs no folding.
    bool sinLetras = EsAscii(texto) && EsAscii(buscado);
    for (size_t i = 0; sinLetras && i < buscado.size(); ++i)
        sinLetras = !((buscado[i] >= 'a' && buscado[i] <= 'z') || (buscado[i] >= 'A' && buscado[i] <= 'Z'));
    if (sinLetras && !texto.empty() && !buscado.empty()) {
        const size_t desde = static_cast<size_t>(inicio) - 1;
        const size_t p = desde >= texto.size() ? std::string_view::npos : texto.find(buscado, desde);
        sqlite3_result_int64(ctx, p == std::string_view::npos ? 0 : static_cast<sqlite3_int64>(p + 1));
        return;
    }
    sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(InStr(static_cast<size_t>(inicio), texto, buscado, true)));
}

constexpr bool EsLetraId(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// SQLite's NOCASE, the same order to the last detail: ASCII letters folded,
// every other byte as it is, the first NUL of the left text ending the
// comparison, then the shorter text first. Most comparisons the import's
// index builds and the lookups make are between equal texts (every row of an
// interno has the same number): runs of eight equal bytes without a NUL are
// passed over a word at a time instead of folding each byte.
inline unsigned Minuscula(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? c + 32u : c;
}

int CompararSinMayusculas(void*, int n1, const void* t1, int n2, const void* t2) {
    const auto* a = static_cast<const unsigned char*>(t1);
    const auto* b = static_cast<const unsigned char*>(t2);
    // Equal texts (the interno's number in every key, the catalog's
    // identifier) are equal in any order: compared as bytes, not folded. A
    // short one is read as two words that overlap.
    if (n1 == n2) {
        bool iguales;
        if (n1 >= 8) {
            iguales = std::memcmp(a, b, static_cast<size_t>(n1)) == 0;
        } else if (n1 >= 4) {
            uint32_t x1, y1, x2, y2;
            std::memcpy(&x1, a, 4);
            std::memcpy(&y1, b, 4);
            std::memcpy(&x2, a + n1 - 4, 4);
            std::memcpy(&y2, b + n1 - 4, 4);
            iguales = x1 == y1 && x2 == y2;
        } else {
            iguales = n1 == 0 || (a[0] == b[0] && (n1 < 2 || a[1] == b[1]) && (n1 < 3 || a[2] == b[2]));
        }
        if (iguales)
            return 0;
    }
    const int n = n1 < n2 ? n1 : n2;
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t x, y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        const bool conCero = ((x - 0x0101010101010101ULL) & ~x & 0x8080808080808080ULL) != 0;
        if (x != y || conCero)
            break;
    }
    for (; i < n; ++i) {
        if (a[i] == 0) {
            const int r = -static_cast<int>(Minuscula(b[i]));
            return r != 0 ? r : n1 - n2;
        }
        const int r = static_cast<int>(Minuscula(a[i])) - static_cast<int>(Minuscula(b[i]));
        if (r != 0)
            return r;
    }
    return n1 - n2;
}

} // namespace

void RegistrarFunciones(sqlite3* db) {
    sqlite3_create_collation_v2(db, "NOCASE", SQLITE_UTF8, nullptr, CompararSinMayusculas, nullptr);
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "mid", 2, flags, nullptr, FuncionMid, nullptr, nullptr);
    sqlite3_create_function(db, "mid", 3, flags, nullptr, FuncionMid, nullptr, nullptr);
    sqlite3_create_function(db, "vb_left", 2, flags, nullptr, FuncionLeft, nullptr, nullptr);
    sqlite3_create_function(db, "instr", 3, flags, nullptr, FuncionInstr, nullptr, nullptr);
}

std::string RutaDeCadena(const std::string& cadena) {
    const std::string clave = "data source=";
    std::string bajo = LCaseAscii(cadena);
    size_t p = bajo.find(clave);
    if (p == std::string::npos)
        return {};
    size_t desde = p + clave.size();
    size_t hasta = cadena.find(';', desde);
    return Trim(cadena.substr(desde, hasta == std::string::npos ? std::string::npos : hasta - desde));
}

namespace {

// "select top N rest" becomes "select rest limit N": SQLite has no TOP.
std::string TraducirTop(const std::string& sql) {
    auto blanco = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    auto palabra = [&](size_t i, const char* p) {
        size_t n = std::strlen(p);
        return i + n < sql.size() && LCaseAscii(sql.substr(i, n)) == p && blanco(sql[i + n]);
    };
    size_t i = 0;
    while (i < sql.size() && blanco(sql[i]))
        ++i;
    if (!palabra(i, "select"))
        return sql;
    size_t t = i + 6;
    while (t < sql.size() && blanco(sql[t]))
        ++t;
    if (!palabra(t, "top"))
        return sql;
    size_t d = t + 3;
    while (d < sql.size() && blanco(sql[d]))
        ++d;
    size_t f = d;
    while (f < sql.size() && sql[f] >= '0' && sql[f] <= '9')
        ++f;
    if (f == d || f == sql.size() || !blanco(sql[f]))
        return sql;
    std::string resto = sql.substr(f);
    size_t fin = resto.find_last_not_of(" \t\r\n;");
    resto.erase(fin == std::string::npos ? 0 : fin + 1);
    return sql.substr(0, i + 6) + resto + " limit " + sql.substr(d, f - d);
}

// One piece of a statement text, as far as joining texts with "+" needs to know.
struct Pieza {
    enum class Clase { Blanco, Texto, Nombre, Numero, Mas, Punto, Otro } clase;
    size_t desde, hasta; // [desde, hasta) in the text
};

std::vector<Pieza> Trocear(const std::string& sql) {
    std::vector<Pieza> r;
    const size_t n = sql.size();
    size_t i = 0;
    auto digito = [](char c) { return c >= '0' && c <= '9'; };
    while (i < n) {
        char c = sql[i];
        size_t j = i + 1;
        Pieza::Clase clase = Pieza::Clase::Otro;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            while (j < n && (sql[j] == ' ' || sql[j] == '\t' || sql[j] == '\r' || sql[j] == '\n'))
                ++j;
            clase = Pieza::Clase::Blanco;
        } else if (c == '\'' || c == '"' || c == '[' || c == '`') {
            char cierre = c == '[' ? ']' : c;
            for (; j < n; ++j) {
                if (sql[j] != cierre)
                    continue;
                if (cierre != ']' && j + 1 < n && sql[j + 1] == cierre) {
                    ++j;
                    continue;
                }
                break;
            }
            j = j < n ? j + 1 : n;
            clase = c == '\'' ? Pieza::Clase::Texto : Pieza::Clase::Nombre;
        } else if (digito(c)) {
            while (j < n && (digito(sql[j]) || sql[j] == '.'))
                ++j;
            if (j < n && (sql[j] == 'e' || sql[j] == 'E')) {
                size_t k = j + 1;
                if (k < n && (sql[k] == '+' || sql[k] == '-'))
                    ++k;
                if (k < n && digito(sql[k]))
                    for (j = k; j < n && digito(sql[j]);)
                        ++j;
            }
            clase = Pieza::Clase::Numero;
        } else if (EsLetraId(c)) {
            while (j < n && EsLetraId(sql[j]))
                ++j;
            clase = Pieza::Clase::Nombre;
        } else if (c == SentenciaSql::kHuecoTexto) {
            clase = Pieza::Clase::Texto;
        } else if (c == SentenciaSql::kHuecoNumero) {
            clase = Pieza::Clase::Numero;
        } else if (c == '+') {
            clase = Pieza::Clase::Mas;
        } else if (c == '.') {
            clase = Pieza::Clase::Punto;
        }
        r.push_back({clase, i, j});
        i = j;
    }
    return r;
}

// "+" between texts joins them in the statements we are given, but adds in
// SQLite. A run of operands joined only by "+" in which one operand is a quoted
// text ([001]+ '.' +[002] + [003]) is a join: its "+" become "||". A run next
// to another arithmetic operator is left alone, since "||" binds tighter than
// "*" or "-" and would regroup it.
std::string TraducirConcatenacion(const std::string& sql) {
    if (sql.find('+') == std::string::npos)
        return sql;
    std::vector<Pieza> p = Trocear(sql);
    using C = Pieza::Clase;
    auto siguiente = [&](size_t k) {
        while (k < p.size() && p[k].clase == C::Blanco)
            ++k;
        return k;
    };
    auto aritmetico = [&](size_t k) {
        if (k >= p.size() || p[k].clase != C::Otro)
            return false;
        char c = sql[p[k].desde];
        return c == '*' || c == '/' || c == '-' || c == '%' || c == '|' || c == '&';
    };
    // One operand from k: a quoted text, a number, or a name with its qualifiers
    // (t.[001]). Returns the piece after it, or k when there is none.
    auto operando = [&](size_t k, bool& texto) {
        texto = false;
        if (k >= p.size())
            return k;
        if (p[k].clase == C::Texto || p[k].clase == C::Numero) {
            texto = p[k].clase == C::Texto;
            return k + 1;
        }
        if (p[k].clase != C::Nombre)
            return k;
        size_t f = k + 1;
        while (f + 1 < p.size() && p[f].clase == C::Punto && p[f + 1].clase == C::Nombre)
            f += 2;
        // A name followed by "(" is a function call: not an operand we can read.
        size_t s = siguiente(f);
        if (s < p.size() && p[s].clase == C::Otro && sql[p[s].desde] == '(')
            return k;
        return f;
    };
    std::vector<bool> unir(p.size(), false);
    size_t anterior = p.size(); // the last piece that is not a blank, before k
    for (size_t k = 0; k < p.size();) {
        bool texto = false;
        size_t f = operando(k, texto);
        if (f == k) {
            if (p[k].clase != C::Blanco)
                anterior = k;
            ++k;
            continue;
        }
        std::vector<size_t> mases;
        bool hayTexto = texto;
        size_t fin = f;
        for (;;) {
            size_t m = siguiente(fin);
            if (m >= p.size() || p[m].clase != C::Mas)
                break;
            bool t = false;
            size_t o = siguiente(m + 1);
            size_t g = operando(o, t);
            if (g == o)
                break;
            mases.push_back(m);
            hayTexto = hayTexto || t;
            fin = g;
        }
        bool aislada = !aritmetico(anterior) && !aritmetico(siguiente(fin)) &&
                       !(anterior < p.size() && p[anterior].clase == C::Mas);
        if (hayTexto && aislada)
            for (size_t m : mases)
                unir[m] = true;
        anterior = fin - 1;
        k = fin;
    }
    std::string r;
    r.reserve(sql.size() + 8);
    for (size_t k = 0; k < p.size(); ++k)
        r.append(unir[k] ? std::string_view("||") : std::string_view(sql).substr(p[k].desde, p[k].hasta - p[k].desde));
    return r;
}

} // namespace

std::string Gestor::TraducirSql(const std::string& texto) {
    std::string sql = TraducirConcatenacion(TraducirTop(texto));
    std::string bajo = LCaseAscii(sql);
    if (bajo.find("left") == std::string::npos)
        return sql;
    std::string r;
    r.reserve(sql.size() + 8);
    char comilla = 0;
    for (size_t i = 0; i < sql.size(); ++i) {
        char c = sql[i];
        if (comilla) {
            r += c;
            if (c == comilla)
                comilla = 0;
            continue;
        }
        if (c == '\'' || c == '"' || c == '[') {
            comilla = c == '[' ? ']' : c;
            r += c;
            continue;
        }
        if ((i == 0 || !EsLetraId(sql[i - 1])) && bajo.compare(i, 4, "left") == 0) {
            size_t j = i + 4;
            while (j < sql.size() && (sql[j] == ' ' || sql[j] == '\t'))
                ++j;
            if (j < sql.size() && sql[j] == '(') {
                r += "vb_left";
                i += 3;
                continue;
            }
        }
        r += c;
    }
    return r;
}

Gestor::Gestor() = default;

Gestor::~Gestor() {
    Desconectar();
}

void Gestor::Desconectar() {
    VaciarCache();
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

void Gestor::Conectar() {
    std::string ruta = RutaDeCadena(m_cadena);
    if (ruta.empty())
        throw AppError(-2147467259, "Almacor.Gestor.Conectar",
                       "La cadena de conexión no indica el archivo de datos: " + m_cadena);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(ruta, ec))
        throw AppError(-2147467259, "Almacor.Gestor.Conectar", "No se encuentra la base de datos " + ruta);
    Abrir(ruta, false);
}

void Gestor::CrearArchivo(const std::string& ruta) {
    m_cadena = "Provider=SQLite;Data Source=" + ruta;
    Abrir(ruta, true);
}

void Gestor::Abrir(const std::string& ruta, bool crear) {
    Desconectar();
    // A connection is only ever used by the thread that opened it: SQLite's
    // own per-call locking would only cost time on every call.
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (crear ? SQLITE_OPEN_CREATE : 0);
    // Nothing reads SQLite's memory statistics, and keeping them takes a
    // global lock on every allocation. Settable only before the library
    // starts; later it is refused and nothing changes.
    static const int kSinEstadisticas = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    (void)kSinEstadisticas;
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(ruta.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close_v2(db);
        throw AppError(-2147467259, "Almacor.Gestor.Conectar",
                       "No se pudo abrir la base de datos " + ruta + ": " + msg);
    }
    m_db = db;
    m_ruta = ruta;
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, kEsperaBloqueo);
    m_savepointRaiz.clear();
    RegistrarFunciones(m_db);
    try {
        // The file must really be a database: reading its schema tells.
        EjecutarDirecto("pragma synchronous = normal");
        // Sorts and index builds spill to a temporary file past the cache
        // instead of growing in memory with the shipment.
        EjecutarDirecto("pragma temp_store = file");
        EjecutarDirecto("pragma cache_size = -" + std::to_string(m_cacheKib));
        EjecutarDirecto("select count(*) from sqlite_master");
    } catch (const AppError& e) {
        Desconectar();
        throw AppError(e.Number, "Almacor.Gestor.Conectar",
                       "No se pudo abrir la base de datos " + ruta + ": " + e.Description);
    }
}

void Gestor::TamanoCache(long kib) {
    m_cacheKib = kib;
    if (m_db)
        EjecutarDirecto("pragma cache_size = -" + std::to_string(m_cacheKib));
}

void Gestor::ExigirAbierta(const char* operacion) const {
    if (!m_db)
        throw AppError(3704, std::string("Almacor.Gestor.") + operacion,
                       "La conexión con la base de datos no está abierta.");
}

void Gestor::Fallar(const char* operacion, const std::string& mensaje) const {
    throw AppError(kErrorSql, std::string("Almacor.Gestor.") + operacion, mensaje);
}

bool NombresPropios(sqlite3_stmt* st) {
    for (int i = 0; i < sqlite3_column_count(st); ++i) {
        const char* nombre = sqlite3_column_name(st, i);
        if (!nombre || std::strchr(nombre, '?'))
            return false;
    }
    return true;
}

int Enlazar(sqlite3_stmt* st, const std::vector<SentenciaSql::Literal>& valores, size_t n, bool copiar) {
    using Tipo = SentenciaSql::Literal::Tipo;
    int rc = SQLITE_OK;
    for (size_t k = 0; k < n && rc == SQLITE_OK; ++k) {
        const SentenciaSql::Literal& v = valores[k];
        const int p = static_cast<int>(k) + 1;
        rc = v.tipo == Tipo::Texto    ? sqlite3_bind_text(st, p, v.texto.data(), static_cast<int>(v.texto.size()),
                                                       copiar ? SQLITE_TRANSIENT : SQLITE_STATIC)
             : v.tipo == Tipo::Entero ? sqlite3_bind_int64(st, p, v.entero)
                                      : sqlite3_bind_double(st, p, v.real);
    }
    return rc;
}

sqlite3_stmt* Gestor::PrepararPlantilla(const std::string& plantilla, size_t valores) {
    sqlite3_stmt* st = nullptr;
    const char* resto = nullptr;
    ++m_preparaciones;
    if (sqlite3_prepare_v2(m_db, plantilla.c_str(), static_cast<int>(plantilla.size()), &st, &resto) != SQLITE_OK ||
        !st)
        return nullptr;
    bool sirve = sqlite3_bind_parameter_count(st) == static_cast<int>(valores);
    for (; sirve && resto && *resto; ++resto)
        sirve = *resto == ' ' || *resto == '\t' || *resto == '\r' || *resto == '\n' || *resto == ';';
    if (!sirve || !NombresPropios(st)) {
        sqlite3_finalize(st);
        return nullptr;
    }
    return st;
}

std::string Gestor::Renderizar(const SentenciaSql& sentencia) {
    std::string r = TraducirSql(sentencia.Forma());
    for (char& c : r)
        if (c == SentenciaSql::kHuecoTexto || c == SentenciaSql::kHuecoNumero)
            c = '?';
    return r;
}

Gestor::Sentencia Gestor::Preparar(const SentenciaSql& sentencia, const char* operacion) {
    ExigirAbierta(operacion);
    // A template is its own shape unless the dialect changes it; where "+"
    // is in it, the value kinds decide what it becomes, so they join the key.
    // A walk repeats one or two templates: what the last two needed is
    // remembered, which costs a comparison instead of a scan per row.
    const std::string& plantilla = sentencia.Plantilla();
    bool traducir;
    if (m_dialectal[0].first == plantilla) {
        traducir = m_dialectal[0].second;
    } else if (m_dialectal[1].first == plantilla) {
        traducir = m_dialectal[1].second;
        std::swap(m_dialectal[0], m_dialectal[1]);
    } else {
        traducir = sentencia.Dialectal();
        std::swap(m_dialectal[0], m_dialectal[1]);
        m_dialectal[0].first = plantilla;
        m_dialectal[0].second = traducir;
    }
    const std::string* clave = &sentencia.Plantilla();
    if (traducir && sentencia.ConMas()) {
        m_clave = sentencia.Plantilla();
        m_clave += '\x03';
        for (size_t k = 0; k < sentencia.NumValores(); ++k)
            m_clave += sentencia.Valores()[k].tipo == Literal::Tipo::Texto ? 't' : 'n';
        clave = &m_clave;
    }
    if (sqlite3_stmt* st =
            Vincular(*clave, sentencia.Valores(), sentencia.NumValores(), traducir ? &sentencia : nullptr))
        return {st, true};
    // A column named after its expression must not be named "?": that shape
    // runs from its own text.
    const std::string texto = TraducirSql(sentencia.TextoSql());
    return PrepararTexto(texto, operacion);
}

// The kept statement of the shape `plantilla` with `valores` bound (nullptr
// when the shape takes no parameters or a value does not bind). The bound
// texts are not copied: they must stay until the statement is let go.
sqlite3_stmt* Gestor::Vincular(const std::string& plantilla, const std::vector<Literal>& valores, size_t usados,
                               const SentenciaSql* traducir) {
    // A walk alternates between one or two shapes: comparing a template with
    // the last two costs less than hashing it.
    Entrada* e = m_recientes[0] && m_recientes[0]->first == plantilla   ? m_recientes[0]
                 : m_recientes[1] && m_recientes[1]->first == plantilla ? m_recientes[1]
                                                                        : nullptr;
    if (!e) {
        auto it = m_cache.find(plantilla);
        if (it == m_cache.end()) {
            if (m_cache.size() >= kMaxCache)
                VaciarCache();
            it = m_cache.emplace(plantilla, PrepararPlantilla(traducir ? Renderizar(*traducir) : plantilla, usados))
                     .first;
        }
        e = &*it;
    }
    if (e != m_recientes[0]) {
        m_recientes[1] = m_recientes[0];
        m_recientes[0] = e;
    }
    sqlite3_stmt* st = e->second;
    if (!st)
        return nullptr;
    if (Enlazar(st, valores, usados, false) == SQLITE_OK)
        return st;
    sqlite3_clear_bindings(st);
    return nullptr;
}

Gestor::Sentencia Gestor::PrepararTexto(const std::string& texto, const char* operacion) {
    sqlite3_stmt* st = nullptr;
    const char* resto = nullptr;
    ++m_preparaciones;
    if (sqlite3_prepare_v2(m_db, texto.c_str(), static_cast<int>(texto.size()), &st, &resto) != SQLITE_OK)
        Fallar(operacion, sqlite3_errmsg(m_db));
    // One statement per text: a second one hidden behind a ";" is refused.
    for (; resto && *resto; ++resto) {
        if (*resto != ' ' && *resto != '\t' && *resto != '\r' && *resto != '\n' && *resto != ';') {
            sqlite3_finalize(st);
            Fallar(operacion, "El texto contiene más de una instrucción SQL.");
        }
    }
    if (!st)
        Fallar(operacion, "La instrucción SQL está vacía.");
    return {st, false};
}

void Gestor::Soltar(Sentencia& s) {
    if (!s.st)
        return;
    if (s.cacheada) {
        // The texts it was bound to (SQLITE_STATIC) may go now: SQLite reads a
        // binding only when the statement runs, and every run of a kept shape
        // binds all its values again first.
        sqlite3_reset(s.st);
    } else {
        sqlite3_finalize(s.st);
    }
    s.st = nullptr;
}

void Gestor::VaciarCache() {
    for (auto& [plantilla, st] : m_cache)
        sqlite3_finalize(st);
    m_cache.clear();
    m_recientes[0] = m_recientes[1] = nullptr;
}

size_t Gestor::SentenciasEnCache() const {
    size_t n = 0;
    for (const auto& [plantilla, st] : m_cache)
        n += st != nullptr;
    return n;
}

void Gestor::EjecutarDirecto(const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = err ? err : "error";
        sqlite3_free(err);
        throw AppError(kErrorSql, "Almacor.Gestor", msg);
    }
}

bool Gestor::CrearRs(Recordset& rs) {
    Sentencia s = Preparar(Puesta(), "CrearRs");
    sqlite3_stmt* st = s.st;
    // Columns are read after the first step: a kept statement is prepared
    // again there when the table changed since, and "*" may then mean more.
    int rc = sqlite3_step(st);
    int columnas = sqlite3_column_count(st);
    std::vector<std::string> nombres;
    nombres.reserve(static_cast<size_t>(columnas));
    for (int i = 0; i < columnas; ++i)
        nombres.emplace_back(sqlite3_column_name(st, i));
    // Most queries of a run are look-ups of one row: room for it at once
    // instead of growing cell by cell.
    std::vector<Valor> celdas;
    if (rc == SQLITE_ROW)
        celdas.reserve(static_cast<size_t>(columnas));
    for (; rc == SQLITE_ROW; rc = sqlite3_step(st)) {
        for (int i = 0; i < columnas; ++i) {
            switch (sqlite3_column_type(st, i)) {
            case SQLITE_NULL:
                celdas.emplace_back();
                break;
            case SQLITE_INTEGER:
                celdas.push_back(Valor::DeEntero(sqlite3_column_int64(st, i)));
                break;
            case SQLITE_FLOAT:
                celdas.push_back(Valor::DeReal(sqlite3_column_double(st, i)));
                break;
            default: {
                const unsigned char* t = sqlite3_column_text(st, i);
                celdas.push_back(Valor::DeTexto(
                    t ? std::string(reinterpret_cast<const char*>(t), sqlite3_column_bytes(st, i)) : std::string()));
            }
            }
        }
    }
    if (rc != SQLITE_DONE) {
        std::string msg = sqlite3_errmsg(m_db);
        Soltar(s);
        Fallar("CrearRs", msg);
    }
    Soltar(s);
    rs = Recordset(std::move(nombres), std::move(celdas));
    return rs.RecordCount() > 0;
}

long Gestor::Ejecutar() {
    return Correr(Preparar(Puesta(), "Ejecutar"));
}

long Gestor::Ejecutar(const SentenciaSql& sentencia) {
    return Correr(Preparar(sentencia, "Ejecutar"));
}

void Gestor::Enviar(const SentenciaSql& sentencia) {
    Ejecutar(sentencia);
}

std::vector<char> Gestor::HayFilas(const std::vector<SentenciaSql>& consultas) {
    std::vector<char> hay;
    hay.reserve(consultas.size());
    for (const SentenciaSql& consulta : consultas) {
        Sentencia s = Preparar(consulta, "HayFilas");
        int rc = sqlite3_step(s.st);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
            std::string msg = sqlite3_errmsg(m_db);
            Soltar(s);
            Fallar("HayFilas", msg);
        }
        hay.push_back(rc == SQLITE_ROW);
        Soltar(s);
    }
    return hay;
}

long Gestor::Correr(Sentencia s) {
    int rc;
    while ((rc = sqlite3_step(s.st)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
        std::string msg = sqlite3_errmsg(m_db);
        Soltar(s);
        Fallar("Ejecutar", msg);
    }
    bool cambia = !sqlite3_stmt_readonly(s.st);
    Soltar(s);
    return cambia ? static_cast<long>(sqlite3_changes(m_db)) : 0;
}

void Gestor::TomarEscritura(const char* operacion) {
    ExigirAbierta(operacion);
    char* err = nullptr;
    int rc = sqlite3_exec(m_db, "begin immediate", nullptr, nullptr, &err);
    if (rc == SQLITE_OK)
        return;
    std::string msg = err ? err : sqlite3_errstr(rc);
    sqlite3_free(err);
    if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED)
        throw AppError(kErrorSql, std::string("Almacor.Gestor.") + operacion,
                       "Otra ejecución tiene la base de datos " + m_ruta + " en uso y no la liberó en " +
                           std::to_string(kEsperaBloqueo / 1000) +
                           " segundos: espere a que termine y vuelva a intentarlo.");
    throw AppError(kErrorSql, std::string("Almacor.Gestor.") + operacion, msg);
}

void Gestor::ComenzarTransaccion() {
    TomarEscritura("ComenzarTransaccion");
}
void Gestor::ConfirmarTransaccion() {
    EjecutarDirecto("commit");
    m_savepointRaiz.clear();
}

void Gestor::DeshacerTransaccion() {
    m_savepointRaiz.clear();
    if (EnTransaccion())
        EjecutarDirecto("rollback");
}

void Gestor::Reconectar() {
    const std::string ruta = m_ruta;
    Desconectar();
    if (!ruta.empty())
        Abrir(ruta, false);
}

std::string Gestor::DeshacerOReconectar() noexcept {
    std::string nota;
    try {
        DeshacerTransaccion();
        return nota;
    } catch (...) {
        nota = "No se pudo deshacer la transacción en " + m_ruta + ": " + AppError::Actual().Description;
    }
    try {
        Reconectar();
        nota += ". Se cerró y reabrió la conexión: lo escrito en la transacción no quedó.";
    } catch (...) {
        nota += ". Tampoco se pudo reabrir la conexión: " + AppError::Actual().Description;
    }
    return nota;
}

LecturaSostenida::LecturaSostenida(Conexion& conexion) {
    auto* gestor = dynamic_cast<Gestor*>(&conexion);
    if (!gestor || !gestor->Handle() || gestor->EnTransaccion())
        return;
    sqlite3* db = gestor->Handle();
    sqlite3_stmt* st = nullptr;
    bool wal = false;
    if (sqlite3_prepare_v2(db, "pragma journal_mode", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW) {
        const unsigned char* modo = sqlite3_column_text(st, 0);
        wal = modo && IgualSinMayusculas(reinterpret_cast<const char*>(modo), "wal");
    }
    sqlite3_finalize(st);
    // A deferred begin: the snapshot is taken by the first query, and no
    // lock is taken that a writer would wait for.
    if (wal && sqlite3_exec(db, "begin", nullptr, nullptr, nullptr) == SQLITE_OK)
        m_gestor = gestor;
}

LecturaSostenida::~LecturaSostenida() {
    sqlite3* db = m_gestor ? m_gestor->Handle() : nullptr;
    if (!db || sqlite3_get_autocommit(db))
        return;
    // Nothing was written: ending it cannot lose work. Should the commit
    // fail, the rollback still releases the snapshot.
    if (sqlite3_exec(db, "commit", nullptr, nullptr, nullptr) != SQLITE_OK)
        sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);
}

bool Gestor::EnTransaccion() const {
    return m_db && !sqlite3_get_autocommit(m_db);
}
void Gestor::Savepoint(const std::string& nombre) {
    // Outside a transaction a savepoint would begin a reading one, which
    // SQLite refuses at once to turn into a writing one while another
    // connection writes: take the write lock first.
    bool raiz = !EnTransaccion();
    if (raiz)
        TomarEscritura("Savepoint");
    try {
        EjecutarDirecto("savepoint " + nombre);
    } catch (...) {
        if (raiz)
            EjecutarDirecto("rollback");
        throw;
    }
    if (raiz)
        m_savepointRaiz = nombre;
}
void Gestor::LiberarSavepoint(const std::string& nombre) {
    EjecutarDirecto("release " + nombre);
    if (nombre == m_savepointRaiz && EnTransaccion()) {
        EjecutarDirecto("commit");
        m_savepointRaiz.clear();
    }
}
void Gestor::VolverASavepoint(const std::string& nombre) {
    EjecutarDirecto("rollback to " + nombre);
    LiberarSavepoint(nombre);
}

} // namespace Almacor

namespace Almacor {

bool LlamadaSql::EsNulo(int i) const {
    return sqlite3_value_type(m_argv[i]) == SQLITE_NULL;
}

long long LlamadaSql::Entero(int i) const {
    return sqlite3_value_int64(m_argv[i]);
}

std::string_view LlamadaSql::Texto(int i) const {
    const unsigned char* t = sqlite3_value_text(m_argv[i]);
    if (!t)
        return {};
    return {reinterpret_cast<const char*>(t), static_cast<size_t>(sqlite3_value_bytes(m_argv[i]))};
}

void LlamadaSql::DevolverArgumento(int i) {
    sqlite3_result_value(m_ctx, m_argv[i]);
}

void LlamadaSql::DevolverTextoFijo(std::string_view texto) {
    sqlite3_result_text(m_ctx, texto.data(), static_cast<int>(texto.size()), SQLITE_STATIC);
}

void LlamadaSql::DevolverTexto(std::string_view texto) {
    sqlite3_result_text(m_ctx, texto.data(), static_cast<int>(texto.size()), SQLITE_TRANSIENT);
}

void LlamadaSql::DevolverEntero(long long valor) {
    sqlite3_result_int64(m_ctx, valor);
}

void LlamadaSql::DevolverNulo() {
    sqlite3_result_null(m_ctx);
}

namespace {

void LlamarFuncion(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    auto* registro = static_cast<FuncionSql::Registro*>(sqlite3_user_data(ctx));
    if (!registro->cuerpo) {
        sqlite3_result_error(ctx, "la función ya no está disponible", -1);
        return;
    }
    LlamadaSql llamada(ctx, argc, argv);
    try {
        registro->cuerpo(llamada);
    } catch (const std::exception& e) {
        sqlite3_result_error(ctx, e.what(), -1);
    } catch (...) {
        sqlite3_result_error(ctx, "error en la función", -1);
    }
}

void SoltarRegistro(void* p) {
    delete static_cast<FuncionSql::Registro*>(p);
}

} // namespace

FuncionSql::FuncionSql(Gestor& db, const std::string& nombre, int argumentos, Cuerpo cuerpo)
    : m_db(db), m_handle(db.Handle()), m_nombre(nombre), m_argumentos(argumentos),
      m_registro(new Registro{std::move(cuerpo)}) {
    if (!m_handle) {
        delete m_registro;
        throw AppError(3704, "Almacor.Gestor.FuncionSql", "La conexión está cerrada.");
    }
    // SQLite frees the registration (SoltarRegistro) when it is replaced,
    // removed or the connection closes, also when this call fails.
    const int rc = sqlite3_create_function_v2(m_handle, m_nombre.c_str(), m_argumentos, SQLITE_UTF8 | SQLITE_DIRECTONLY,
                                              m_registro, LlamarFuncion, nullptr, nullptr, SoltarRegistro);
    if (rc != SQLITE_OK)
        throw AppError(kErrorSql, "Almacor.Gestor.FuncionSql", sqlite3_errmsg(m_handle));
}

FuncionSql::~FuncionSql() {
    // The connection may have been closed or opened again meanwhile: then the
    // registration went with the old one.
    if (m_db.Handle() != m_handle)
        return;
    m_registro->cuerpo = nullptr;
    sqlite3_create_function_v2(m_handle, m_nombre.c_str(), m_argumentos, SQLITE_UTF8 | SQLITE_DIRECTONLY, nullptr,
                               nullptr, nullptr, nullptr, nullptr);
}

} // namespace Almacor
