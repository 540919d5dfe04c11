#include "shell/win32/report_dialog.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "base/error.h"
#include "shell/error_text.h"
#include "shell/report_file.h"
#include "shell/tmform.h"
#include "shell/win32/dpi.h"
#include "shell/win32/resource.h"
#include "shell/win32/wide_text.h"
#include "shell/win32/window_procedure.h"

namespace pasahorario {
namespace {

constexpr wchar_t kClassName[] = L"PasahorarioInforme";
constexpr wchar_t kCaption[] = L"Informe de Pasahorario";
constexpr wchar_t kGuardar[] = L"&Guardar informe\u2026";
constexpr wchar_t kCerrar[] = L"&Cerrar";
constexpr wchar_t kTitle[] = L"Pasahorario";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr UINT_PTR kListSubclassId = 0x4946;  // "IF"

// Geometry in pixels at 96 DPI.
constexpr SIZE kClient{640, 320};
constexpr SIZE kSmallestClient{380, 200};
constexpr int kMargin = 12;
constexpr int kGap = 8;
constexpr int kIconSize = 32;
constexpr int kButtonHeight = 25;
constexpr int kButtonWidth = 89;    // at least; wider when the text needs it
constexpr int kButtonPadding = 24;  // around the text of a wider button

int TextWidth(HDC dc, std::wstring_view text) {
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &extent);
  return extent.cx;
}

// `line` broken at its blanks into lines no wider than `width` pixels in
// the font selected into `dc`. A wrapped bullet line goes on under the
// first word after its bullet (a hanging indent), other lines under their
// first word. A single word wider than `width` stays whole.
std::vector<std::wstring> Wrapped(HDC dc, const std::wstring& line, int width) {
  size_t start = line.find_first_not_of(L' ');
  if (start == std::wstring::npos) return {line};
  if (line.compare(start, 2, L"\u2022 ") == 0) start += 2;
  const int space = std::max(TextWidth(dc, L" "), 1);
  const std::wstring indent(
      static_cast<size_t>((TextWidth(dc, std::wstring_view(line).substr(0, start)) + space - 1) /
                          space),
      L' ');
  std::vector<std::wstring> out;
  std::wstring current = line.substr(0, start);
  bool empty = true;  // no word on `current` yet
  for (size_t at = start; at < line.size();) {
    size_t end = line.find(L' ', at);
    if (end == std::wstring::npos) end = line.size();
    const std::wstring_view word(line.data() + at, end - at);
    std::wstring candidate = current;
    if (!empty) candidate += L' ';
    candidate += word;
    if (empty || TextWidth(dc, candidate) <= width) {
      current = std::move(candidate);
    } else {
      out.push_back(std::move(current));
      current = indent + std::wstring(word);
    }
    empty = false;
    at = end + 1;
  }
  out.push_back(std::move(current));
  return out;
}

HFONT MakeFont(int points, bool bold, UINT dpi) {
  LOGFONTW lf{};
  lf.lfHeight = FontHeight(points, dpi);
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  wcscpy_s(lf.lfFaceName, L"MS Sans Serif");
  return CreateFontIndirectW(&lf);
}

// The list keeps arrows and characters (for selecting and Ctrl+C) but
// leaves Tab, Enter and Escape to the dialog, as a single-line entry does.
LRESULT CALLBACK ListProc(HWND list, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (msg == WM_GETDLGCODE) return DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL;
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(list, ListProc, kListSubclassId);
  return DefSubclassProc(list, msg, wp, lp);
}

bool PutOnClipboard(HWND owner, const std::wstring& text) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  bool done = false;
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t))) {
    if (auto* chars = static_cast<wchar_t*>(GlobalLock(memory))) {
      std::copy(text.c_str(), text.c_str() + text.size() + 1, chars);
      GlobalUnlock(memory);
      done = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    }
    if (!done) GlobalFree(memory);
  }
  CloseClipboard();
  return done;
}

// The system's warning icon drawn for `size` pixels. LoadIconWithScaleDown
// is in Common Controls 6 only (and in no import library of mingw-w64):
// without it, the standard icon is copied and stretched.
HICON WarningIcon(int size) {
  using LoadIconWithScaleDownFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
  HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
  const auto load = comctl ? reinterpret_cast<LoadIconWithScaleDownFn>(reinterpret_cast<void*>(
                                 GetProcAddress(comctl, "LoadIconWithScaleDown")))
                           : nullptr;
  HICON icon = nullptr;
  if (load && SUCCEEDED(load(nullptr, IDI_WARNING, size, size, &icon))) return icon;
  return CopyIcon(LoadIconW(nullptr, IDI_WARNING));
}

// Text without its access-key marks, as it is drawn.
std::wstring Shown(const wchar_t* text) {
  std::wstring shown;
  for (const wchar_t* c = text; *c; ++c) {
    if (*c != L'&') shown += *c;
  }
  return shown;
}

class ReportDialog {
 public:
  ReportDialog(HINSTANCE instance, HWND owner, const Report& report,
               const ReportDialogOptions& options)
      : instance_(instance), owner_(owner), report_(report), options_(options) {}
  ReportDialog(const ReportDialog&) = delete;
  ReportDialog& operator=(const ReportDialog&) = delete;
  ~ReportDialog() {
    if (hwnd_) DestroyWindow(hwnd_);
    DeleteResources();
  }

  void Run();

 private:
  template <typename W>
  friend LRESULT CALLBACK pasahorario::ForwardToWindow(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  int S(int value) const { return Scale(value, dpi_); }
  // Fonts and icon for the current DPI, given to the controls.
  void MakeResources();
  void DeleteResources();
  // Every control in place for the current client size.
  void Layout();
  // Puts the report's lines in the list, wrapped at its width.
  void WrapList();
  void Paint(HDC dc);
  // Ctrl+A selects the whole list; Ctrl+C with nothing selected in the list
  // copies the whole report. True when `msg` was such a key.
  bool OnShortcut(const MSG& msg);
  // "Guardar informe…": the save dialog, then the file.
  void Save();
  void ShowError(const std::string& text);
  int ButtonWidth(const wchar_t* text) const;

  HINSTANCE instance_;
  HWND owner_;
  const Report& report_;
  const ReportDialogOptions& options_;
  HWND hwnd_ = nullptr;
  HWND summary_ = nullptr;
  HWND list_ = nullptr;
  std::vector<std::wstring> lines_;  // the report's grouped lines, unwrapped
  HWND guardar_ = nullptr;
  HWND cerrar_ = nullptr;
  HWND last_focus_ = nullptr;
  HFONT font_ = nullptr;       // MS Sans Serif 8, as the main window
  HFONT bold_font_ = nullptr;  // the same, bold, for the summary
  HICON icon_ = nullptr;
  RECT icon_box_{};
  UINT dpi_ = kBaseDpi;
  bool done_ = false;
};

void ReportDialog::Run() {
  WNDCLASSEXW wc{};
  if (!GetClassInfoExW(instance_, kClassName, &wc)) {
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ForwardToWindow<ReportDialog>;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_PASAHORARIO));
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
  }
  dpi_ = DpiOf(owner_);
  const SIZE size = WindowSizeForClient(S(kClient.cx), S(kClient.cy), kStyle, kExStyle, dpi_);
  // Centred over the owner, inside the work area of its monitor.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(owner_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& area = monitor.rcWork;
  RECT over = area;
  if (owner_ && IsWindowVisible(owner_)) GetWindowRect(owner_, &over);
  int x = over.left + (over.right - over.left - size.cx) / 2;
  int y = over.top + (over.bottom - over.top - size.cy) / 2;
  x = std::max<int>(area.left, std::min<int>(x, area.right - size.cx));
  y = std::max<int>(area.top, std::min<int>(y, area.bottom - size.cy));
  CreateWindowExW(kExStyle, kClassName, kCaption, kStyle, x, y, size.cx, size.cy, owner_, nullptr,
                  instance_, this);
  if (!hwnd_) throw Error("No se pudo abrir la ventana \"Informe de Pasahorario\"");

  const auto control = [this](const wchar_t* cls, const wchar_t* text, DWORD style, DWORD ex,
                              int id) {
    return CreateWindowExW(ex, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, hwnd_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
  };
  // In tab order: the list, Guardar, Cerrar. The findings are sentences,
  // grouped by kind: wrapped at the list's width (Layout), each marked with
  // a bullet where it starts.
  summary_ = control(L"STATIC", Wide(report_.Summary()).c_str(), SS_LEFT | SS_NOPREFIX, 0,
                     IDC_INFORME_RESUMEN);
  for (const std::string& line : report_.GroupedLines()) lines_.push_back(Wide(line));
  list_ =
      control(L"EDIT", L"",
              WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_NOHIDESEL,
              WS_EX_CLIENTEDGE, IDC_INFORME_LISTA);
  SendMessageW(list_, EM_SETLIMITTEXT, 0, 0);
  SetWindowSubclass(list_, ListProc, kListSubclassId, 0);
  guardar_ = control(L"BUTTON", kGuardar, WS_TABSTOP | BS_PUSHBUTTON, 0, IDC_INFORME_GUARDAR);
  cerrar_ = control(L"BUTTON", kCerrar, WS_TABSTOP | BS_DEFPUSHBUTTON, 0, IDC_INFORME_CERRAR);
  dpi_ = DpiOf(hwnd_);
  MakeResources();
  Layout();

  const bool owner_was_enabled = owner_ && IsWindowEnabled(owner_);
  if (owner_) EnableWindow(owner_, FALSE);
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  SetFocus(list_);

  MSG msg;
  while (!done_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop must see it too
      break;
    }
    if (got < 0) break;
    if (OnShortcut(msg)) continue;
    if (!IsDialogMessageW(hwnd_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  // The owner is enabled again before this window goes, so that it gets
  // the activation back.
  if (owner_ && owner_was_enabled) EnableWindow(owner_, TRUE);
  DestroyWindow(hwnd_);
}

void ReportDialog::MakeResources() {
  DeleteResources();
  font_ = MakeFont(8, false, dpi_);
  bold_font_ = MakeFont(8, true, dpi_);
  icon_ = WarningIcon(S(kIconSize));
  SendMessageW(summary_, WM_SETFONT, reinterpret_cast<WPARAM>(bold_font_), FALSE);
  for (HWND control : {list_, guardar_, cerrar_}) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  }
  const int margin = S(3);
  SendMessageW(list_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, margin));
}

void ReportDialog::DeleteResources() {
  if (font_) DeleteObject(font_);
  if (bold_font_) DeleteObject(bold_font_);
  if (icon_) DestroyIcon(icon_);
  font_ = bold_font_ = nullptr;
  icon_ = nullptr;
}

int ReportDialog::ButtonWidth(const wchar_t* text) const {
  const std::wstring shown = Shown(text);
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old_font = SelectObject(dc, font_);
  SIZE extent{};
  GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &extent);
  SelectObject(dc, old_font);
  ReleaseDC(hwnd_, dc);
  return std::max<int>(S(kButtonWidth), static_cast<int>(extent.cx) + S(kButtonPadding));
}

void ReportDialog::Layout() {
  RECT client;
  GetClientRect(hwnd_, &client);
  const int width = client.right;
  const int height = client.bottom;
  const int margin = S(kMargin);
  const int gap = S(kGap);

  icon_box_ = RECT{margin, margin, margin + S(kIconSize), margin + S(kIconSize)};
  // The summary beside the icon, wrapped at the window's width; a short one
  // is centred on the icon.
  const int text_left = icon_box_.right + margin;
  const int text_width = std::max(width - text_left - margin, S(40));
  const int length = GetWindowTextLengthW(summary_);
  std::wstring summary(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(summary_, summary.data(), length + 1);
  summary.resize(static_cast<size_t>(length));
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old_font = SelectObject(dc, bold_font_);
  RECT needed{0, 0, text_width, 0};
  DrawTextW(dc, summary.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old_font);
  ReleaseDC(hwnd_, dc);
  const int summary_height = needed.bottom;
  const int icon_height = icon_box_.bottom - icon_box_.top;
  const int summary_top =
      summary_height < icon_height ? margin + (icon_height - summary_height) / 2 : margin;
  MoveWindow(summary_, text_left, summary_top, text_width, summary_height, TRUE);

  const int button_height = S(kButtonHeight);
  const int button_top = height - margin - button_height;
  const int cerrar_width = ButtonWidth(kCerrar);
  const int guardar_width = ButtonWidth(kGuardar);
  const int cerrar_left = width - margin - cerrar_width;
  MoveWindow(cerrar_, cerrar_left, button_top, cerrar_width, button_height, TRUE);
  MoveWindow(guardar_, cerrar_left - gap - guardar_width, button_top, guardar_width, button_height,
             TRUE);

  const int list_top = std::max<int>(icon_box_.bottom, summary_top + summary_height) + gap;
  MoveWindow(list_, margin, list_top, width - 2 * margin, std::max(button_top - gap - list_top, 0),
             TRUE);
  WrapList();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void ReportDialog::WrapList() {
  RECT format{};
  SendMessageW(list_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  // Room for the scroll bar whether it shows or not, so that the lines do
  // not change when it comes.
  const int width = std::max<int>(format.right - format.left -
                                      std::max(GetSystemMetrics(SM_CXVSCROLL), S(17)) - S(2),
                                  S(40));
  HDC dc = GetDC(list_);
  HGDIOBJ old_font = SelectObject(dc, font_);
  std::wstring text;
  bool first = true;
  for (const std::wstring& line : lines_) {
    for (const std::wstring& piece : Wrapped(dc, line, width)) {
      if (!first) text += L"\r\n";
      text += piece;
      first = false;
    }
  }
  SelectObject(dc, old_font);
  ReleaseDC(list_, dc);
  const int length = GetWindowTextLengthW(list_);
  std::wstring shown(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(list_, shown.data(), length + 1);
  shown.resize(static_cast<size_t>(length));
  if (shown != text) SetWindowTextW(list_, text.c_str());
}

void ReportDialog::Paint(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  if (icon_) {
    DrawIconEx(dc, icon_box_.left, icon_box_.top, icon_, icon_box_.right - icon_box_.left,
               icon_box_.bottom - icon_box_.top, 0, nullptr, DI_NORMAL);
  }
}

bool ReportDialog::OnShortcut(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || !(GetKeyState(VK_CONTROL) & 0x8000) ||
      (GetKeyState(VK_MENU) & 0x8000)) {
    return false;
  }
  if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
  if (msg.wParam == 'A') {
    SetFocus(list_);
    SendMessageW(list_, EM_SETSEL, 0, -1);
    return true;
  }
  if (msg.wParam == 'C') {
    DWORD from = 0, to = 0;
    SendMessageW(list_, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    if (msg.hwnd == list_ && to > from) return false;  // the list copies its selection
    const std::string bytes = ReportFileBytes(report_);
    const std::string_view text = std::string_view(bytes).substr(3);  // without the byte-order mark
    if (!PutOnClipboard(hwnd_, Wide(text))) MessageBeep(MB_ICONWARNING);
    return true;
  }
  return false;
}

void ReportDialog::Save() {
  // Room for any path the dialog can return.
  std::vector<wchar_t> file(32768, L'\0');
  const std::wstring name = options_.save_name.empty() ? L"Informe.txt" : options_.save_name;
  std::copy_n(name.c_str(), std::min(name.size(), file.size() - 1), file.begin());
  const std::wstring initial_dir = options_.save_dir.wstring();
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = hwnd_;
  dialog.lpstrFilter = L"Texto (*.txt)\0*.txt\0Todos los archivos (*.*)\0*.*\0";
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = initial_dir.empty() ? nullptr : initial_dir.c_str();
  dialog.lpstrTitle = L"Guardar informe";
  dialog.lpstrDefExt = L"txt";
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR |
                 OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
  if (!GetSaveFileNameW(&dialog)) {
    const DWORD failure = CommDlgExtendedError();
    if (failure != 0) {
      ShowError("No se pudo mostrar el diálogo para guardar el informe (error " +
                std::to_string(failure) + " del sistema)");
    }
    return;
  }
  try {
    SaveReportFile(std::filesystem::path(file.data()), report_);
  } catch (const std::exception& e) {
    ShowError(UserErrorText(e, "la escritura del informe"));
  }
}

void ReportDialog::ShowError(const std::string& text) {
  MessageBoxW(hwnd_, Wide(StandardErrorText(text)).c_str(), kTitle, MB_OK | MB_ICONERROR);
}

LRESULT ReportDialog::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
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
    case WM_CTLCOLORSTATIC:
      // The read-only list reads like a document: window colours, not grey.
      if (reinterpret_cast<HWND>(lp) == list_) {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      break;
    case WM_SIZE:
      if (list_) Layout();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(lp);
      const SIZE smallest =
          WindowSizeForClient(S(kSmallestClient.cx), S(kSmallestClient.cy), kStyle, kExStyle, dpi_);
      limits->ptMinTrackSize = POINT{smallest.cx, smallest.cy};
      return 0;
    }
    case WM_ACTIVATE:
      // Keeps the focused control across deactivation, as a dialog does.
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) last_focus_ = focus;
      } else if (list_) {
        SetFocus(last_focus_ ? last_focus_ : list_);
      }
      return 0;
    case DM_GETDEFID: {
      // Enter presses the focused button, else Cerrar.
      HWND focus = GetFocus();
      const int id = focus == guardar_ ? IDC_INFORME_GUARDAR : IDC_INFORME_CERRAR;
      return MAKELRESULT(id, DC_HASDEFID);
    }
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDC_INFORME_GUARDAR:
          if (HIWORD(wp) == BN_CLICKED) Save();
          return 0;
        case IDC_INFORME_CERRAR:
          if (HIWORD(wp) == BN_CLICKED) done_ = true;
          return 0;
        case IDOK:
        case IDCANCEL:  // Escape
          done_ = true;
          return 0;
        default:
          return 0;
      }
    case WM_CLOSE:
      done_ = true;
      return 0;
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wp);
      MakeResources();
      MoveToSuggestedRect(hwnd_, lp);
      Layout();
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace

void ShowReportDialog(HINSTANCE instance, HWND owner, const Report& report,
                      const ReportDialogOptions& options) {
  ReportDialog dialog(instance, owner, report, options);
  dialog.Run();
}

}  // namespace pasahorario
