#pragma once

struct Aplicacion;

// The classification run of the current interno. True when every stage ran;
// false after the missing-catalog message or an error (shown here).
bool FRAM2_GuardarDatosToBase(Aplicacion& app);
