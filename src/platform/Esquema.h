#pragma once
#include <string>

namespace Almacor {
class Gestor;
}

// Tables, columns and indexes of the two databases, with a schema version in
// each file (PRAGMA user_version) so later versions can upgrade it.
namespace Esquema {

inline constexpr int kVersionTrabajo = 4;
inline constexpr int kVersionAduana = 2;

// Creates the tables of a new work database (INTN, ART, ARTINS, ORG, pais).
void CrearTrabajo(Almacor::Gestor& db);
// Creates the customs system's tables (catalog, nomenclator, suffixes, units,
// and the declaration tables the transfer writes).
void CrearAduana(Almacor::Gestor& db);

// Checks the version of an opened database and brings an older one up to date
// inside one transaction; a file that is not ours, or is newer, is an error.
void VerificarTrabajo(Almacor::Gestor& db);
void VerificarAduana(Almacor::Gestor& db);

// A bulk load of the nomenclator: its word index is built once at the end
// (Reanudar, inside the same transaction) instead of row by row, where every
// statement would write a small index segment of its own.
void SuspenderTextoNcm(Almacor::Gestor& db);
void ReanudarTextoNcm(Almacor::Gestor& db);

} // namespace Esquema
