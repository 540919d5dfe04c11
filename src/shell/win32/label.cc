#include "shell/win32/label.h"

namespace pasahorario {

RECT PaintLabel(HDC dc, RECT box, const wchar_t* text, const LabelStyle& style) {
  const UINT format =
      DT_LEFT | DT_TOP | DT_NOPREFIX | (style.word_wrap ? DT_WORDBREAK : DT_SINGLELINE);
  HGDIOBJ old_font = SelectObject(dc, style.font);
  RECT needed = box;
  DrawTextW(dc, text, -1, &needed, format | DT_CALCRECT);
  if (needed.right > box.right && !style.word_wrap) box.right = needed.right;
  if (needed.bottom > box.bottom) box.bottom = needed.bottom;
  if (style.background) {
    HBRUSH brush = CreateSolidBrush(*style.background);
    FillRect(dc, &box, brush);
    DeleteObject(brush);
  }
  const int old_mode = SetBkMode(dc, TRANSPARENT);
  const COLORREF old_colour = SetTextColor(dc, style.colour);
  RECT text_box = box;
  DrawTextW(dc, text, -1, &text_box, format);
  SetTextColor(dc, old_colour);
  SetBkMode(dc, old_mode);
  SelectObject(dc, old_font);
  return box;
}

}  // namespace pasahorario
