#include "base/atomic_file.h"

#include <atomic>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

#include "base/error.h"
#include "base/utf8_path.h"

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

void ReplaceFile(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  fs::rename(from, to, ec);
  if (ec) {
    std::string message = "No se pudo sustituir el archivo ";
    message += PathToUtf8(to) + " por " + PathToUtf8(from) + ": " + ec.message();
    throw Error(message);
  }
}

void WriteFileAtomically(const fs::path& target, std::string_view bytes) {
  const fs::path temp = StagingPath(target, "nuevo");
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (out) out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (out) out.flush();
    if (!out) {
      out.close();
      std::error_code ignored;
      fs::remove(temp, ignored);
      std::string message = "No se pudo escribir el archivo ";
      message += PathToUtf8(target) + " (¿existe la carpeta y se puede escribir en ella?)";
      throw Error(message);
    }
  }
  try {
    ReplaceFile(temp, target);
  } catch (const Error&) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    throw;
  }
}

}  // namespace pasahorario
