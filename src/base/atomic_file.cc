#include "base/atomic_file.h"

#include <atomic>
#include <random>
#include <string>
#include <system_error>

#include "base/durable_file.h"
#include "base/error.h"
#include "base/system_error.h"
#include "base/utf8_path.h"

namespace pasahorario {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTemporaryTag = "nuevo";

// Whether `text` is one or more decimal digits.
bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

bool IsTemporaryOf(std::string_view file_name, std::string_view target_name) {
  const std::string prefix = std::string(target_name) + "." + std::string(kTemporaryTag) + "~";
  if (target_name.empty() || !file_name.starts_with(prefix)) return false;
  const std::string_view rest = file_name.substr(prefix.size());
  const size_t dash = rest.find('-');
  return dash != std::string_view::npos && AllDigits(rest.substr(0, dash)) &&
         AllDigits(rest.substr(dash + 1));
}

std::vector<std::string> RemoveLeftTemporaries(const fs::path& target) {
  const fs::path dir = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  const std::string target_name = PathToUtf8(target.filename());
  std::vector<fs::path> found;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code type_ec;
    if (IsTemporaryOf(PathToUtf8(it->path().filename()), target_name) &&
        it->symlink_status(type_ec).type() == fs::file_type::regular) {
      found.push_back(it->path());
    }
  }
  std::vector<std::string> warnings;
  for (const fs::path& file : found) {
    std::error_code remove_ec;
    if (!fs::remove(file, remove_ec) && remove_ec) {
      warnings.push_back("No se pudo borrar " + PathToUtf8(file) +
                         ", que dejó a medio escribir una vez anterior que se guardaba " +
                         PathToUtf8(target) + " (" + SystemErrorText(remove_ec) +
                         "); se puede borrar.");
    }
  }
  return warnings;
}

fs::path StagingPath(const fs::path& target, std::string_view tag) {
  static std::atomic<unsigned> counter{0};
  static const unsigned salt = std::random_device{}();
  for (;;) {
    fs::path candidate = target;
    candidate += "." + std::string(tag) + "~" + std::to_string(salt % 100000) + "-" +
                 std::to_string(++counter);
    std::error_code ec;
    if (!fs::exists(candidate, ec)) return candidate;
  }
}

std::error_code CreationError(const fs::path& dir) {
  const fs::path probe = StagingPath(dir / "PASAHORARIO", "prueba");
  std::error_code ec;
  if (!fs::create_directory(probe, ec) && !ec) ec = std::make_error_code(std::errc::file_exists);
  if (ec) return ec;
  fs::remove(probe, ec);
  return ec;
}

void ReplaceFile(const fs::path& from, const fs::path& to) {
  RenameFile(from, to);
  FlushDirectory(to.parent_path());
}

void WriteFileAtomically(const fs::path& target, std::string_view bytes) {
  const fs::path temp = StagingPath(target, kTemporaryTag);
  try {
    WriteFlushed(temp, bytes, target);
    RenameFile(temp, target);
  } catch (const Error&) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    throw;
  }
  FlushDirectory(target.parent_path());
}

}  // namespace pasahorario
