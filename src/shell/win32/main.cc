// Pasahorario.exe: the stand-alone window, or, started by Tablerix with the
// mode word and its window handle, the same window inside the host's.
#include <windows.h>
// After windows.h:
#include <commctrl.h>
#include <objbase.h>

#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "shell/command_line.h"
#include "shell/error_text.h"
#include "shell/exchange_dir.h"
#include "shell/host_status.h"
#include "shell/win32/help_viewer.h"
#include "shell/win32/main_window.h"
#include "shell/win32/wide_text.h"

namespace pasahorario {
namespace {

namespace fs = std::filesystem;

fs::path ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return fs::path(path);
    }
    path.resize(path.size() * 2);
  }
}

// The host status goes through the system's private-profile writer, which
// keeps the rest of the host's INI file as it was.
bool WritePrivateProfileValue(const fs::path& file, std::string_view section, std::string_view key,
                              std::string_view value) {
  return WritePrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(value).c_str(),
                                    file.c_str()) != 0;
}

// A root-relative path resolved on the drive the program started on.
fs::path OnStartingDrive(const fs::path& path) {
  std::error_code ec;
  fs::path full = fs::absolute(path, ec);
  return ec ? path : full.make_preferred();
}

int RunProgram(HINSTANCE instance, int show_command) {
  const fs::path executable = ExecutablePath();
  MainWindowOptions options;
  options.form.parameters = SplitCommandLine(Narrow(GetCommandLineW()));
  options.form.exchange_dir = OnStartingDrive(DefaultExchangeDir());
  options.form.host_ini = HostIniPath(executable);
  options.form.write_ini = WritePrivateProfileValue;
  options.initial_dir = OnStartingDrive(L"\\xtemp\\delphos");
  options.help_file = executable.parent_path() / kHelpFileName;
  MainWindow window(instance, std::move(options));
  return window.Run(show_command);
}

}  // namespace
}  // namespace pasahorario

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  // The XML document component needs COM on this (the only) thread.
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    MessageBoxW(nullptr, L"No se pudo iniciar COM en el programa.", L"Pasahorario",
                MB_OK | MB_ICONERROR);
    return 1;
  }
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  int exit_code = 1;
  try {
    // The window, its form and the document go before COM does.
    exit_code = pasahorario::RunProgram(instance, show_command);
  } catch (const std::exception& e) {
    MessageBoxW(nullptr, pasahorario::Wide(pasahorario::UserErrorText(e, "el programa")).c_str(),
                L"Pasahorario", MB_OK | MB_ICONERROR);
  } catch (...) {
    MessageBoxW(nullptr, pasahorario::Wide(pasahorario::UnknownErrorText("el programa")).c_str(),
                L"Pasahorario", MB_OK | MB_ICONERROR);
  }
  CoUninitialize();
  return exit_code;
}
