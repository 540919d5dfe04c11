// The window procedure of every window class of the program. It keeps the
// C++ object given to CreateWindowEx in the window's user data from
// WM_NCCREATE on, sets its `hwnd_`, and hands every message to its
// OnMessage; from WM_NCDESTROY on the object hears nothing more and
// `hwnd_` is null again. A class names it as a friend:
//   template <typename W>
//   friend LRESULT CALLBACK pasahorario::ForwardToWindow(HWND, UINT, WPARAM, LPARAM);
#pragma once
#include <windows.h>

namespace pasahorario {

template <typename Window>
LRESULT CALLBACK ForwardToWindow(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  return self->OnMessage(msg, wp, lp);
}

// Moves `hwnd` to the rectangle that WM_DPICHANGED suggests in its `lp`.
inline void MoveToSuggestedRect(HWND hwnd, LPARAM lp) {
  const RECT* suggested = reinterpret_cast<const RECT*>(lp);
  SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
               suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace pasahorario
