#include "export/staged_tables.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/atomic_file.h"
#include "base/error.h"
#include "export/export_test_support.h"

namespace pasahorario {
namespace {
using namespace testing_support;
using ::testing::HasSubstr;

const char* const kTables[] = {"ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"};

class StagedTablesTest : public ExchangeDirTest {
 protected:
  // Old tables (PROFT has none), an old index and a file of the user's.
  void SetUp() override {
    ExchangeDirTest::SetUp();
    for (const char* name : kTables) {
      if (std::string(name) != "PROFT") WriteBytes(dir_ / (std::string(name) + ".DBF"), "viejo");
    }
    WriteBytes(dir_ / "ASIGNOMT.MDX", "índice");
    WriteBytes(dir_ / "SOLUC.DBF", "del usuario");
  }

  // Stages all six tables with new bytes and commits them through `replace`.
  void StageAndCommit(StagedTables& staged) {
    for (const char* name : kTables) WriteBytes(staged.Stage(name), std::string("nuevo ") + name);
    staged.Commit();
  }

  // A rename that fails on the calls numbered in `failing` (from 1).
  ReplaceFileFn FailingOn(std::vector<int> failing) {
    return [this, failing](const fs::path& from, const fs::path& to) {
      ++calls_;
      if (std::ranges::find(failing, calls_) != failing.end()) {
        throw Error("No se pudo sustituir el archivo " + to.string() + " (simulado)");
      }
      ReplaceFile(from, to);
    };
  }
  int calls_ = 0;
};

TEST_F(StagedTablesTest, CommitReplacesEveryTableAndDropsTheOldIndexes) {
  {
    StagedTables staged(dir_);
    StageAndCommit(staged);
  }
  std::map<std::string, std::string> expected = {{"SOLUC.DBF", "del usuario"}};
  for (const char* name : kTables)
    expected[std::string(name) + ".DBF"] = std::string("nuevo ") + name;
  EXPECT_EQ(Snapshot(dir_), expected);
}

TEST_F(StagedTablesTest, WithoutCommitNothingChangesAndNoStagedFileRemains) {
  const auto before = Snapshot(dir_);
  {
    StagedTables staged(dir_);
    WriteBytes(staged.Stage("ASIGNOMT"), "a medias");
    WriteBytes(staged.Stage("PROFT"), "a medias");
  }
  EXPECT_EQ(Snapshot(dir_), before);
}

TEST_F(StagedTablesTest, AFailedRenameUndoesTheOnesBefore) {
  const auto before = Snapshot(dir_);
  StagedTables staged(dir_, FailingOn({3}));  // AULAT
  try {
    StageAndCommit(staged);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_THAT(e.what(), HasSubstr("AULAT.DBF (simulado)"));
    EXPECT_THAT(e.what(),
                HasSubstr("Las tablas de trabajo anteriores se han dejado como estaban."));
  }
  EXPECT_EQ(Snapshot(dir_), before);  // PROFT, which was new, is gone again
}

TEST_F(StagedTablesTest, AnOldTableThatCannotBePutBackIsNamedAndKept) {
  StagedTables staged(dir_, FailingOn({5, 6}));  // ASIGT, then restoring GRUPOST
  try {
    StageAndCommit(staged);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_THAT(e.what(), HasSubstr("No se pudo devolver a su sitio la tabla anterior"));
    EXPECT_THAT(e.what(), HasSubstr("GRUPOST.DBF; su contenido está en"));
  }
  const auto after = Snapshot(dir_);
  EXPECT_EQ(after.at("GRUPOST.DBF"), "nuevo GRUPOST");
  EXPECT_EQ(after.at("ASIGNOMT.DBF"), "viejo");
  EXPECT_EQ(after.at("AULAT.DBF"), "viejo");
  EXPECT_EQ(after.at("ASIGT.DBF"), "viejo");
  EXPECT_EQ(after.count("PROFT.DBF"), 0u);
  int kept = 0;
  for (const auto& [name, bytes] : after) {
    if (name.starts_with("GRUPOST.DBF.anterior~")) {
      EXPECT_EQ(bytes, "viejo");
      ++kept;
    }
  }
  EXPECT_EQ(kept, 1);
  EXPECT_EQ(after.size(), 8u);  // 5 tables (no PROFT), index, SOLUC, the kept copy
}

}  // namespace
}  // namespace pasahorario
