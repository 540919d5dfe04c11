// Exclusive opening between processes: while one process holds a work
// table exclusively another cannot open it, and the other way round.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/error.h"
#include "worktables/dbf_table.h"
#include "support/test_files.h"

namespace {
namespace fs = std::filesystem;
using pasahorario::Error;
using pasahorario::dbf::Access;
using pasahorario::dbf::DbfTable;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

std::string Read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class LockProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    temp_.emplace("lock");
    dir_ = temp_->path();
    DbfTable table(dir_, "SOLUC");
    table.Create({pasahorario::dbf::TextField("PROF", 10)});
  }
  std::optional<pasahorario::testing_support::TempDir> temp_;

  // Starts a child process that opens SOLUC with `access` and holds it
  // until Release().
  void HoldInChild(Access access) {
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    child_ = fork();
    ASSERT_GE(child_, 0);
    if (child_ == 0) {
      int status = 0;
      try {
        DbfTable table(dir_, "SOLUC");
        table.Open(access);
        char byte = 'r';
        if (write(ready[1], &byte, 1) != 1) status = 3;
        if (read(release[0], &byte, 1) != 1) status = 4;  // waits for Release
        table.Close();
      } catch (const Error&) {
        status = 2;
      }
      _exit(status);
    }
    close(ready[1]);
    close(release[0]);
    release_fd_ = release[1];
    char byte;
    ASSERT_EQ(read(ready[0], &byte, 1), 1) << "the child could not open the table";
    close(ready[0]);
  }

  // Lets the child close the table and end; its exit status.
  int Release() {
    char byte = 'x';
    EXPECT_EQ(write(release_fd_, &byte, 1), 1);
    close(release_fd_);
    int status = -1;
    waitpid(child_, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path dir_;
  pid_t child_ = -1;
  int release_fd_ = -1;
};

TEST_F(LockProcessTest, ATableHeldExclusivelyElsewhereCannotBeOpenedOrReplaced) {
  HoldInChild(Access::kExclusive);
  const std::string before = Read(dir_ / "SOLUC.DBF");
  for (const Access access : {Access::kShared, Access::kExclusive}) {
    DbfTable table(dir_, "SOLUC");
    EXPECT_THAT([&] { table.Open(access); },
                ThrowsMessage<Error>(::testing::StrEq(
                    "No se puede abrir la tabla SOLUC de la carpeta " + dir_.string() +
                    ": está abierta en otro programa, probablemente Tablerix. Ciérrelo (o guarde "
                    "y cierre el horario) y vuelva a intentarlo")));
    EXPECT_FALSE(table.is_open());
  }
  DbfTable replacement(dir_, "SOLUC");
  EXPECT_THAT([&] { replacement.Create({pasahorario::dbf::TextField("OTRO", 1)}); },
              ThrowsMessage<Error>(HasSubstr("está abierta en otro programa")));
  EXPECT_EQ(Read(dir_ / "SOLUC.DBF"), before);
  EXPECT_EQ(Release(), 0);

  DbfTable table(dir_, "SOLUC");
  EXPECT_NO_THROW(table.Open(Access::kExclusive));
}

TEST_F(LockProcessTest, SharedOpeningsGetAlongButKeepExclusiveOnesOut) {
  HoldInChild(Access::kShared);
  DbfTable shared(dir_, "SOLUC");
  EXPECT_NO_THROW(shared.Open(Access::kShared));
  shared.Close();
  DbfTable exclusive(dir_, "SOLUC");
  EXPECT_THROW(exclusive.Open(Access::kExclusive), Error);
  EXPECT_EQ(Release(), 0);
  EXPECT_NO_THROW(exclusive.Open(Access::kExclusive));
}

TEST_F(LockProcessTest, AnotherProcessCannotOpenWhatThisOneHolds) {
  DbfTable held(dir_, "SOLUC");
  held.Open(Access::kExclusive);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    int status = 1;
    try {
      DbfTable table(dir_, "SOLUC");
      table.Open(Access::kShared);
    } catch (const Error& e) {
      status = std::string(e.what()).find("está abierta en otro programa") != std::string::npos ? 0 : 2;
    }
    _exit(status);
  }
  int status = -1;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the child opened the table; 2: another error";
}

}  // namespace
