// The file operations that replace the work tables, one call per step, so
// that the order of the steps can be observed and cut short in tests. The
// base class does them on the disk; a test derives from it to count the
// steps, fail one, or make every step after the k-th do nothing, as if the
// process had been killed there.
#pragma once
#include <filesystem>
#include <string_view>

namespace pasahorario {

class CommitSteps {
 public:
  virtual ~CommitSteps() = default;

  // Flushes the written `file` to the disk. Throws Error naming it.
  virtual void Flush(const std::filesystem::path& file);
  // Flushes the entries of folder `dir`. Throws Error naming it.
  virtual void FlushDirectory(const std::filesystem::path& dir);
  // Creates `file` holding `bytes`, flushed. Throws Error naming it.
  virtual void Write(const std::filesystem::path& file, std::string_view bytes);
  // A second name `copy` for the bytes of `file`: a hard link where the file
  // system has them, else a flushed copy. Throws Error naming `file`.
  virtual void KeepCopy(const std::filesystem::path& file, const std::filesystem::path& copy);
  // Renames `from` over `to`. Throws Error naming both.
  virtual void Rename(const std::filesystem::path& from, const std::filesystem::path& to);
  // Removes `file`; a file that is already gone is no error. Throws Error
  // naming it.
  virtual void Remove(const std::filesystem::path& file);
};

// The steps done on the disk.
CommitSteps& DiskSteps();

}  // namespace pasahorario
