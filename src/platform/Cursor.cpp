#include "platform/Cursor.h"

#include "platform/Almacor.h"
#include "platform/AppError.h"
#include "platform/SentenciaSql.h"
#include "platform/Texto.h"

#include <sqlite3.h>

#include <algorithm>

namespace Almacor {

namespace {
constexpr long kErrorSql = -2147217900; // the number every failing statement reports
} // namespace

Cursor::Cursor(Gestor& db, const SentenciaSql& sentencia) : m_db(db.Handle()) {
    Preparar(Gestor::Renderizar(sentencia));
    if (!NombresPropios(m_st)) {
        Cerrar();
        Preparar(Gestor::TraducirSql(sentencia.TextoSql()));
        Comenzar();
        return;
    }
    // Copied: the walk may outlive the statement object.
    if (Enlazar(m_st, sentencia.Valores(), sentencia.NumValores(), true) != SQLITE_OK) {
        const std::string msg = sqlite3_errmsg(m_db);
        Cerrar();
        throw AppError(kErrorSql, "Almacor.Cursor", msg);
    }
    Comenzar();
}

void Cursor::Preparar(const std::string& texto) {
    if (!m_db)
        throw AppError(3704, "Almacor.Cursor", "La conexión con la base de datos no está abierta.");
    const char* resto = nullptr;
    if (sqlite3_prepare_v2(m_db, texto.c_str(), static_cast<int>(texto.size()), &m_st, &resto) != SQLITE_OK)
        throw AppError(kErrorSql, "Almacor.Cursor", sqlite3_errmsg(m_db));
    for (; resto && *resto; ++resto) {
        if (*resto != ' ' && *resto != '\t' && *resto != '\r' && *resto != '\n' && *resto != ';') {
            Cerrar();
            throw AppError(kErrorSql, "Almacor.Cursor", "El texto contiene más de una instrucción SQL.");
        }
    }
    if (!m_st)
        throw AppError(kErrorSql, "Almacor.Cursor", "La instrucción SQL está vacía.");
}

void Cursor::Comenzar() {
    // Columns are read after the first step: the statement is prepared again
    // there when the schema changed since, and "*" may then mean more.
    int rc = sqlite3_step(m_st);
    int columnas = sqlite3_column_count(m_st);
    for (int i = 0; i < columnas; ++i)
        m_columnas.emplace_back(sqlite3_column_name(m_st, i));
    m_fila.resize(m_columnas.size());
    m_leida.resize(m_columnas.size());
    Tras(rc);
}

Cursor::~Cursor() {
    Cerrar();
}

void Cursor::Cerrar() {
    sqlite3_finalize(m_st);
    m_st = nullptr;
}

void Cursor::Tras(int rc) {
    if (rc == SQLITE_ROW) {
        ++m_posicion;
        std::fill(m_leida.begin(), m_leida.end(), 0);
        m_previo = kNinguno;
        return;
    }
    std::string msg = rc == SQLITE_DONE ? std::string() : sqlite3_errmsg(m_db);
    Cerrar();
    if (rc != SQLITE_DONE)
        throw AppError(kErrorSql, "Almacor.Cursor", msg);
}

void Cursor::MoveNext() {
    if (m_st)
        Tras(sqlite3_step(m_st));
}

const Valor& Cursor::Leer(size_t i) const {
    Valor& v = m_fila[i];
    // The column's value read through one handle: each column call would
    // look the column up again. The connection is never shared between
    // threads (it opens without SQLite's mutexes), so the value needs no lock.
    sqlite3_value* c = sqlite3_column_value(m_st, static_cast<int>(i));
    switch (sqlite3_value_type(c)) {
    case SQLITE_NULL:
        v = Valor();
        break;
    case SQLITE_INTEGER:
        v = Valor::DeEntero(sqlite3_value_int64(c));
        break;
    case SQLITE_FLOAT:
        v = Valor::DeReal(sqlite3_value_double(c));
        break;
    default: {
        const unsigned char* t = sqlite3_value_text(c);
        v.PonerTexto(t ? reinterpret_cast<const char*>(t) : "", t ? sqlite3_value_bytes(c) : 0);
    }
    }
    m_leida[i] = 1;
    return v;
}

const Valor& Cursor::Fields(size_t indice) const {
    if (Eof())
        throw AppError(3021, "Recordset", "No hay registro actual (fin del recordset).");
    if (indice >= m_columnas.size())
        throw AppError(3265, "Recordset",
                       "No se encontró el elemento en la colección (campo " + std::to_string(indice) + ").");
    return m_leida[indice] ? m_fila[indice] : Leer(indice);
}

const Valor& Cursor::Fields(std::string_view nombre) const {
    size_t k = m_previo == kNinguno ? m_primero : m_pedidos[m_previo].sucesor;
    if (k >= m_pedidos.size() || m_pedidos[k].nombre != nombre) {
        k = 0;
        while (k < m_pedidos.size() && m_pedidos[k].nombre != nombre)
            ++k;
        if (k == m_pedidos.size()) {
            size_t i = 0;
            while (i < m_columnas.size() && !IgualSinMayusculas(m_columnas[i], nombre))
                ++i;
            if (i == m_columnas.size())
                throw AppError(3265, "Recordset",
                               "No se encontró el campo '" + std::string(nombre) + "' en el recordset.");
            m_pedidos.push_back({std::string(nombre), i, kNinguno});
        }
        (m_previo == kNinguno ? m_primero : m_pedidos[m_previo].sucesor) = k;
    }
    m_previo = k;
    return Fields(m_pedidos[k].columna);
}

long ContarFilas(Gestor& db, const SentenciaSql& desde) {
    SentenciaSql cuenta("select count(*)");
    Cursor c(db, cuenta.Anexar(desde));
    return static_cast<long>(c.Fields(size_t{0}).Numero());
}

} // namespace Almacor
