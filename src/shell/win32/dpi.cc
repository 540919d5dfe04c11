#include "shell/win32/dpi.h"

namespace pasahorario {
namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

template <typename Fn>
Fn User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                : nullptr;
}

UINT SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kBaseDpi;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

}  // namespace

UINT DpiOf(HWND hwnd) {
  static const auto get_dpi_for_window = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (hwnd && get_dpi_for_window) {
    const UINT dpi = get_dpi_for_window(hwnd);
    if (dpi != 0) return dpi;
  }
  return SystemDpi();
}

SIZE WindowSizeForClient(int client_width, int client_height, DWORD style, DWORD ex_style,
                         UINT dpi) {
  static const auto adjust_for_dpi = User32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  RECT rect{0, 0, client_width, client_height};
  if (!adjust_for_dpi || !adjust_for_dpi(&rect, style, FALSE, ex_style, dpi)) {
    AdjustWindowRectEx(&rect, style, FALSE, ex_style);
  }
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace pasahorario
