#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "base/system_error.h"
#include "worktables/file_lock.h"

namespace pasahorario::dbf {
namespace {

// Windows error codes behind EACCES (winerror.h, left out on purpose).
constexpr unsigned long kSharingViolation = 32;
constexpr unsigned long kLockViolation = 33;

bool HeldByAnother() { return _doserrno == kSharingViolation || _doserrno == kLockViolation; }

// A folder where a file is expected, which Windows refuses to open as
// "access denied".
bool IsFolder(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec);
}

}  // namespace

LockedFile::~LockedFile() { Close(); }

LockedFile::Status LockedFile::Open(const std::filesystem::path& path, bool exclusive,
                                    std::string* reason, bool create) {
  const int share = exclusive ? _SH_DENYRW : _SH_DENYNO;
  const int flags = _O_BINARY | _O_NOINHERIT;
  int fd = -1;
  writable_ = true;
  errno_t error = _wsopen_s(&fd, path.c_str(), flags | _O_RDWR | (create ? _O_CREAT : 0), share,
                            _S_IREAD | _S_IWRITE);
  if (error == EACCES && !HeldByAnother() && !IsFolder(path)) {
    // A read-only file: open it for reading only.
    writable_ = false;
    error = _wsopen_s(&fd, path.c_str(), flags | _O_RDONLY, share, _S_IREAD);
  }
  if (error != 0) {
    if (error == ENOENT) return Status::kMissing;
    if (error == EACCES && HeldByAnother()) return Status::kBusy;
    *reason = IsFolder(path) ? ErrnoText(EISDIR) : ErrnoText(error);
    return Status::kFailed;
  }
  struct _stat64 info;
  if (_fstat64(fd, &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
    _close(fd);
    *reason = "no es un archivo normal (es una tubería o un dispositivo)";
    return Status::kFailed;
  }
  fd_ = fd;
  return Status::kOpen;
}

bool LockedFile::Size(uint64_t* size) {
  const long long length = _filelengthi64(fd_);
  if (length < 0) return false;
  *size = static_cast<uint64_t>(length);
  return true;
}

bool LockedFile::ReadAt(uint64_t offset, size_t count, std::string* bytes) {
  if (_lseeki64(fd_, static_cast<long long>(offset), SEEK_SET) < 0) return false;
  bytes->resize(count);
  size_t done = 0;
  while (done < count) {
    const size_t chunk = std::min<size_t>(count - done, 1 << 30);
    const int n = _read(fd_, bytes->data() + done, static_cast<unsigned>(chunk));
    if (n < 0) return false;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  bytes->resize(done);
  return true;
}

bool LockedFile::WriteAt(uint64_t offset, std::string_view bytes, std::string* reason) {
  if (_lseeki64(fd_, static_cast<long long>(offset), SEEK_SET) < 0) {
    *reason = ErrnoText(errno);
    return false;
  }
  size_t done = 0;
  while (done < bytes.size()) {
    const size_t chunk = std::min<size_t>(bytes.size() - done, 1 << 30);
    const int n = _write(fd_, bytes.data() + done, static_cast<unsigned>(chunk));
    if (n <= 0) {
      *reason = ErrnoText(n < 0 ? errno : ENOSPC);  // nothing written, no error: a full disk
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

void LockedFile::Close() {
  if (fd_ >= 0) _close(fd_);  // ends the share mode
  fd_ = -1;
  writable_ = false;
}

}  // namespace pasahorario::dbf
