#include <windows.h>

#include <algorithm>
#include <string>

#include "base/durable_file.h"
#include "base/error.h"
#include "base/system_error.h"
#include "base/utf8_path.h"

namespace pasahorario {
namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(const std::string& what, const fs::path& file) {
  const std::string reason = LastSystemErrorText();
  throw Error(what + " " + PathToUtf8(file) + ": " + reason);
}

HANDLE OpenOrFail(const fs::path& file, DWORD disposition, const char* what,
                  const fs::path& named = {}) {
  const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) Fail(what, named.empty() ? file : named);
  return handle;
}

// FlushFileBuffers, then CloseHandle; both checked. Closes in every case.
void FlushAndClose(HANDLE handle, const fs::path& file, const char* what) {
  const bool flushed = FlushFileBuffers(handle);
  const DWORD error = flushed ? 0 : GetLastError();
  const bool closed = CloseHandle(handle);
  if (!flushed) SetLastError(error);
  if (!flushed || !closed) Fail(what, file);
}

}  // namespace

void WriteFlushed(const fs::path& file, std::string_view bytes, const fs::path& shown_as) {
  const fs::path& named = shown_as.empty() ? file : shown_as;
  constexpr const char* kWhat = "No se pudo escribir el archivo";
  const HANDLE handle = OpenOrFail(file, CREATE_ALWAYS, kWhat, named);
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
      if (written == 0 && GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_DISK_FULL);
      const DWORD error = GetLastError();
      CloseHandle(handle);
      SetLastError(error);
      Fail(kWhat, named);
    }
    done += written;
  }
  FlushAndClose(handle, named, kWhat);
}

void FlushFile(const fs::path& file) {
  constexpr const char* kWhat = "No se pudo guardar en el disco el archivo";
  FlushAndClose(OpenOrFail(file, OPEN_EXISTING, kWhat), file, kWhat);
}

void FlushDirectory(const fs::path&) {}

void RenameFile(const fs::path& from, const fs::path& to) {
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const std::string reason = LastSystemErrorText();
    throw Error("No se pudo sustituir el archivo " + PathToUtf8(to) + " por " + PathToUtf8(from) +
                ": " + reason);
  }
}

}  // namespace pasahorario
