#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "base/durable_file.h"
#include "base/error.h"
#include "base/system_error.h"
#include "base/utf8_path.h"

namespace pasahorario {
namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(const std::string& what, const fs::path& file, int error) {
  throw Error(what + " " + PathToUtf8(file) + ": " + ErrnoText(error));
}

int OpenOrFail(const fs::path& file, int flags, const char* what, const fs::path& named = {}) {
  int fd;
  do {
    fd = ::open(file.c_str(), flags | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) Fail(what, named.empty() ? file : named, errno);
  return fd;
}

// fsync, then close; both checked. Closes `fd` in every case.
void SyncAndClose(int fd, const fs::path& file, const char* what) {
  int error = 0;
  if (::fsync(fd) != 0 && errno != EINVAL) error = errno;  // EINVAL: cannot be synced
  if (::close(fd) != 0 && error == 0 && errno != EINTR) error = errno;
  if (error != 0) Fail(what, file, error);
}

}  // namespace

void WriteFlushed(const fs::path& file, std::string_view bytes, const fs::path& shown_as) {
  const fs::path& named = shown_as.empty() ? file : shown_as;
  constexpr const char* kWhat = "No se pudo escribir el archivo";
  const int fd = OpenOrFail(file, O_WRONLY | O_CREAT | O_TRUNC, kWhat, named);
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : ENOSPC;
      ::close(fd);
      Fail(kWhat, named, error);
    }
    done += static_cast<size_t>(n);
  }
  SyncAndClose(fd, named, kWhat);
}

void FlushFile(const fs::path& file) {
  constexpr const char* kWhat = "No se pudo guardar en el disco el archivo";
  SyncAndClose(OpenOrFail(file, O_RDONLY, kWhat), file, kWhat);
}

void FlushDirectory(const fs::path& dir) {
  constexpr const char* kWhat = "No se pudo guardar en el disco la carpeta";
  const fs::path path = dir.empty() ? fs::path(".") : dir;
  SyncAndClose(OpenOrFail(path, O_RDONLY | O_DIRECTORY, kWhat), path, kWhat);
}

void RenameFile(const fs::path& from, const fs::path& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    throw Error("No se pudo sustituir el archivo " + PathToUtf8(to) + " por " + PathToUtf8(from) +
                ": " + ErrnoText(errno));
  }
}

}  // namespace pasahorario
