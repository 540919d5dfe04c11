// The button glyphs, drawn by the program itself at the size the DPI asks
// for: the OK check mark of the two direction buttons and the door of the
// close button.
#pragma once
#include <windows.h>

namespace pasahorario {

// Each glyph is `size` pixels square and followed by `gap` transparent
// columns (the space before the button's text); transparent around the
// drawing. The caller owns the icon (DestroyIcon).

// A green check mark.
HICON MakeCheckMarkIcon(int size, int gap);

// A door standing open in its frame.
HICON MakeDoorIcon(int size, int gap);

}  // namespace pasahorario
