#pragma once
#include <string>

// The run log: one line per import, classification, depuration save, transfer
// and failure, in <home>/velmarion.log, so the office can tell afterwards what
// happened to an interno. Writing the log never stops a run.
namespace Bitacora {

// The log file of a home.
std::string Ruta(const std::string& home);

// Appends "date-time <TAB> user <TAB> interno <TAB> que <TAB> resultado <TAB> seconds".
// `que`: "importacion", "clasificacion", "depuracion", "transferencia", "arranque"...;
// `resultado`: "hecho", "detenido" or "fallido", optionally followed by ": " and
// the reason. Tabs and line breaks in the texts become blanks; an empty interno
// is written as "-". A log over 1 MB is first renamed to velmarion.log.1 (the
// previous one is dropped). Nothing is written when the home folder does not exist.
void Registrar(const std::string& home, const std::string& interno, const std::string& que,
               const std::string& resultado, double segundos);

// A steady clock in seconds: the seconds column is the difference of two readings.
double Ahora();

} // namespace Bitacora
