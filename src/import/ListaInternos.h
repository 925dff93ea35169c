#pragma once
#include "comun/Operador.h"

#include <string>
#include <vector>

struct Aplicacion;

// The interno list of step 1.
namespace ListaInternos {

enum class Transferido { No, Si, Desconocido };
struct Item {
    std::string INTNRO, INTDSC;
    long Articulos = 0;                     // its ART rows
    long PorDepurar = 0;                    // of them, still to depurate (the F1 list's rows)
    Transferido EnAduana = Transferido::No; // it has a cover in the customs database
};
// "Sí", "No", or "?" when the customs database could not be asked.
const char* TextoTransferido(Transferido t);

// "select * from INTN order by INTNRO", each item with its article counts
// (one grouped query for all of them) and whether it was transferred (one
// query on the covers). An error shows its message and the items read so far
// are returned (`ok`, when given, tells whether the list is whole); covers
// that cannot be read leave "?" without a message, so a customs database out
// of reach never stops the choice of an interno.
std::vector<Item> FRAM1_CargarInternos(Aplicacion& app, bool* ok = nullptr);

// Asks "Desea eliminar el Interno N?" and on Yes deletes its ARTINS, ART and
// INTN rows, all or none. Hecho when the INTN delete removed a row, so the list
// item goes; Detenido after No or when there was no such interno; Fallido when
// an error was shown (nothing deleted).
Resultado FRAM1_EliminarInterno(Aplicacion& app, const std::string& interno);

} // namespace ListaInternos
