#pragma once
#include <string>

// The file-open dialog behind Lectran::Entorno::ShowOpen.
namespace DialogoArchivo {

// Installs the Qt dialog into the system-information component.
void Instalar();
// Tests choose the file ahead: the next ShowOpen returns `ruta` ("" = cancelled)
// without showing the dialog.
void SiguienteArchivo(const std::string& ruta);

} // namespace DialogoArchivo
