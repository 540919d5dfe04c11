// Files and folders for tests: whole files read and written as bytes, and a
// temporary folder that is unique to the run, the test and the moment, so
// that two build trees testing at once never share one. Header only.
#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <system_error>

namespace pasahorario::testing_support {

// The whole of `file`; empty when it cannot be read.
inline std::string FileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Creates or empties `file` and writes `bytes`; fails the test when it cannot.
inline void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  EXPECT_TRUE(out) << "no se pudo escribir " << file;
}

// Every file of `dir` by name, with its bytes.
inline std::map<std::string, std::string> Snapshot(const std::filesystem::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    files[entry.path().filename().string()] = FileBytes(entry.path());
  }
  return files;
}

// A new, empty folder under the system's temporary folder (TMPDIR), named
// after `label`, the running test, the process and a random number; removed
// with everything in it when the object goes.
class TempDir {
 public:
  explicit TempDir(const std::string& label = "pasahorario") {
    static std::atomic<unsigned> counter{0};
    std::string name = label;
    if (const auto* info = testing::UnitTest::GetInstance()->current_test_info()) {
      name += std::string("-") + info->test_suite_name() + "-" + info->name();
    }
    std::random_device random;
    for (char& c : name) {
      if (c == '/' || c == '\\') c = '_';  // parameterised test names
    }
    for (;;) {
      path_ = std::filesystem::temp_directory_path() /
              (name + "-" + std::to_string(random() % 1000000) + "-" + std::to_string(++counter));
      std::error_code ec;
      if (std::filesystem::create_directories(path_, ec)) break;
      if (ec) ADD_FAILURE() << "no se pudo crear " << path_ << ": " << ec.message();
      if (ec) break;
    }
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace pasahorario::testing_support
