#pragma once

class AlmacenAjustes;
class QWidget;

// Windows that come back as the operator left them: one call in a window's
// constructor, and the window restores its geometry and its tables' column
// widths and order when first shown, keeps them in the settings store when it
// hides, and always opens within its screen's available area.
namespace Ventana {

// The store that keeps them (nullptr: nothing is kept, windows still fit the screen).
void Almacen(AlmacenAjustes* almacen);
void Recordar(QWidget* ventana);
// Moves and shrinks the window into its screen's available area.
void Encajar(QWidget* ventana);

} // namespace Ventana
