#pragma once
#include "platform/Recordset.h"

#include <string>
#include <string_view>
#include <vector>

class SentenciaSql;
struct sqlite3;
struct sqlite3_stmt;

namespace Almacor {

class Gestor;

// A forward-only walk over the rows of one query on a work database, stepped
// row by row: a walk holds one row in memory whatever the table's size, where
// a Recordset holds them all. Reads like a Recordset (Eof, MoveNext, Fields).
// Nothing may write the walked tables while the walk is open, since it sees
// rows as it reaches them; the cursor takes its own statement, so other
// queries on the same connection may run meanwhile.
class Cursor {
public:
    // Runs the statement (rendered and bound, as Gestor runs it) and stands
    // on its first row.
    Cursor(Gestor& db, const SentenciaSql& sentencia);
    ~Cursor();
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    bool Eof() const { return m_st == nullptr; }
    void MoveNext();
    // 1-based position of the current row.
    long AbsolutePosition() const { return m_posicion; }
    // The named field of the current row (names compare without case); an
    // unknown name or a read past the end raises the same errors a Recordset does.
    const Valor& Fields(std::string_view nombre) const;
    const Valor& Fields(size_t indice) const;
    const std::vector<std::string>& Columnas() const { return m_columnas; }

private:
    // Takes in the result of a step: a new row, or the end of the rows.
    void Tras(int rc);
    void Preparar(const std::string& texto);
    void Comenzar();
    void Cerrar();
    const Valor& Leer(size_t indice) const;

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_st = nullptr; // null once the rows are over: the read ends as soon as it can
    std::vector<std::string> m_columnas;
    long m_posicion = 0;
    // The current row, each column read from the statement only when asked:
    // walks read a few of the many columns of a "select *".
    mutable std::vector<Valor> m_fila;
    mutable std::vector<char> m_leida;
    // Names as the caller spells them, each resolved to its column once. A
    // walk asks the same names in much the same order on every row, so each
    // name remembers the one asked after it last time, which is tried first.
    struct Pedido {
        std::string nombre;
        size_t columna;
        size_t sucesor;
    };
    static constexpr size_t kNinguno = static_cast<size_t>(-1);
    mutable std::vector<Pedido> m_pedidos;
    mutable size_t m_primero = kNinguno; // the first name asked on a row
    mutable size_t m_previo = kNinguno;  // the last name asked on this row
};

// The rows that `desde` (a statement's "from ... where ..." part) selects,
// counted by the database: what a walk's progress bar needs before the walk.
long ContarFilas(Gestor& db, const SentenciaSql& desde);

} // namespace Almacor
