// The Ui side of the main window: what the TMForm commands ask of it.
#include <windows.h>
// After windows.h:
#include <commdlg.h>

#include <string>
#include <vector>

#include "base/error.h"
#include "base/utf8_path.h"
#include "shell/error_text.h"
#include "shell/win32/dpi.h"
#include "shell/win32/inicio_clase_dialog.h"
#include "shell/win32/main_window.h"
#include "shell/win32/main_window_layout.h"
#include "shell/win32/report_dialog.h"
#include "shell/win32/resource.h"
#include "shell/win32/wide_text.h"

namespace pasahorario {
namespace {

constexpr wchar_t kTitle[] = L"Pasahorario";

}  // namespace

HWND MainWindow::Owner() const { return hwnd_; }

std::optional<std::string> MainWindow::ChooseXmlFile() {
  // Room for any path the dialog can return.
  std::vector<wchar_t> file(32768, L'\0');
  const std::wstring initial_dir = options_.initial_dir.wstring();
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = Owner();
  dialog.lpstrFilter = L"*.xml\0*.xml\0";
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = initial_dir.empty() ? nullptr : initial_dir.c_str();
  dialog.lpstrTitle = L"Seleccione Archivo XML obtenido de DELPHOS";
  dialog.lpstrDefExt = L"xml";
  // The chosen file need not exist; the command tells the user when it
  // does not. The current directory stays where the program started, so
  // that \XTEMP keeps naming the same folder.
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR;
  if (GetOpenFileNameW(&dialog)) return Narrow(file.data());
  const DWORD failure = CommDlgExtendedError();
  if (failure == 0) return std::nullopt;  // cancelled
  throw Error("No se pudo mostrar el diálogo para elegir el archivo XML (error " +
              std::to_string(failure) + " del sistema)");
}

void MainWindow::ShowMessage(std::string_view text) {
  MessageBoxW(Owner(), Wide(text).c_str(), kTitle, MB_OK);
}

void MainWindow::ShowReport(const Report& report) {
  // The save dialog proposes a file beside the chosen XML file.
  ReportDialogOptions options;
  if (form_ && !form_->FicheroXML().empty()) {
    const std::filesystem::path xml = PathFromUtf8(form_->FicheroXML());
    options.save_dir = xml.parent_path();
    options.save_name = L"Informe " + xml.stem().wstring() + L".txt";
  }
  // Hosted, the report belongs to the host's window, as the message boxes do.
  HWND owner = hwnd_ ? GetAncestor(hwnd_, GA_ROOT) : nullptr;
  try {
    ShowReportDialog(instance_, owner, report, options);
  } catch (const std::exception&) {
    // Without its window the report still reaches the user.
    std::string text = report.Summary();
    for (const std::string& line : report.GroupedLines()) text += "\n" + line;
    ShowMessage(text);
  }
}

void MainWindow::ShowError(std::string_view text) {
  MessageBoxW(Owner(), Wide(text).c_str(), kTitle, MB_OK | MB_ICONERROR);
}

std::string MainWindow::AskStartTime(std::string_view entry) {
  return ShowFormInicioClase(instance_, Owner(), entry);
}

void MainWindow::SetBusy(bool busy) {
  busy_ = busy;
  SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void MainWindow::DisableDirectionButtons() {
  if (!hwnd_) return;
  HWND focus = GetFocus();
  const bool had_focus = focus == Button(IDC_BEXPORTAR) || focus == Button(IDC_BIMPORTAR);
  EnableWindow(Button(IDC_BEXPORTAR), FALSE);
  EnableWindow(Button(IDC_BIMPORTAR), FALSE);
  // A disabled button cannot keep the keyboard: it goes to Salir.
  if (had_focus) SetFocus(Button(IDC_BCLOSE));
}

void MainWindow::CloseMainWindow() {
  if (hwnd_) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void MainWindow::EmbedIn(uint32_t handle) {
  // Window handles carry 32 significant bits and widen with their sign.
  HWND host = reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<int32_t>(handle)));
  // 0, or a number that names no window: the window stays top-level.
  if (!hwnd_ || !host || !IsWindow(host)) return;
  LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  style = (style & ~static_cast<LONG_PTR>(WS_POPUP)) | WS_CHILD;
  SetWindowLongPtrW(hwnd_, GWL_STYLE, style);
  if (SetParent(hwnd_, host)) {
    embedded_ = true;
  } else {
    SetWindowLongPtrW(hwnd_, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_CHILD));
  }
}

void MainWindow::RemoveFrame() {
  if (!hwnd_) return;
  LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  style &= ~static_cast<LONG_PTR>(WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_BORDER |
                                  WS_DLGFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
  if (!embedded_) style |= WS_POPUP;
  LONG_PTR ex_style = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
  ex_style &= ~static_cast<LONG_PTR>(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE |
                                     WS_EX_STATICEDGE);
  SetWindowLongPtrW(hwnd_, GWL_STYLE, style);
  SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex_style);
  framed_ = false;

  const int width = Scale(main_layout::kClient.cx, dpi_);
  const int height = Scale(main_layout::kClient.cy, dpi_);
  // Centred in the host's window, or on the screen when top-level.
  RECT area{};
  if (embedded_) {
    GetClientRect(GetParent(hwnd_), &area);
  } else {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    area = monitor.rcMonitor;
  }
  int x = area.left + (area.right - area.left - width) / 2;
  int y = area.top + (area.bottom - area.top - height) / 2;
  if (embedded_) {
    x = x < 0 ? 0 : x;
    y = y < 0 ? 0 : y;
  }
  SetWindowPos(hwnd_, nullptr, x, y, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void MainWindow::ShowHelpContents() { help_.ShowContents(Owner()); }

void MainWindow::ShowContextHelp() {
  try {
    help_.ShowTopic(Owner(), IDH_PRINCIPAL);
  } catch (const std::exception& e) {
    ShowError(StandardErrorText(UserErrorText(e, "la apertura de la ayuda")));
  }
}

}  // namespace pasahorario
