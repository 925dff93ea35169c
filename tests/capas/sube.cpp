// Must not build: the import's logic reaching up into its own windows.
#include "import/gui/frmInterno.h"
