#include "worktables/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace pasahorario::dbf {

LockedFile::~LockedFile() { Close(); }

LockedFile::Status LockedFile::Open(const std::filesystem::path& path, bool exclusive,
                                    std::string* reason) {
  writable_ = true;
  int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
    writable_ = false;
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  }
  if (fd < 0) {
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR) return Status::kMissing;
    *reason = std::generic_category().message(error);
    return Status::kFailed;
  }
  struct stat info;
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    *reason = "es una carpeta";
    return Status::kFailed;
  }
  if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK) return Status::kBusy;
    *reason = std::generic_category().message(error);
    return Status::kFailed;
  }
  fd_ = fd;
  return Status::kOpen;
}

bool LockedFile::ReadAll(std::string* bytes) {
  struct stat info;
  if (::fstat(fd_, &info) != 0) return false;
  bytes->resize(static_cast<size_t>(info.st_size));
  size_t done = 0;
  while (done < bytes->size()) {
    const ssize_t n = ::pread(fd_, bytes->data() + done, bytes->size() - done,
                              static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;  // the file shrank meanwhile
    done += static_cast<size_t>(n);
  }
  bytes->resize(done);
  return true;
}

bool LockedFile::Size(uint64_t* size) {
  struct stat info;
  if (::fstat(fd_, &info) != 0) return false;
  *size = static_cast<uint64_t>(info.st_size);
  return true;
}

bool LockedFile::ReadAt(uint64_t offset, size_t count, std::string* bytes) {
  bytes->resize(count);
  size_t done = 0;
  while (done < count) {
    const ssize_t n = ::pread(fd_, bytes->data() + done, count - done,
                              static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  bytes->resize(done);
  return true;
}

bool LockedFile::WriteAt(uint64_t offset, std::string_view bytes, std::string* reason) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done,
                               static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      *reason = std::generic_category().message(n < 0 ? errno : EIO);
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

void LockedFile::Close() {
  if (fd_ >= 0) ::close(fd_);  // releases the lock
  fd_ = -1;
  writable_ = false;
}

}  // namespace pasahorario::dbf
