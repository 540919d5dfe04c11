#include "base/atomic_file.h"

#include <atomic>
#include <random>
#include <string>
#include <system_error>

#include "base/durable_file.h"
#include "base/error.h"

namespace pasahorario {
namespace fs = std::filesystem;

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
  const fs::path temp = StagingPath(target, "nuevo");
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
