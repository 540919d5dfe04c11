#include "base/atomic_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "base/error.h"

namespace pasahorario {
namespace {
namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class AtomicFileTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("atomic-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(AtomicFileTest, ReplacesTheTargetAndLeavesNothingElse) {
  const fs::path target = dir_ / "r.xml";
  WriteFileAtomically(target, "viejo");
  WriteFileAtomically(target, std::string("nuevo\0x", 7));
  EXPECT_EQ(ReadAll(target), std::string("nuevo\0x", 7));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(AtomicFileTest, MissingDirectoryIsAnErrorNamingTheFile) {
  const fs::path target = dir_ / "no-existe" / "r.xml";
  try {
    WriteFileAtomically(target, "x");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find(target.string()), std::string::npos) << e.what();
  }
}

TEST_F(AtomicFileTest, StagingPathsAreFreshAndBesideTheTarget) {
  const fs::path target = dir_ / "ASIGT.DBF";
  const fs::path a = StagingPath(target, "nuevo");
  const fs::path b = StagingPath(target, "nuevo");
  EXPECT_NE(a, b);
  EXPECT_EQ(a.parent_path(), dir_);
  EXPECT_EQ(a.filename().string().rfind("ASIGT.DBF.nuevo~", 0), 0u);
}

}  // namespace
}  // namespace pasahorario
