// Must not build: the platform reaching up into the application state.
#include "comun/Aplicacion.h"
