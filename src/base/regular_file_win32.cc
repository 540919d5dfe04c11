#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "base/regular_file.h"
#include "base/regular_file_platform.h"
#include "base/system_error.h"

namespace pasahorario {
namespace {

// Closes the descriptor when it goes.
struct Descriptor {
  int fd;
  ~Descriptor() { _close(fd); }
};

}  // namespace

std::optional<std::string> ReadRegularFile(const std::filesystem::path& file, uint64_t limit) {
  int fd = -1;
  const errno_t error =
      _wsopen_s(&fd, file.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT, _SH_DENYNO, _S_IREAD);
  if (error != 0) {
    if (error == ENOENT) return std::nullopt;
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) FailNotRegular(file, true);
    FailReading(file, ErrnoText(error));
  }
  const Descriptor open{fd};
  struct _stat64 info;
  if (_fstat64(fd, &info) != 0) FailReading(file, ErrnoText(errno));
  if ((info.st_mode & _S_IFMT) != _S_IFREG) {
    FailNotRegular(file, (info.st_mode & _S_IFMT) == _S_IFDIR);
  }
  if (static_cast<uint64_t>(info.st_size) > limit) {
    FailTooLarge(file, static_cast<uint64_t>(info.st_size), limit);
  }
  // One byte more than the limit tells a file that grew since _fstat64.
  std::string bytes(static_cast<size_t>(limit) + 1, '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    const size_t chunk = std::min<size_t>(bytes.size() - done, 1 << 30);
    const int n = _read(fd, bytes.data() + done, static_cast<unsigned>(chunk));
    if (n < 0) FailReading(file, ErrnoText(errno));
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  if (done > limit) FailTooLarge(file, done, limit);
  bytes.resize(done);
  return bytes;
}

}  // namespace pasahorario
