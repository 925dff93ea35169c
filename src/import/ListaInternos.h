#pragma once
#include <string>
#include <vector>

struct Aplicacion;

// The interno list of step 1.
namespace ListaInternos {

struct Item {
    std::string INTNRO, INTDSC;
};

// "select * from INTN order by INTNRO". An error shows its message and the
// items read so far are returned.
std::vector<Item> FRAM1_CargarInternos(Aplicacion& app);

// Asks "Desea eliminar el Interno N?" and on Yes deletes its ARTINS, ART and
// INTN rows, all or none. True when the INTN delete removed a row, so the list
// item goes; an error shows its message and deletes nothing.
bool FRAM1_EliminarInterno(Aplicacion& app, const std::string& interno);

} // namespace ListaInternos
