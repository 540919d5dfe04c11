// One command at a time in an exchange directory. Every export and import
// holds the lock file PASAHORARIO.BLOQUEO of the directory exclusively from
// before it repairs an interrupted export to after its last write. A check
// (comprobar) holds it too, exclusively, while it reads: a command that
// writes would change what it reads, and two checks would each find the
// tables held by the other. The platform's lock on the
// open file decides, not the file's existence: a file left by a program
// that was killed holds nothing, and the file stays in the directory. A
// second command is refused at once, before it touches anything.
#pragma once
#include <filesystem>
#include <memory>
#include <string_view>

namespace pasahorario {

// The lock file's name in the exchange directory.
inline constexpr std::string_view kLockFileName = "PASAHORARIO.BLOQUEO";

class ExchangeDirLock {
 public:
  // Takes the lock of `exchange_dir` for a command that writes. Throws
  // Error "Otra exportación o importación está trabajando en la carpeta
  // <dir>; espere a que termine" when another command holds it, and Error
  // naming the lock file when
  // it cannot be used (a folder or a pipe of that name, a system failure).
  // A directory that does not exist, or where the lock file neither exists
  // nor can be made, holds nothing anyone could change: the lock is then
  // not held and the command goes on to meet the directory as it is.
  static ExchangeDirLock ForCommand(const std::filesystem::path& exchange_dir);

  // Takes the lock of `exchange_dir` for a run that only reads it. Throws
  // Error saying the directory is busy ("ocupada") when another command or
  // check holds it; never waits. Otherwise as ForCommand.
  static ExchangeDirLock ForCheck(const std::filesystem::path& exchange_dir);

  ExchangeDirLock(ExchangeDirLock&&) noexcept;
  ExchangeDirLock& operator=(ExchangeDirLock&&) noexcept;
  ~ExchangeDirLock();  // releases the lock; the file stays

  bool held() const;

 private:
  struct Impl;
  explicit ExchangeDirLock(std::unique_ptr<Impl> impl);
  static ExchangeDirLock Take(const std::filesystem::path& exchange_dir, bool check);
  std::unique_ptr<Impl> impl_;
};

}  // namespace pasahorario
