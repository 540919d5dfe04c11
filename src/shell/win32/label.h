// Labels are painted by their window, not kept as controls: text in a box,
// on the window's own background or on a colour of their own.
#pragma once
#include <windows.h>

#include <optional>

namespace pasahorario {

struct LabelStyle {
  HFONT font = nullptr;
  COLORREF colour = RGB(0, 0, 0);
  std::optional<COLORREF> background;  // default: transparent
  bool word_wrap = false;
};

// Paints `text` in `box` (pixels of `dc`). The box grows to fit the text,
// as a label sized to its contents does: to the right for a single line, and
// downwards when words wrap at the box's width. Returns the box painted.
RECT PaintLabel(HDC dc, RECT box, const wchar_t* text, const LabelStyle& style);

}  // namespace pasahorario
