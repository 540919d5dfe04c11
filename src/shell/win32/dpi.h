// Sizes of the windows are kept in pixels at 96 dots per inch and scaled to
// the monitor's DPI. The per-monitor functions are looked up at run time so
// that the program still starts on systems without them.
#pragma once
#include <windows.h>

namespace pasahorario {

inline constexpr int kBaseDpi = 96;

// `value` (pixels at 96 DPI) at `dpi`.
inline int Scale(int value, UINT dpi) { return MulDiv(value, static_cast<int>(dpi), kBaseDpi); }

// The DPI the window is shown at; the system DPI when the window has none
// of its own (before Windows 10, or with no window).
UINT DpiOf(HWND hwnd);

// The outer size of a window whose client area is `client_width` by
// `client_height` (already scaled) with the given styles at `dpi`.
SIZE WindowSizeForClient(int client_width, int client_height, DWORD style, DWORD ex_style,
                         UINT dpi);

// The font height for `points` at `dpi`, as LOGFONT::lfHeight wants it.
inline LONG FontHeight(int points, UINT dpi) { return -MulDiv(points, static_cast<int>(dpi), 72); }

}  // namespace pasahorario
