// A table file held open, shared or exclusively, against other programs.
// While one program holds a file exclusively no other can open it, and it
// cannot be held exclusively while another program has it open. The
// platform part: flock() on POSIX, where a POSIX record lock (fcntl, lockf)
// held by another program also counts as a hold; share modes on Windows.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace pasahorario::dbf {

class LockedFile {
 public:
  enum class Status { kOpen, kMissing, kBusy, kFailed };

  LockedFile() = default;
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;
  ~LockedFile();  // closes

  // Opens `path` for reading, and for writing when the file allows it,
  // holding it shared or exclusively; with `create`, an empty file is made
  // when there is none and the folder allows it. Never waits for another
  // program. kMissing: no such file (with `create`: none, and none can be
  // made); kBusy: another program holds it; kFailed: any other failure,
  // such as a name that is not a regular file, with the reason in Spanish
  // in `reason`. Requires: closed.
  Status Open(const std::filesystem::path& path, bool exclusive, std::string* reason,
              bool create = false);

  bool is_open() const { return fd_ >= 0; }
  bool writable() const { return writable_; }

  // The file's size in bytes into `size`. False on failure.
  bool Size(uint64_t* size);

  // Up to `count` bytes from `offset` into `bytes` (fewer at the end of
  // the file). False on a read failure.
  bool ReadAt(uint64_t offset, size_t count, std::string* bytes);

  // Writes `bytes` at `offset`. False on failure (`reason` says why).
  bool WriteAt(uint64_t offset, std::string_view bytes, std::string* reason);

  // Releases the file; no effect when closed.
  void Close();

 private:
  int fd_ = -1;
  bool writable_ = false;
};

}  // namespace pasahorario::dbf
