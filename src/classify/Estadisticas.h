#pragma once
#include <string>
#include <vector>

struct Aplicacion;

// The step-3 panel: six article counters and the CIF totals by sub-regime.
namespace Estadisticas {

struct Contadores {
    std::string Total, EnCatalogo, Nuevos, Erroneos, ErrPos, ErrSuf; // formatted "0000"
};
struct TotalCIF {
    std::string SubReg, CIF; // CIF formatted "00.00" with the locale's separator
};

// Has no error trap: errors go to the caller.
Contadores FRAM3_CargarEstadisticas(Aplicacion& app);
// An error shows its message; the rows read so far are returned (and `ok`,
// when given, tells whether the list is complete).
std::vector<TotalCIF> CargarTotalesCIF(Aplicacion& app, bool* ok = nullptr);

} // namespace Estadisticas
