#pragma once

struct Aplicacion;

// The transfer of the current interno to the customs-declaration system.
// True when the declaration was written and committed.
bool FRM3_Tranferir(Aplicacion& app);
