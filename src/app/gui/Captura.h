#pragma once
#include <string>

struct Aplicacion;
class frmMain;

// Pictures of the windows for the documentation: step 1, the import dialog,
// the settings dialog, the relation dialog, step 3 of the first interno and
// the preview of its report (first and last page), each saved as a PNG into `carpeta`. Returns how many were saved.
int CapturarVentanas(frmMain& ventana, Aplicacion& app, const std::string& carpeta);
