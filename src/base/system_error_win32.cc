#include <windows.h>

#include <cerrno>

#include "base/system_error.h"
#include "base/system_error_platform.h"

namespace pasahorario {
namespace {

// Spanish words for the system's error codes that users meet; empty for
// the rest.
std::string SpanishText(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ErrnoText(ENOENT);
    case ERROR_TOO_MANY_OPEN_FILES:
      return ErrnoText(EMFILE);
    case ERROR_ACCESS_DENIED:
      return ErrnoText(EACCES);
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ErrnoText(ENOMEM);
    case ERROR_INVALID_DRIVE:
      return "no existe la unidad";
    case ERROR_NOT_SAME_DEVICE:
      return ErrnoText(EXDEV);
    case ERROR_WRITE_PROTECT:
      return "el disco está protegido contra escritura";
    case ERROR_NOT_READY:
      return "la unidad no está preparada";
    case ERROR_CRC:
    case ERROR_SEEK:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
      return ErrnoText(EIO);
    case ERROR_SHARING_VIOLATION:
      return "está abierto en otro programa";
    case ERROR_LOCK_VIOLATION:
      return ErrnoText(EAGAIN);
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL:
      return ErrnoText(ENOSPC);
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return "no se encuentra la ruta de red";
    case ERROR_NETNAME_DELETED:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_DEV_NOT_EXIST:
      return "se ha perdido la conexión con la unidad de red";
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return ErrnoText(EEXIST);
    case ERROR_CANNOT_MAKE:
      return "no se puede crear el archivo o la carpeta";
    case ERROR_INVALID_NAME:
      return "el nombre no es válido";
    case ERROR_DIR_NOT_EMPTY:
      return ErrnoText(ENOTEMPTY);
    case ERROR_FILENAME_EXCED_RANGE:
      return ErrnoText(ENAMETOOLONG);
    case ERROR_DIRECTORY:
      return "una parte de la ruta no es una carpeta, o es una carpeta donde debería haber un "
             "archivo";
    case ERROR_USER_MAPPED_FILE:
      return ErrnoText(EBUSY);
    case ERROR_FILE_CORRUPT:
    case ERROR_DISK_CORRUPT:
      return "el archivo o el disco está dañado";
    case ERROR_NOT_ENOUGH_QUOTA:
      return "se ha agotado la cuota de disco del usuario";
    default:
      return {};
  }
}

// The system's wording of `code` in UTF-8, without the final line end,
// followed by the code itself.
std::string SystemWording(DWORD code) {
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
  return text.empty() ? "error del sistema" : text;
}

// Spanish words when there are some, else the system's; then the code.
std::string WindowsErrorText(DWORD code) {
  std::string text = SpanishText(code);
  if (text.empty()) text = SystemWording(code);
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
