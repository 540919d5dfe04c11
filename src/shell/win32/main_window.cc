#include "shell/win32/main_window.h"

#include <utility>

#include "shell/win32/dpi.h"
#include "shell/win32/glyphs.h"
#include "shell/win32/gradient.h"
#include "shell/win32/label.h"
#include "shell/win32/main_window_layout.h"
#include "shell/win32/resource.h"

namespace pasahorario {
namespace {

namespace layout = main_layout;

constexpr wchar_t kClassName[] = L"TMForm";
constexpr DWORD kFramedStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kFramedExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
// Posted when the window is first shown: the show handler runs then.
constexpr UINT kFormShow = WM_APP + 1;
#ifndef WM_DPICHANGED_AFTERPARENT
constexpr UINT WM_DPICHANGED_AFTERPARENT = 0x02E3;
#endif

RECT ScaledRect(const layout::Box& box, UINT dpi) {
  return RECT{Scale(box.left, dpi), Scale(box.top, dpi), Scale(box.left + box.width, dpi),
              Scale(box.top + box.height, dpi)};
}

HFONT MakeFont(const wchar_t* face, int points, bool bold, UINT dpi) {
  LOGFONTW lf{};
  lf.lfHeight = FontHeight(points, dpi);
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  wcsncpy_s(lf.lfFaceName, face, _TRUNCATE);
  return CreateFontIndirectW(&lf);
}

void DeleteHandle(HFONT& font) {
  if (font) DeleteObject(font);
  font = nullptr;
}

void DeleteHandle(HICON& icon) {
  if (icon) DestroyIcon(icon);
  icon = nullptr;
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, MainWindowOptions options)
    : instance_(instance), options_(std::move(options)), help_(options_.help_file) {}

MainWindow::~MainWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
  form_.reset();  // releases the document before COM goes
  DeleteHandle(font_);
  DeleteHandle(label_font_);
  DeleteHandle(banner_font_);
  DeleteHandle(check_icon_);
  DeleteHandle(door_icon_);
}

int MainWindow::Run(int show_command) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = ForwardToWindow<MainWindow>;
  wc.hInstance = instance_;
  wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_PASAHORARIO));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);

  dpi_ = DpiOf(nullptr);
  const SIZE size =
      WindowSizeForClient(Scale(layout::kClient.cx, dpi_), Scale(layout::kClient.cy, dpi_),
                          kFramedStyle, kFramedExStyle, dpi_);
  CreateWindowExW(kFramedExStyle, kClassName, layout::kCaption, kFramedStyle, CW_USEDEFAULT,
                  CW_USEDEFAULT, size.cx, size.cy, nullptr, nullptr, instance_, this);
  if (!hwnd_) {
    MessageBoxW(nullptr, L"No se pudo crear la ventana principal.", L"Pasahorario",
                MB_OK | MB_ICONERROR);
    return 1;
  }
  CreateControls();
  ApplyDpi(DpiOf(hwnd_));

  form_ = std::make_unique<TMForm>(*this, std::move(options_.form));
  form_->FormCreate();
  if (!embedded_) {
    // Centred on the screen.
    RECT window;
    GetWindowRect(hwnd_, &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& screen = monitor.rcMonitor;
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    SetWindowPos(hwnd_, nullptr, screen.left + (screen.right - screen.left - width) / 2,
                 screen.top + (screen.bottom - screen.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowWindow(hwnd_, show_command);
  UpdateWindow(hwnd_);

  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    // F1 comes as WM_HELP, which the system makes from the key.
    const bool ours = hwnd_ && (msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd));
    if (ours && IsDialogMessageW(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

void MainWindow::CreateControls() {
  for (const layout::Button& button : layout::kButtons) {
    const DWORD style =
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | (button.is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    CreateWindowExW(0, L"BUTTON", button.text, style, 0, 0, 0, 0, hwnd_,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(button.id)), instance_, nullptr);
  }
}

void MainWindow::ApplyDpi(UINT dpi) {
  dpi_ = dpi;
  DeleteHandle(font_);
  DeleteHandle(label_font_);
  DeleteHandle(banner_font_);
  DeleteHandle(check_icon_);
  DeleteHandle(door_icon_);
  font_ = MakeFont(L"MS Sans Serif", 8, false, dpi);
  label_font_ = MakeFont(L"Arial", 12, true, dpi);
  banner_font_ = MakeFont(L"MS Sans Serif", 8, true, dpi);
  check_icon_ = MakeCheckMarkIcon(Scale(16, dpi), Scale(4, dpi));
  door_icon_ = MakeDoorIcon(Scale(16, dpi), Scale(4, dpi));

  for (const layout::Button& button : layout::kButtons) {
    HWND control = Button(button.id);
    const RECT r = ScaledRect(layout::OnPanel(*button.panel, button.box), dpi);
    MoveWindow(control, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    HICON glyph = button.glyph == layout::Glyph::kCheckMark ? check_icon_
                  : button.glyph == layout::Glyph::kDoor    ? door_icon_
                                                            : nullptr;
    if (glyph) SendMessageW(control, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(glyph));
  }

  const int width = Scale(layout::kClient.cx, dpi);
  const int height = Scale(layout::kClient.cy, dpi);
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
  const DWORD ex_style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
  const SIZE size =
      framed_ ? WindowSizeForClient(width, height, style, ex_style, dpi) : SIZE{width, height};
  SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void MainWindow::Paint(HDC target) {
  RECT client;
  GetClientRect(hwnd_, &client);
  // Drawn off screen first, so that the gradients do not flicker.
  HDC dc = CreateCompatibleDC(target);
  HBITMAP bitmap = CreateCompatibleBitmap(target, client.right, client.bottom);
  HGDIOBJ old_bitmap = SelectObject(dc, bitmap);

  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  for (const layout::Panel* panel : {&layout::kDraw3D2, &layout::kDraw3D3, &layout::kDraw3D1}) {
    FillVerticalGradient(dc, ScaledRect(panel->box, dpi_),
                         {panel->start, panel->middle, panel->end});
  }
  for (const layout::Label* label : {&layout::kLabel3, &layout::kLabel4, &layout::kLabel1}) {
    HFONT font = label->font == layout::LabelFont::kArialBold12 ? label_font_ : banner_font_;
    PaintLabel(dc, ScaledRect(layout::OnPanel(*label->panel, label->box), dpi_), label->text,
               {font, label->colour, std::nullopt, label->word_wrap});
  }

  BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
  SelectObject(dc, old_bitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

int MainWindow::DefaultButton() const {
  HWND focus = GetFocus();
  for (const layout::Button& button : layout::kButtons) {
    if (focus && focus == Button(button.id)) return button.id;
  }
  for (int id : {IDC_BEXPORTAR, IDC_BIMPORTAR}) {
    if (IsWindowEnabled(Button(id))) return id;
  }
  return 0;
}

void MainWindow::OnButton(int id) {
  if (running_) return;
  running_ = true;
  switch (id) {
    case IDC_BEXPORTAR:
      form_->BExportarClick();
      break;
    case IDC_BIMPORTAR:
      form_->BImportarClick();
      break;
    case IDC_BUTTON1:
      form_->Button1Click();
      break;
    case IDC_BCLOSE:
      CloseMainWindow();
      break;
    default:
      break;
  }
  running_ = false;
}

LRESULT MainWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      Paint(dc);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_SHOWWINDOW:
      if (wp && !shown_) {
        shown_ = true;
        PostMessageW(hwnd_, kFormShow, 0, 0);
      }
      break;
    case kFormShow:
      UpdateWindow(hwnd_);
      running_ = true;
      if (form_) form_->FormShow();
      running_ = false;
      return 0;
    case WM_COMMAND:
      if (HIWORD(wp) == BN_CLICKED) OnButton(LOWORD(wp));
      return 0;
    case DM_GETDEFID: {
      const int id = DefaultButton();
      return id ? MAKELRESULT(id, DC_HASDEFID) : 0;
    }
    case WM_HELP:
      ShowContextHelp();
      return TRUE;
    case WM_SETCURSOR:
      if (busy_) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_ACTIVATE:
      // Keeps the focused control across deactivation, as a dialog does.
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) last_focus_ = focus;
      } else {
        HWND focus = last_focus_ && IsWindowEnabled(last_focus_) ? last_focus_ : Button(IDC_BCLOSE);
        SetFocus(focus);
      }
      return 0;
    case WM_CLOSE:
      if (form_) form_->FormClose();
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_DPICHANGED: {
      MoveToSuggestedRect(hwnd_, lp);
      ApplyDpi(HIWORD(wp));
      return 0;
    }
    case WM_DPICHANGED_AFTERPARENT:
      ApplyDpi(DpiOf(hwnd_));
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace pasahorario
