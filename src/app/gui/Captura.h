#pragma once
#include <string>

struct Aplicacion;

// How many pictures a full run saves: fewer means one is missing.
constexpr int kCapturas = 12;
class frmMain;

// Pictures of the windows for the documentation: step 1, the import dialog,
// the settings dialog, the relation dialog, step 3 of the first interno and
// the preview of its report (first and last page), each saved as a PNG into `carpeta`. Returns how many were saved.
// The record list, the editor, the nomenclator search and the option picker come with step 3.
int CapturarVentanas(frmMain& ventana, Aplicacion& app, const std::string& carpeta);
