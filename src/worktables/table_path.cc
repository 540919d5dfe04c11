#include "worktables/table_path.h"
#include "base/utf8_path.h"

#include <system_error>

#include "base/text.h"
#include "worktables/dbf_table.h"

namespace pasahorario::dbf {
namespace fs = std::filesystem;
namespace {

// The entry of `dir` named `name` apart from ASCII letter case, or empty.
fs::path FindIgnoringCase(const fs::path& dir, const fs::path& name) {
  const std::string wanted = AsciiLower(PathToUtf8(name));
  fs::path best;
  std::error_code ec;
  for (fs::directory_iterator it(dir.empty() ? fs::path(".") : dir, ec), end; !ec && it != end;
       it.increment(ec)) {
    const fs::path candidate = it->path().filename();
    if (AsciiLower(PathToUtf8(candidate)) == wanted && (best.empty() || candidate < best)) {
      best = candidate;
    }
  }
  return best;
}

fs::path FileBeside(const fs::path& dir, std::string_view name, std::string_view extension) {
  const fs::path resolved_dir = ResolveLetterCase(dir);
  const fs::path file = PathFromUtf8(TableBaseName(name) + std::string(extension));
  std::error_code ec;
  if (fs::exists(resolved_dir / file, ec)) return resolved_dir / file;
  const fs::path found = FindIgnoringCase(resolved_dir, file);
  return resolved_dir / (found.empty() ? file : found);
}

}  // namespace

std::string TableBaseName(std::string_view name) {
  if (name.size() > 4 && AsciiLower(name.substr(name.size() - 4)) == ".dbf") {
    name.remove_suffix(4);
  }
  return std::string(name);
}

fs::path ResolveLetterCase(const fs::path& path) {
  fs::path resolved = path.root_path();
  bool searching = true;
  std::error_code ec;
  for (const fs::path& part : path.relative_path()) {
    if (searching && part != "." && part != ".." && !fs::exists(resolved / part, ec)) {
      const fs::path found = FindIgnoringCase(resolved, part);
      if (found.empty()) {
        searching = false;  // nothing below a missing directory can be found
      } else {
        resolved /= found;
        continue;
      }
    }
    resolved /= part;
  }
  return resolved;
}

fs::path TablePath(const fs::path& dir, std::string_view name) {
  return FileBeside(dir, name, ".DBF");
}

void DeleteTableFiles(const fs::path& dir, std::string_view name) {
  std::error_code ignored;
  fs::remove(FileBeside(dir, name, ".DBF"), ignored);
  fs::remove(FileBeside(dir, name, ".MDX"), ignored);
}

}  // namespace pasahorario::dbf
