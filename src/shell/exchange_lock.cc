#include "shell/exchange_lock.h"

#include <string>
#include <utility>

#include "base/error.h"
#include "base/utf8_path.h"
#include "worktables/file_lock.h"

namespace pasahorario {
namespace fs = std::filesystem;

struct ExchangeDirLock::Impl {
  dbf::LockedFile file;
};

ExchangeDirLock::ExchangeDirLock(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
ExchangeDirLock::ExchangeDirLock(ExchangeDirLock&&) noexcept = default;
ExchangeDirLock& ExchangeDirLock::operator=(ExchangeDirLock&&) noexcept = default;
ExchangeDirLock::~ExchangeDirLock() = default;

bool ExchangeDirLock::held() const { return impl_ && impl_->file.is_open(); }

ExchangeDirLock ExchangeDirLock::Take(const fs::path& exchange_dir, bool check) {
  const fs::path lock_file = exchange_dir / PathFromUtf8(kLockFileName);
  auto impl = std::make_unique<Impl>();
  std::string reason;
  switch (impl->file.Open(lock_file, true, &reason, true)) {
    case dbf::LockedFile::Status::kOpen:
    case dbf::LockedFile::Status::kMissing:
      return ExchangeDirLock(std::move(impl));
    case dbf::LockedFile::Status::kBusy:
      if (check) {
        throw Error("La carpeta " + PathToUtf8(exchange_dir) +
                    " está ocupada: otra exportación, importación o comprobación está trabajando "
                    "en ella. Vuelva a comprobar cuando termine");
      }
      throw Error("Otra exportación o importación está trabajando en la carpeta " +
                  PathToUtf8(exchange_dir) + "; espere a que termine");
    case dbf::LockedFile::Status::kFailed:
      break;
  }
  throw Error("No se puede usar el archivo " + PathToUtf8(lock_file) +
              ", con el que este programa evita que dos exportaciones o importaciones trabajen a "
              "la vez en la carpeta: " +
              reason);
}

ExchangeDirLock ExchangeDirLock::ForCommand(const fs::path& exchange_dir) {
  return Take(exchange_dir, false);
}

ExchangeDirLock ExchangeDirLock::ForCheck(const fs::path& exchange_dir) {
  return Take(exchange_dir, true);
}

}  // namespace pasahorario
