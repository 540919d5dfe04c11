#include "shell/exchange_lock.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

#include "base/error.h"
#include "base/utf8_path.h"
#include "support/test_files.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pasahorario {
namespace {
namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

class ExchangeDirLockTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(dir_); }
  fs::path lock_file() const { return dir_ / "PASAHORARIO.BLOQUEO"; }
  // The message of the Error that `take` throws; nothing when none.
  template <class F>
  static std::optional<std::string> Refusal(F take) {
    try {
      take();
    } catch (const Error& e) {
      return e.what();
    }
    return std::nullopt;
  }

  testing_support::TempDir temp_{"exchange_lock"};
  const fs::path dir_ = temp_.path() / "XTEMP";
};

TEST_F(ExchangeDirLockTest, WhileOneHoldsItEveryOtherIsRefusedAtOnce) {
  const std::string busy = "Otra exportación o importación está trabajando en la carpeta " +
                           PathToUtf8(dir_) + "; espere a que termine";
  const std::string occupied = "La carpeta " + PathToUtf8(dir_) +
                               " está ocupada: otra exportación, importación o comprobación "
                               "está trabajando en ella. Vuelva a comprobar cuando termine";
  for (const bool check_first : {false, true}) {
    SCOPED_TRACE(check_first);
    {
      const ExchangeDirLock first =
          check_first ? ExchangeDirLock::ForCheck(dir_) : ExchangeDirLock::ForCommand(dir_);
      EXPECT_TRUE(first.held());
      EXPECT_EQ(Refusal([&] { ExchangeDirLock::ForCommand(dir_); }), busy);
      EXPECT_EQ(Refusal([&] { ExchangeDirLock::ForCheck(dir_); }), occupied);
    }
    // Released with its holder; the file stays and holds nothing.
    EXPECT_TRUE(fs::is_regular_file(lock_file()));
    EXPECT_TRUE(ExchangeDirLock::ForCommand(dir_).held());
  }
}

TEST_F(ExchangeDirLockTest, AFileLeftBehindDoesNotBlock) {
  // As a killed program leaves it, with whatever it holds.
  testing_support::WriteBytes(lock_file(), "restos");
  EXPECT_TRUE(ExchangeDirLock::ForCommand(dir_).held());
  EXPECT_TRUE(ExchangeDirLock::ForCheck(dir_).held());
  EXPECT_EQ(testing_support::FileBytes(lock_file()), "restos");
}

TEST_F(ExchangeDirLockTest, AMissingFolderHoldsNothingAndIsNotMade) {
  const fs::path missing = dir_ / "no-existe";
  EXPECT_FALSE(ExchangeDirLock::ForCommand(missing).held());
  EXPECT_FALSE(ExchangeDirLock::ForCheck(missing).held());
  EXPECT_FALSE(fs::exists(missing));
}

TEST_F(ExchangeDirLockTest, SomethingElseUnderTheNameIsRefusedNamingIt) {
  fs::create_directory(lock_file());
  for (const bool check : {false, true}) {
    const auto refusal = Refusal(
        [&] { check ? ExchangeDirLock::ForCheck(dir_) : ExchangeDirLock::ForCommand(dir_); });
    ASSERT_TRUE(refusal);
    EXPECT_THAT(*refusal, StartsWith("No se puede usar el archivo " + PathToUtf8(lock_file())));
    EXPECT_THAT(*refusal, HasSubstr("es una carpeta, no un archivo"));
  }
#ifndef _WIN32
  // A pipe is never waited on.
  fs::remove(lock_file());
  ASSERT_EQ(::mkfifo(lock_file().c_str(), 0600), 0);
  const auto start = std::chrono::steady_clock::now();
  const auto refusal = Refusal([&] { ExchangeDirLock::ForCommand(dir_); });
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  ASSERT_TRUE(refusal);
  EXPECT_THAT(*refusal, HasSubstr(PathToUtf8(lock_file()) + ", con el que"));
  EXPECT_THAT(*refusal, HasSubstr("no es un archivo normal"));
#endif
}

#ifndef _WIN32
TEST_F(ExchangeDirLockTest, AFolderNobodyCanWriteInHoldsNothing) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes in any folder";
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(ExchangeDirLock::ForCommand(dir_).held());
  EXPECT_FALSE(fs::exists(lock_file()));
  fs::permissions(dir_, fs::perms::owner_all);
  // Once there, the file is locked even where it cannot be written.
  ExchangeDirLock::ForCommand(dir_);
  fs::permissions(lock_file(), fs::perms::owner_read);
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  {
    const ExchangeDirLock held = ExchangeDirLock::ForCommand(dir_);
    EXPECT_TRUE(held.held());
    EXPECT_TRUE(Refusal([&] { ExchangeDirLock::ForCommand(dir_); }));
  }
  fs::permissions(dir_, fs::perms::owner_all);
}
#endif

}  // namespace
}  // namespace pasahorario
