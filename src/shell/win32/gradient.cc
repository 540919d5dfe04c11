#include "shell/win32/gradient.h"

#include <cassert>
#include <vector>

namespace pasahorario {
namespace {

TRIVERTEX Vertex(LONG x, LONG y, COLORREF colour) {
  TRIVERTEX v{};
  v.x = x;
  v.y = y;
  v.Red = static_cast<COLOR16>(GetRValue(colour) << 8);
  v.Green = static_cast<COLOR16>(GetGValue(colour) << 8);
  v.Blue = static_cast<COLOR16>(GetBValue(colour) << 8);
  return v;
}

}  // namespace

void FillVerticalGradient(HDC dc, const RECT& rect, std::initializer_list<COLORREF> colours) {
  assert(colours.size() >= 2);
  const std::vector<COLORREF> stops(colours);
  const LONG height = rect.bottom - rect.top;
  const size_t bands = stops.size() - 1;
  for (size_t i = 0; i < bands; ++i) {
    const LONG top = rect.top + static_cast<LONG>(height * static_cast<LONGLONG>(i) / bands);
    const LONG bottom = rect.top + static_cast<LONG>(height * static_cast<LONGLONG>(i + 1) / bands);
    if (bottom <= top) continue;
    TRIVERTEX band[2] = {Vertex(rect.left, top, stops[i]),
                         Vertex(rect.right, bottom, stops[i + 1])};
    GRADIENT_RECT corners{0, 1};
    GradientFill(dc, band, 2, &corners, 1, GRADIENT_FILL_RECT_V);
  }
}

}  // namespace pasahorario
