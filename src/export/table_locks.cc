#include "export/table_locks.h"

#include <string>
#include <system_error>

#include "base/error.h"
#include "base/text.h"
#include "base/utf8_path.h"
#include "export/commit_journal.h"
#include "worktables/file_lock.h"

namespace pasahorario {
namespace fs = std::filesystem;

namespace {

// The .DBF or .MDX of one of the six tables.
bool IsWorkTableOrIndex(const std::string& name) {
  const std::string lower = AsciiLower(name);
  if (lower.ends_with(".mdx")) return IsWorkTableFile(lower.substr(0, lower.size() - 4) + ".dbf");
  return IsWorkTableFile(lower);
}

}  // namespace

void CheckTablesNotHeld(const fs::path& dir) {
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = PathToUtf8(it->path().filename());
    if (!IsWorkTableOrIndex(name)) continue;
    dbf::LockedFile probe;
    std::string reason;
    if (probe.Open(it->path(), true, &reason) == dbf::LockedFile::Status::kBusy) {
      throw Error("La tabla " + name + " de la carpeta " + PathToUtf8(dir) +
                  " está abierta en otro programa, probablemente Tablerix. Ciérrelo y vuelva a "
                  "exportar; no se ha cambiado ninguna tabla");
    }
  }
}

}  // namespace pasahorario
