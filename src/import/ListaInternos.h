#pragma once
#include "comun/Operador.h"

#include <string>
#include <vector>

struct Aplicacion;

// The interno list of step 1.
namespace ListaInternos {

struct Item {
    std::string INTNRO, INTDSC;
};

// "select * from INTN order by INTNRO". An error shows its message and the
// items read so far are returned (`ok`, when given, tells whether the list is whole).
std::vector<Item> FRAM1_CargarInternos(Aplicacion& app, bool* ok = nullptr);

// Asks "Desea eliminar el Interno N?" and on Yes deletes its ARTINS, ART and
// INTN rows, all or none. Hecho when the INTN delete removed a row, so the list
// item goes; Detenido after No or when there was no such interno; Fallido when
// an error was shown (nothing deleted).
Resultado FRAM1_EliminarInterno(Aplicacion& app, const std::string& interno);

} // namespace ListaInternos
