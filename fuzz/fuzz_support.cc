#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>

namespace pasahorario::fuzz {
namespace fs = std::filesystem;

namespace {

fs::path MakeScratchDir() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern =
      std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/pasahorario-fuzz-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    std::abort();
  }
  return pattern;
}

}  // namespace

const fs::path& ScratchDir() {
  static const fs::path dir = MakeScratchDir();
  static const bool cleanup = [] {
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(ScratchDir(), ec);
    });
    return true;
  }();
  (void)cleanup;
  return dir;
}

void WriteBytes(const fs::path& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::abort();
  }
}

void EmptyDir(const fs::path& dir) {
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec)) {
    fs::remove_all(entry.path(), ec);
  }
}

}  // namespace pasahorario::fuzz
