#include <windows.h>

#include <cerrno>

#include "base/system_error.h"
#include "base/system_error_platform.h"

namespace pasahorario {
namespace {

// The system's wording of `code` in UTF-8, without the final line end,
// followed by the code itself.
std::string WindowsErrorText(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring wide(buffer ? buffer : L"", length);
  if (buffer) LocalFree(buffer);
  while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' ')) {
    wide.pop_back();
  }
  std::string text;
  if (!wide.empty()) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    text.resize(static_cast<size_t>(size));
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                        nullptr, nullptr);
  }
  if (code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL) {
    text = "no queda espacio en el disco (el disco está lleno)" + (text.empty() ? "" : ": " + text);
  }
  if (text.empty()) text = "error del sistema";
  return text + " (código " + std::to_string(code) + ")";
}

}  // namespace

std::string PlatformErrnoText(int error) {
  return "error del sistema número " + std::to_string(error);
}

std::string SystemErrorText(const std::error_code& ec) {
  if (ec.category() == std::system_category())
    return WindowsErrorText(static_cast<DWORD>(ec.value()));
  return ErrnoText(ec.value());
}

std::string LastSystemErrorText() { return WindowsErrorText(GetLastError()); }

}  // namespace pasahorario
