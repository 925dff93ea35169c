#pragma once
#include <string>

namespace Postgres {
class Gestor;
}

// The customs system's tables on a PostgreSQL server: the same tables and
// columns as the file database, with the server's own means for what SQLite
// gave the file (case-insensitive texts, mid/left/instr, the word search).
namespace EsquemaServidor {

// 3: indexes on lower() of the codes, the word search's trigram index.
inline constexpr int kVersion = 4;

// Whether the database already holds our customs tables.
bool TieneTablas(Postgres::Gestor& db);
// Creates extensions, functions, tables and indexes in one transaction; with
// `reemplazar`, drops ours first.
void Crear(Postgres::Gestor& db, bool reemplazar);
// Checks that the database holds our tables at a version this program reads;
// one of an earlier version is brought up to this one.
void Verificar(Postgres::Gestor& db);
// Brings the functions and indexes of an earlier version up to this one.
void Actualizar(Postgres::Gestor& db);

} // namespace EsquemaServidor
