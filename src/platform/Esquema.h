#pragma once
#include <string>
#include <vector>

namespace Almacor {
class Gestor;
}
class Conexion;

// Tables, columns and indexes of the two databases, with a schema version in
// each file (PRAGMA user_version) so later versions can upgrade it.
namespace Esquema {

inline constexpr int kVersionTrabajo = 4;
inline constexpr int kVersionAduana = 3;

// Creates the tables of a new work database (INTN, ART, ARTINS, ORG, pais).
void CrearTrabajo(Almacor::Gestor& db);
// Creates the customs system's tables (catalog, nomenclator, suffixes, units,
// and the declaration tables the transfer writes).
void CrearAduana(Almacor::Gestor& db);

// Checks the version of an opened database and brings an older one up to date
// inside one transaction; a file that is not ours, or is newer, is an error.
void VerificarTrabajo(Almacor::Gestor& db);
void VerificarAduana(Almacor::Gestor& db);

// Ends the history of corrections of an interno whose articles are deleted
// (a re-import, a delete), inside the caller's transaction: its values belong
// to articles that no longer exist, and an undo would write them onto the new
// articles that take the same order numbers.
void OlvidarHistorial(Almacor::Gestor& db, const std::string& interno);

// A bulk load of the nomenclator: its word index is built once at the end
// (Reanudar, inside the same transaction) instead of row by row, where every
// statement would write a small index segment of its own.
void SuspenderTextoNcm(Conexion& db);
void ReanudarTextoNcm(Conexion& db);

// The import's indexes: inside the import's transaction, the indexes of ART and
// ARTINS that the row inserts do not need are dropped when the tables hold no
// more than about `filasNuevas` rows, and built again from the finished rows
// (a rollback brings them back as they were): those the linking of inputs to
// articles reads before it, the rest before the commit.
struct IndicesImportacion {
    std::vector<std::string> Enlace, Resto; // the statements that build them again
};
IndicesImportacion SuspenderIndicesImportacion(Almacor::Gestor& db, long filasNuevas);
void ReanudarIndicesEnlace(Almacor::Gestor& db, IndicesImportacion& indices);
void ReanudarIndicesImportacion(Almacor::Gestor& db, IndicesImportacion& indices);

} // namespace Esquema
