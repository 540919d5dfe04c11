#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "base/system_error.h"
#include "worktables/file_lock.h"

namespace pasahorario::dbf {
namespace {

constexpr const char* kNotRegular = "no es un archivo normal (es una tubería o un dispositivo)";

// True when another open file description holds a POSIX record lock
// (fcntl, lockf) on any part of the file that would conflict with ours: any
// lock for exclusive use, a write lock for shared use. Open-file-description
// locks are asked first, as they also see the locks of this process's other
// descriptors; kernels without them answer with the classic query.
bool RecordLocked(int fd, bool exclusive) {
  struct flock query {};
  query.l_type = exclusive ? F_WRLCK : F_RDLCK;
  query.l_whence = SEEK_SET;
  query.l_start = 0;
  query.l_len = 0;  // to the end of the file, however far it grows
  if (::fcntl(fd, F_OFD_GETLK, &query) != 0) {
    if (errno != EINVAL) return false;
    query = {};
    query.l_type = exclusive ? F_WRLCK : F_RDLCK;
    query.l_whence = SEEK_SET;
    if (::fcntl(fd, F_GETLK, &query) != 0) return false;
  }
  return query.l_type != F_UNLCK;
}

}  // namespace

LockedFile::~LockedFile() { Close(); }

LockedFile::Status LockedFile::Open(const std::filesystem::path& path, bool exclusive,
                                    std::string* reason, bool create) {
  // O_NONBLOCK: a pipe of that name must not stop the program until some
  // other program opens its other end. It is cleared once the file is known
  // to be a regular one.
  const int flags = O_CLOEXEC | O_NONBLOCK;
  writable_ = true;
  int fd = ::open(path.c_str(), flags | O_RDWR | (create ? O_CREAT : 0), 0666);
  if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
    writable_ = false;
    fd = ::open(path.c_str(), flags | O_RDONLY);
  }
  if (fd < 0) {
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR) return Status::kMissing;
    *reason = ErrnoText(error);
    return Status::kFailed;
  }
  struct stat info;
  if (::fstat(fd, &info) != 0) {
    const int error = errno;
    ::close(fd);
    *reason = ErrnoText(error);
    return Status::kFailed;
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(fd);
    *reason = S_ISDIR(info.st_mode) ? ErrnoText(EISDIR) : kNotRegular;
    return Status::kFailed;
  }
  const int status_flags = ::fcntl(fd, F_GETFL);
  if (status_flags < 0 || ::fcntl(fd, F_SETFL, status_flags & ~O_NONBLOCK) != 0) {
    const int error = errno;
    ::close(fd);
    *reason = ErrnoText(error);
    return Status::kFailed;
  }
  if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK) return Status::kBusy;
    *reason = ErrnoText(error);
    return Status::kFailed;
  }
  if (RecordLocked(fd, exclusive)) {
    ::close(fd);
    return Status::kBusy;
  }
  fd_ = fd;
  return Status::kOpen;
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
    const ssize_t n =
        ::pread(fd_, bytes->data() + done, count - done, static_cast<off_t>(offset + done));
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
    const ssize_t n =
        ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      *reason = ErrnoText(n < 0 ? errno : ENOSPC);  // nothing written, no error: a full disk
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
