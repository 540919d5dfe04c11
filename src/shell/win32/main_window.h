// The main window TMForm on Win32: the window, its panels, labels and
// buttons, and the Ui that the portable TMForm commands talk to (file
// dialog, message boxes, start-time dialog, cursor, embedding in the host's
// window, help).
#pragma once
#include <windows.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/tmform.h"
#include "shell/ui.h"
#include "shell/win32/help_viewer.h"
#include "shell/win32/window_procedure.h"

namespace pasahorario {

struct MainWindowOptions {
  TMFormOptions form;                 // parameters, exchange directory, host INI, INI writer
  std::filesystem::path initial_dir;  // of the file dialog; \xtemp\delphos on the current drive
  std::filesystem::path help_file;    // DELPHOS.chm beside the executable
};

class MainWindow : public Ui {
 public:
  MainWindow(HINSTANCE instance, MainWindowOptions options);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window, runs the creation handler, shows the window (the
  // show handler runs once it is on screen) and handles messages until the
  // window has been closed. Returns the exit code of the program.
  int Run(int show_command);

  // Ui.
  std::optional<std::string> ChooseXmlFile() override;
  void ShowMessage(std::string_view text) override;
  void ShowError(std::string_view text) override;
  void ShowReport(const Report& report) override;
  std::string AskStartTime(std::string_view entry) override;
  void SetBusy(bool busy) override;
  void DisableDirectionButtons() override;
  void CloseMainWindow() override;
  void EmbedIn(uint32_t handle) override;
  void RemoveFrame() override;
  void ShowHelpContents() override;

 private:
  template <typename W>
  friend LRESULT CALLBACK pasahorario::ForwardToWindow(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);

  void CreateControls();
  // Fonts and glyphs for the current DPI, then every control in place and
  // the window's own size.
  void ApplyDpi(UINT dpi);
  void Paint(HDC dc);
  // Runs a button's command; a click that comes while a command runs is
  // ignored.
  void OnButton(int id);
  // F1: the help file at topic 1.
  void ShowContextHelp();
  // The control that Enter clicks: the focused button, or else the first
  // direction button that is enabled.
  int DefaultButton() const;
  // The window that owns message boxes and dialogs.
  HWND Owner() const;
  HWND Button(int id) const { return GetDlgItem(hwnd_, id); }

  HINSTANCE instance_;
  MainWindowOptions options_;
  HelpViewer help_;
  std::unique_ptr<TMForm> form_;
  HWND hwnd_ = nullptr;
  HWND last_focus_ = nullptr;
  UINT dpi_ = 96;
  HFONT font_ = nullptr;         // MS Sans Serif 8
  HFONT label_font_ = nullptr;   // Arial 12 bold
  HFONT banner_font_ = nullptr;  // MS Sans Serif 8 bold
  HICON check_icon_ = nullptr;
  HICON door_icon_ = nullptr;
  bool embedded_ = false;  // a child of the host's window
  bool framed_ = true;
  bool shown_ = false;
  bool busy_ = false;
  bool running_ = false;
};

}  // namespace pasahorario
