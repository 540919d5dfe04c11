#include "export/staged_tables.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "base/error.h"
#include "export/commit_journal.h"
#include "export/export_test_support.h"
#include "export/recovery.h"

namespace pasahorario {
namespace {
using namespace testing_support;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

const char* const kTables[] = {"ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"};

// The disk's steps, logged by kind ("flush ASIGT.DBF.nuevo~…" shortened to
// "flush ASIGT"), with a rename that fails on chosen calls and a cut-off:
// after `stop_after` steps every later step does nothing, as if the process
// had been killed there.
class ScriptedSteps : public CommitSteps {
 public:
  std::vector<std::string> log;
  std::vector<int> failing_renames;  // numbered from 1
  std::optional<int> stop_after;
  bool to_disk = true;  // false: flushes are logged only, for speed

  void Flush(const fs::path& file) override {
    if (Step("flush " + Short(file)) && to_disk) CommitSteps::Flush(file);
  }
  void FlushDirectory(const fs::path& dir) override {
    if (Step("flush-dir") && to_disk) CommitSteps::FlushDirectory(dir);
  }
  void Write(const fs::path& file, std::string_view bytes) override {
    if (!Step("write " + Short(file))) return;
    if (to_disk) {
      CommitSteps::Write(file, bytes);
    } else {
      WriteBytes(file, std::string(bytes));
    }
  }
  void KeepCopy(const fs::path& file, const fs::path& copy) override {
    if (Step("copy " + Short(file))) CommitSteps::KeepCopy(file, copy);
  }
  void Rename(const fs::path& from, const fs::path& to) override {
    if (!Step("rename " + Short(from) + " " + Short(to))) return;
    if (std::ranges::find(failing_renames, ++renames_) != failing_renames.end()) {
      throw Error("No se pudo sustituir el archivo " + to.string() + " (simulado)");
    }
    CommitSteps::Rename(from, to);
  }
  void Remove(const fs::path& file) override {
    if (Step("remove " + Short(file))) CommitSteps::Remove(file);
  }

 private:
  // False once the process counts as killed.
  bool Step(std::string what) {
    if (stop_after && static_cast<int>(log.size()) >= *stop_after) return false;
    log.push_back(std::move(what));
    return true;
  }
  // "ASIGT.DBF.nuevo~12-3" -> "ASIGT.DBF.nuevo"
  static std::string Short(const fs::path& file) {
    const std::string name = file.filename().string();
    return name.substr(0, name.find('~'));
  }
  int renames_ = 0;
};

class StagedTablesTest : public ExchangeDirTest {
 protected:
  // Old tables (PROFT has none), an old index and files of the user's,
  // some with names close to the export's own.
  static void Prepare(const fs::path& dir) {
    fs::create_directories(dir);
    for (const char* name : kTables) {
      if (std::string(name) != "PROFT") WriteBytes(dir / (std::string(name) + ".DBF"), "viejo");
    }
    WriteBytes(dir / "ASIGNOMT.MDX", "índice");
    WriteBytes(dir / "SOLUC.DBF", "del usuario");
    WriteBytes(dir / "ASIGT.DBF.nuevo", "del usuario");
    WriteBytes(dir / "AULAT.DBF.anterior~copia", "del usuario");
  }
  void SetUp() override { Prepare(dir_); }

  // Stages all six tables with new bytes and commits them.
  std::vector<std::string> StageAndCommit(StagedTables& staged) {
    for (const char* name : kTables) WriteBytes(staged.Stage(name), std::string("nuevo ") + name);
    return staged.Commit();
  }

  // The directory as it was before, or with every table new.
  static std::map<std::string, std::string> AllOld(const fs::path& dir) {
    Prepare(dir);
    return Snapshot(dir);
  }
  static std::map<std::string, std::string> AllNew(std::map<std::string, std::string> files) {
    files.erase("ASIGNOMT.MDX");
    for (const char* name : kTables)
      files[std::string(name) + ".DBF"] = std::string("nuevo ") + name;
    return files;
  }
};

TEST_F(StagedTablesTest, CommitReplacesEveryTableAndDropsTheOldIndexes) {
  const auto before = Snapshot(dir_);
  {
    StagedTables staged(dir_);
    EXPECT_THAT(StageAndCommit(staged), IsEmpty());
  }
  EXPECT_EQ(Snapshot(dir_), AllNew(before));
}

TEST_F(StagedTablesTest, EverythingIsFlushedAndJournalledBeforeTheFirstRename) {
  ScriptedSteps steps;
  StagedTables staged(dir_, steps);
  StageAndCommit(staged);
  EXPECT_THAT(
      steps.log,
      ElementsAre("flush ASIGNOMT.DBF.nuevo", "flush PROFT.DBF.nuevo", "flush AULAT.DBF.nuevo",
                  "flush GRUPOST.DBF.nuevo", "flush ASIGT.DBF.nuevo", "flush DIASHORAST.DBF.nuevo",
                  "copy ASIGNOMT.DBF", "copy AULAT.DBF", "copy GRUPOST.DBF", "copy ASIGT.DBF",
                  "copy DIASHORAST.DBF", "write PASAHORARIO.DIARIO", "flush-dir",
                  "rename ASIGNOMT.DBF.nuevo ASIGNOMT.DBF", "rename PROFT.DBF.nuevo PROFT.DBF",
                  "rename AULAT.DBF.nuevo AULAT.DBF", "rename GRUPOST.DBF.nuevo GRUPOST.DBF",
                  "rename ASIGT.DBF.nuevo ASIGT.DBF", "rename DIASHORAST.DBF.nuevo DIASHORAST.DBF",
                  "flush-dir", "remove ASIGNOMT.MDX", "remove ASIGNOMT.DBF.anterior",
                  "remove AULAT.DBF.anterior", "remove GRUPOST.DBF.anterior",
                  "remove ASIGT.DBF.anterior", "remove DIASHORAST.DBF.anterior",
                  "remove PASAHORARIO.DIARIO", "flush-dir"));
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
  ScriptedSteps steps;
  steps.failing_renames = {3};  // AULAT
  StagedTables staged(dir_, steps);
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

TEST_F(StagedTablesTest, AnOldTableThatCannotBePutBackIsNamedAndTheNextRunPutsItBack) {
  const auto before = Snapshot(dir_);
  ScriptedSteps steps;
  steps.failing_renames = {5, 6};  // ASIGT, then restoring GRUPOST
  StagedTables staged(dir_, steps);
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
  EXPECT_EQ(after.count("PASAHORARIO.DIARIO"), 1u);

  EXPECT_THAT(RepairExchangeDir(dir_), StartsWith("Se ha deshecho una exportación"));
  EXPECT_EQ(Snapshot(dir_), before);
}

TEST_F(StagedTablesTest, ACopyThatCannotBeRemovedIsAWarningNamingIt) {
  struct KeepsCopies : ScriptedSteps {
    void Remove(const fs::path& file) override {
      if (file.filename().string().starts_with("AULAT.DBF.anterior~")) {
        throw Error("No se pudo borrar el archivo " + file.string() + ": está en uso");
      }
      ScriptedSteps::Remove(file);
    }
  } steps;
  StagedTables staged(dir_, steps);
  const std::vector<std::string> warnings = StageAndCommit(staged);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_THAT(warnings[0], HasSubstr("No se pudo borrar la copia de la tabla anterior"));
  EXPECT_THAT(warnings[0], HasSubstr("AULAT.DBF.anterior~"));
  EXPECT_EQ(Snapshot(dir_).at("AULAT.DBF"), "nuevo AULAT");

  // The next run removes the copy and says the tables are the new ones.
  EXPECT_THAT(PendingRepair(dir_), HasSubstr("copias de las tablas anteriores"));
  const std::string repaired = RepairExchangeDir(dir_);
  EXPECT_THAT(repaired, HasSubstr("las tablas de trabajo son las de esa exportación"));
  EXPECT_THAT(repaired, HasSubstr("AULAT.DBF.anterior~"));
  const auto after = Snapshot(dir_);
  EXPECT_EQ(after.at("AULAT.DBF"), "nuevo AULAT");
  for (const auto& [name, bytes] : after) EXPECT_FALSE(IsExportLeftover(name)) << name;
}

// The process killed after each step k of the commit, for every k: the next
// run's repair leaves all old or all new tables and none of the export's own
// files; a kill at every step m of that repair, too, is mended by the run
// after it. Also with a failing rename, where the commit is being undone.
TEST_F(StagedTablesTest, AKillAtAnyStepIsRepairedByTheNextRun) {
  for (const std::vector<int>& failing : {std::vector<int>{}, std::vector<int>{4}}) {
    ScriptedSteps counting;
    counting.to_disk = false;
    counting.failing_renames = failing;
    {
      const fs::path dir = dir_ / "cuenta";
      Prepare(dir);
      StagedTables staged(dir, counting);
      try {
        StageAndCommit(staged);
      } catch (const Error&) {
      }
    }
    const int steps_in_commit = static_cast<int>(counting.log.size());
    ASSERT_GT(steps_in_commit, 20);

    for (int k = 0; k <= steps_in_commit; ++k) {
      for (int m = 0;; ++m) {
        SCOPED_TRACE("fallo en " + std::to_string(failing.size()) + ", paso " + std::to_string(k) +
                     " de " + std::to_string(steps_in_commit) + ", reparación cortada tras " +
                     std::to_string(m));
        const fs::path dir = dir_ / ("k" + std::to_string(k) + "-" + std::to_string(m));
        const auto old_files = AllOld(dir);
        {
          ScriptedSteps killed;
          killed.to_disk = false;
          killed.failing_renames = failing;
          killed.stop_after = k;
          StagedTables staged(dir, killed);
          try {
            StageAndCommit(staged);
          } catch (const Error&) {
          }
        }
        ScriptedSteps repair_killed;
        repair_killed.to_disk = false;
        repair_killed.stop_after = m;
        RepairExchangeDir(dir, repair_killed);
        const bool repair_finished = static_cast<int>(repair_killed.log.size()) < m;
        ScriptedSteps next_run;
        next_run.to_disk = false;
        RepairExchangeDir(dir, next_run);
        const auto after = Snapshot(dir);
        EXPECT_TRUE(after == old_files || after == AllNew(old_files))
            << ::testing::PrintToString(after);
        EXPECT_EQ(PendingRepair(dir), "");
        fs::remove_all(dir);
        if (repair_finished) break;
      }
    }
  }
}

TEST_F(StagedTablesTest, StagedFilesOfAnExportThatNeverDecidedAreRemovedAndNamed) {
  const auto before = Snapshot(dir_);
  WriteBytes(dir_ / "ASIGNOMT.DBF.nuevo~123-4", "a medias");
  WriteBytes(dir_ / "asigt.dbf.nuevo~9-1.nuevo~9-2", "a medias");
  EXPECT_THAT(PendingRepair(dir_), HasSubstr("ASIGNOMT.DBF.nuevo~123-4"));
  const std::string repaired = RepairExchangeDir(dir_);
  EXPECT_THAT(repaired, HasSubstr("Se han borrado los archivos provisionales"));
  EXPECT_THAT(repaired, HasSubstr("asigt.dbf.nuevo~9-1.nuevo~9-2"));
  EXPECT_EQ(Snapshot(dir_), before);
  EXPECT_EQ(RepairExchangeDir(dir_), "");
}

TEST(CommitJournalTest, NamesOfTheExportsOwnFiles) {
  struct Case {
    const char* name;
    bool ours;
  };
  const Case cases[] = {
      {"ASIGNOMT.DBF.nuevo~123-4", true},
      {"diashorast.dbf.anterior~1-22", true},
      {"PROFT.DBF.nuevo~1-2.nuevo~1-3", true},
      {"PROFT.DBF", false},
      {"PROFT.DBF.nuevo", false},
      {"PROFT.DBF.nuevo~", false},
      {"PROFT.DBF.nuevo~1-2x", false},
      {"SOLUC.DBF.nuevo~1-2", false},
      {"PROFT.MDX.nuevo~1-2", false},
      {"PASAHORARIO.DIARIO", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsExportLeftover(c.name), c.ours);
  }
}

TEST(CommitJournalTest, AJournalCutShortAnywhereIsNotTakenForAWholeOne) {
  const Journal journal{Journal::Direction::kForward,
                        {{"ASIGNOMT.DBF.nuevo~1-1", "ASIGNOMT.DBF", "ASIGNOMT.DBF.anterior~1-3"},
                         {"proft.dbf.nuevo~1-2", "proft.dbf", ""}}};
  const std::string text = FormatJournal(journal);
  EXPECT_EQ(ParseJournal(text), journal);
  for (size_t n = 0; n < text.size(); ++n) {
    EXPECT_EQ(ParseJournal(text.substr(0, n)), std::nullopt) << n;
  }
  // A journal naming files other than the export's own is not followed.
  for (const char* bad :
       {"SOLUC.DBF.nuevo~1-1\tSOLUC.DBF\t", "notas.txt\tPROFT.DBF\t",
        "PROFT.DBF.nuevo~1-1\tPROFT.DBF\tnotas.txt", "../PROFT.DBF.nuevo~1-1\tPROFT.DBF\t"}) {
    std::string damaged = text;
    damaged.replace(damaged.find("proft.dbf.nuevo~1-2\tproft.dbf\t"),
                    std::string("proft.dbf.nuevo~1-2\tproft.dbf\t").size(), bad);
    EXPECT_EQ(ParseJournal(damaged), std::nullopt) << bad;
  }
}

}  // namespace
}  // namespace pasahorario
