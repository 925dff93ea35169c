// Must not build: the classification reaching sideways into the import.
#include "import/modEntidadesTarvelo.h"
