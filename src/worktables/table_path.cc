#include "worktables/table_path.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "base/error.h"
#include "base/message_text.h"
#include "base/text.h"
#include "base/utf8_path.h"
#include "worktables/dbf_table.h"

namespace pasahorario::dbf {
namespace fs = std::filesystem;
namespace {

fs::path FileBeside(const fs::path& dir, std::string_view name, std::string_view extension) {
  const fs::path resolved_dir = ResolveLetterCase(dir);
  const fs::path file = PathFromUtf8(TableBaseName(name) + std::string(extension));
  const fs::path found = FindIgnoringCase(resolved_dir, file);
  return resolved_dir / (found.empty() ? file : found);
}

}  // namespace

fs::path FindIgnoringCase(const fs::path& dir, const fs::path& name) {
  const std::string wanted = AsciiLower(PathToUtf8(name));
  fs::path found;
  std::error_code ec;
  const fs::path where = dir.empty() ? fs::path(".") : dir;
  for (fs::directory_iterator it(where, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path candidate = it->path().filename();
    if (AsciiLower(PathToUtf8(candidate)) != wanted) continue;
    if (!found.empty()) {
      const bool folders = fs::is_directory(where / found, ec);
      const auto [first, second] = std::minmax(found, candidate);
      throw Error(std::string("En la carpeta ") + EscapedForMessage(PathToUtf8(where)) +
                  " hay dos " + (folders ? "carpetas" : "archivos") +
                  " cuyos nombres solo se distinguen por " +
                  "las mayúsculas: " + EscapedForMessage(PathToUtf8(first)) + " y " +
                  EscapedForMessage(PathToUtf8(second)) + ". No se sabe cuál usar; deje " +
                  (folders ? "una sola" : "uno solo") + " y vuelva a intentarlo");
    }
    found = candidate;
  }
  return found;
}

std::string TableBaseName(std::string_view name) {
  if (name.size() > 4 && AsciiLower(name.substr(name.size() - 4)) == ".dbf") {
    name.remove_suffix(4);
  }
  return std::string(name);
}

fs::path ResolveLetterCase(const fs::path& path) {
  const fs::path relative = path.relative_path();
  std::vector<fs::path> parts(relative.begin(), relative.end());
  while (!parts.empty() && parts.back().empty()) parts.pop_back();  // a trailing separator
  fs::path resolved = path.root_path();
  bool searching = true;
  std::error_code ec;
  for (size_t i = 0; i < parts.size(); ++i) {
    const fs::path& part = parts[i];
    const bool plain = part != "." && part != "..";
    // The last component (the exchange directory) is checked for a twin
    // even when it exists as written; the ones above only when they do not.
    if (searching && plain && (i + 1 == parts.size() || !fs::exists(resolved / part, ec))) {
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
