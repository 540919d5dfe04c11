#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/regular_file.h"
#include "base/regular_file_platform.h"
#include "base/system_error.h"

namespace pasahorario {
namespace {

// Closes the descriptor when it goes.
struct Descriptor {
  int fd;
  ~Descriptor() { ::close(fd); }
};

}  // namespace

std::optional<std::string> ReadRegularFile(const std::filesystem::path& file, uint64_t limit) {
  // O_NONBLOCK: opening a pipe would otherwise wait for a program to open
  // its other end.
  int fd;
  do {
    fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    FailReading(file, ErrnoText(errno));
  }
  const Descriptor open{fd};
  struct stat info;
  if (::fstat(fd, &info) != 0) FailReading(file, ErrnoText(errno));
  if (!S_ISREG(info.st_mode)) FailNotRegular(file, S_ISDIR(info.st_mode));
  if (static_cast<uint64_t>(info.st_size) > limit) {
    FailTooLarge(file, static_cast<uint64_t>(info.st_size), limit);
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    FailReading(file, ErrnoText(errno));
  }
  // One byte more than the limit tells a file that grew since fstat.
  std::string bytes(static_cast<size_t>(limit) + 1, '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) FailReading(file, ErrnoText(errno));
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  if (done > limit) FailTooLarge(file, done, limit);
  bytes.resize(done);
  return bytes;
}

}  // namespace pasahorario
