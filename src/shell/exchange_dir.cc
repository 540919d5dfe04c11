#include "shell/exchange_dir.h"

#include <system_error>

#include "base/text.h"
#include "base/utf8_path.h"

namespace pasahorario {
namespace fs = std::filesystem;

fs::path FindFolderIgnoringCase(const fs::path& parent, std::string_view name) {
  const fs::path exact = parent / PathFromUtf8(name);
  std::error_code ec;
  if (fs::exists(exact, ec)) return exact;
  const std::string wanted = AsciiLower(name);
  for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
    if (AsciiLower(PathToUtf8(it->path().filename())) == wanted && it->is_directory(ec)) {
      return it->path();
    }
  }
  return exact;
}

fs::path DefaultExchangeDir() {
  // The preferred separator matters on Windows under Wine, which reads a
  // path starting with "/" as a Unix path rather than the current drive's.
  return FindFolderIgnoringCase(fs::path("/").make_preferred(), "XTEMP");
}

}  // namespace pasahorario
