#include "shell/win32/inicio_clase_dialog.h"

#include "base/error.h"
#include "shell/hora_inicio_mask.h"
#include "shell/tmform.h"
#include "shell/win32/dpi.h"
#include "shell/win32/gradient.h"
#include "shell/win32/label.h"
#include "shell/win32/masked_entry.h"
#include "shell/win32/resource.h"
#include "shell/win32/wide_text.h"
#include "shell/win32/window_procedure.h"

namespace pasahorario {
namespace {

constexpr wchar_t kClassName[] = L"TFormInicioClase";
constexpr wchar_t kCaption[] = L"Hora de Inicio de las Clases";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr UINT kValidateEntry = WM_APP + 1;

// Geometry in pixels at 96 DPI: left, top, width, height.
constexpr RECT Box(int left, int top, int width, int height) {
  return RECT{left, top, left + width, top + height};
}
constexpr SIZE kClient{307, 106};
constexpr RECT kLabelExplica = Box(8, 8, 294, 13);
constexpr RECT kLabelIniClase = Box(8, 32, 198, 26);
constexpr RECT kMEHora0 = Box(227, 35, 44, 21);
constexpr RECT kButton1 = Box(208, 72, 75, 25);

constexpr COLORREF kExplicaBack = RGB(193, 255, 255);
constexpr COLORREF kIniClaseBack = RGB(255, 255, 255);
constexpr COLORREF kEntryBack = RGB(255, 255, 221);
constexpr COLORREF kEntryText = RGB(255, 0, 0);

constexpr wchar_t kExplica[] = L"Debe indicar la Hora de Inicio de la primera clase en el Centro.";
constexpr wchar_t kIniClase[] = L"Hora de Inicio de la Primera Clase: (Formato HH:MM)";

class InicioClaseDialog {
 public:
  InicioClaseDialog(HINSTANCE instance, HWND owner) : instance_(instance), owner_(owner) {}
  InicioClaseDialog(const InicioClaseDialog&) = delete;
  InicioClaseDialog& operator=(const InicioClaseDialog&) = delete;
  ~InicioClaseDialog() {
    if (hwnd_) DestroyWindow(hwnd_);
    DeleteFonts();
    if (entry_brush_) DeleteObject(entry_brush_);
  }

  std::string Run(std::string_view entry);

 private:
  template <typename W>
  friend LRESULT CALLBACK pasahorario::ForwardToWindow(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  void MakeFonts();
  void DeleteFonts();
  void Layout();
  void Paint(HDC dc);
  RECT Scaled(const RECT& r) const {
    return RECT{Scale(r.left, dpi_), Scale(r.top, dpi_), Scale(r.right, dpi_),
                Scale(r.bottom, dpi_)};
  }
  // Refuses an incomplete entry: the error box, then the focus back in it.
  // True when the entry is complete.
  bool CheckEntry();

  HINSTANCE instance_;
  HWND owner_;
  HWND hwnd_ = nullptr;
  HWND button_ = nullptr;
  HWND entry_ = nullptr;
  HWND last_focus_ = nullptr;
  HFONT font_ = nullptr;
  HFONT bold_font_ = nullptr;
  HBRUSH entry_brush_ = nullptr;
  UINT dpi_ = kBaseDpi;
  bool done_ = false;
};

std::string InicioClaseDialog::Run(std::string_view entry) {
  WNDCLASSEXW wc{};
  if (!GetClassInfoExW(instance_, kClassName, &wc)) {
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ForwardToWindow<InicioClaseDialog>;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_PASAHORARIO));
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
  }
  dpi_ = DpiOf(owner_);
  const SIZE size =
      WindowSizeForClient(Scale(kClient.cx, dpi_), Scale(kClient.cy, dpi_), kStyle, kExStyle, dpi_);
  // Centred on the screen (the owner's monitor).
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(owner_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& screen = monitor.rcMonitor;
  const int x = screen.left + (screen.right - screen.left - size.cx) / 2;
  const int y = screen.top + (screen.bottom - screen.top - size.cy) / 2;
  CreateWindowExW(kExStyle, kClassName, kCaption, kStyle, x, y, size.cx, size.cy, owner_, nullptr,
                  instance_, this);
  if (!hwnd_) throw Error("No se pudo abrir la ventana \"Hora de Inicio de las Clases\"");

  // Tab order: Button1, then MEHora0.
  button_ = CreateWindowExW(0, L"BUTTON", L"Continuar",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0, 0, 0,
                            hwnd_, reinterpret_cast<HMENU>(IDC_INICIO_BUTTON1), instance_, nullptr);
  entry_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, 0, 0, 0,
                           0, hwnd_, reinterpret_cast<HMENU>(IDC_MEHORA0), instance_, nullptr);
  entry_brush_ = CreateSolidBrush(kEntryBack);
  MakeFonts();
  Layout();
  AttachHoraInicioMask(entry_, entry);

  const bool owner_was_enabled = owner_ && IsWindowEnabled(owner_);
  if (owner_) EnableWindow(owner_, FALSE);
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  SetFocus(button_);

  MSG msg;
  while (!done_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop must see it too
      break;
    }
    if (got < 0) break;
    if (!IsDialogMessageW(hwnd_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  std::string text = HoraInicioText(entry_);
  // The owner is enabled again before this window goes, so that it gets
  // the activation back.
  if (owner_ && owner_was_enabled) EnableWindow(owner_, TRUE);
  DestroyWindow(hwnd_);
  return text;
}

void InicioClaseDialog::MakeFonts() {
  DeleteFonts();
  LOGFONTW lf{};
  lf.lfHeight = FontHeight(8, dpi_);
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  wcscpy_s(lf.lfFaceName, L"MS Sans Serif");
  font_ = CreateFontIndirectW(&lf);
  lf.lfWeight = FW_BOLD;
  bold_font_ = CreateFontIndirectW(&lf);
  SendMessageW(button_, WM_SETFONT, reinterpret_cast<WPARAM>(bold_font_), TRUE);
  SendMessageW(entry_, WM_SETFONT, reinterpret_cast<WPARAM>(bold_font_), TRUE);
  // Narrow inner margins: the five characters must fit in the 44 pixels.
  const int margin = Scale(2, dpi_);
  SendMessageW(entry_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, margin));
}

void InicioClaseDialog::DeleteFonts() {
  if (font_) DeleteObject(font_);
  if (bold_font_) DeleteObject(bold_font_);
  font_ = bold_font_ = nullptr;
}

void InicioClaseDialog::Layout() {
  const auto place = [this](HWND control, const RECT& box) {
    const RECT r = Scaled(box);
    MoveWindow(control, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  };
  place(button_, kButton1);
  place(entry_, kMEHora0);
}

void InicioClaseDialog::Paint(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  // Draw3DIniClase: red at the bottom edge fading to white at the top.
  FillVerticalGradient(dc, client, {RGB(255, 255, 255), RGB(255, 0, 0)});
  const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
  PaintLabel(dc, Scaled(kLabelExplica), kExplica, {font_, text, kExplicaBack, false});
  PaintLabel(dc, Scaled(kLabelIniClase), kIniClase, {bold_font_, text, kIniClaseBack, true});
}

bool InicioClaseDialog::CheckEntry() {
  if (HoraInicioComplete(entry_)) return true;
  MessageBoxW(hwnd_, Wide(StandardErrorText(kEntradaNoValida)).c_str(), L"Pasahorario",
              MB_OK | MB_ICONERROR);
  SetFocus(entry_);
  return false;
}

LRESULT InicioClaseDialog::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
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
    case WM_CTLCOLOREDIT:
      if (reinterpret_cast<HWND>(lp) == entry_) {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, kEntryText);
        SetBkColor(dc, kEntryBack);
        return reinterpret_cast<LRESULT>(entry_brush_);
      }
      break;
    case WM_ACTIVATE:
      // Keeps the focused control across deactivation, as a dialog does.
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) last_focus_ = focus;
      } else {
        SetFocus(last_focus_ ? last_focus_ : button_);
      }
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(IDC_INICIO_BUTTON1, DC_HASDEFID);
    case WM_COMMAND:
      if (LOWORD(wp) == IDC_INICIO_BUTTON1 && HIWORD(wp) == BN_CLICKED) {
        if (CheckEntry()) done_ = true;
        return 0;
      }
      if (LOWORD(wp) == IDC_MEHORA0 && HIWORD(wp) == EN_KILLFOCUS) {
        // Checked once the focus has landed, so that only a move inside
        // this dialog is refused (not a switch to another program).
        PostMessageW(hwnd_, kValidateEntry, 0, 0);
        return 0;
      }
      return 0;  // IDOK and IDCANCEL from the keyboard: nothing
    case kValidateEntry: {
      HWND focus = GetFocus();
      if (focus && focus != entry_ && IsChild(hwnd_, focus)) CheckEntry();
      return 0;
    }
    case WM_CLOSE:
      if (CheckEntry()) done_ = true;
      return 0;
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wp);
      MoveToSuggestedRect(hwnd_, lp);
      MakeFonts();
      Layout();
      InvalidateRect(hwnd_, nullptr, TRUE);
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace

std::string ShowFormInicioClase(HINSTANCE instance, HWND owner, std::string_view entry) {
  InicioClaseDialog dialog(instance, owner);
  return dialog.Run(entry);
}

}  // namespace pasahorario
