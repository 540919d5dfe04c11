#include "export/commit_steps.h"

#include <system_error>

#include "base/durable_file.h"
#include "base/error.h"
#include "base/system_error.h"
#include "base/utf8_path.h"

namespace pasahorario {
namespace fs = std::filesystem;

void CommitSteps::Flush(const fs::path& file) { FlushFile(file); }

void CommitSteps::FlushDirectory(const fs::path& dir) { pasahorario::FlushDirectory(dir); }

void CommitSteps::Write(const fs::path& file, std::string_view bytes) { WriteFlushed(file, bytes); }

void CommitSteps::KeepCopy(const fs::path& file, const fs::path& copy) {
  std::error_code ec;
  fs::create_hard_link(file, copy, ec);
  if (!ec) return;
  fs::copy_file(file, copy, ec);
  if (!ec) {
    FlushFile(copy);
    return;
  }
  std::error_code ignored;
  fs::remove(copy, ignored);
  throw Error("No se pudo guardar una copia de la tabla " + PathToUtf8(file) + ": " +
              SystemErrorText(ec));
}

void CommitSteps::Rename(const fs::path& from, const fs::path& to) { RenameFile(from, to); }

void CommitSteps::Remove(const fs::path& file) {
  std::error_code ec;
  fs::remove(file, ec);
  if (ec)
    throw Error("No se pudo borrar el archivo " + PathToUtf8(file) + ": " + SystemErrorText(ec));
}

CommitSteps& DiskSteps() {
  static CommitSteps steps;
  return steps;
}

}  // namespace pasahorario
