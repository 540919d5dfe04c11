// Gradient panels: a rectangle filled from top to bottom through two or
// more colours spaced evenly.
#pragma once
#include <windows.h>

#include <initializer_list>

namespace pasahorario {

// Fills `rect` of `dc` with a vertical gradient: the first colour at the
// top edge, the last at the bottom edge, the others evenly between them.
// Requires: at least two colours.
void FillVerticalGradient(HDC dc, const RECT& rect, std::initializer_list<COLORREF> colours);

}  // namespace pasahorario
