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
using ::testing::AnyOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

const char* const kTables[] = {"ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"};

// The disk's steps, logged by kind ("flush ASIGT.DBF.nuevo~…" shortened to
// "flush ASIGT"), with steps that fail on chosen calls and a cut-off: after
// `stop_after` steps every later step does nothing, as if the process had
// been killed there; a write that the kill interrupts leaves its file empty,
// as a file created and not yet filled.
class ScriptedSteps : public CommitSteps {
 public:
  std::vector<std::string> log;
  std::vector<int> failing_renames;  // numbered from 1 among the renames of tables
  std::vector<int> failing_steps;    // numbered from 1 among all steps: the disk is full
  std::optional<int> stop_after;
  bool to_disk = true;  // false: flushes are logged only, for speed

  void Flush(const fs::path& file) override {
    if (Step("flush " + Short(file)) && to_disk) CommitSteps::Flush(file);
  }
  void FlushDirectory(const fs::path& dir) override {
    if (Step("flush-dir") && to_disk) CommitSteps::FlushDirectory(dir);
  }
  void Write(const fs::path& file, std::string_view bytes) override {
    if (!Step("write " + Short(file))) {
      if (!torn_) WriteBytes(file, "");
      torn_ = true;
      return;
    }
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
    const bool of_table = !to.filename().string().starts_with("PASAHORARIO");
    if (of_table && std::ranges::find(failing_renames, ++renames_) != failing_renames.end()) {
      throw Error("No se pudo sustituir el archivo " + to.string() + " (simulado)");
    }
    CommitSteps::Rename(from, to);
  }
  void Remove(const fs::path& file) override {
    if (Step("remove " + Short(file))) CommitSteps::Remove(file);
  }

 private:
  // False once the process counts as killed; throws at a failing step.
  bool Step(std::string what) {
    if (stop_after && static_cast<int>(log.size()) >= *stop_after) return false;
    log.push_back(std::move(what));
    if (std::ranges::find(failing_steps, static_cast<int>(log.size())) != failing_steps.end()) {
      throw Error(log.back() + ": no queda espacio en el disco (simulado)");
    }
    return true;
  }
  // "ASIGT.DBF.nuevo~12-3" -> "ASIGT.DBF.nuevo"
  static std::string Short(const fs::path& file) {
    const std::string name = file.filename().string();
    return name.substr(0, name.find('~'));
  }
  int renames_ = 0;
  bool torn_ = false;
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
    // The school's correspondences: every snapshot below shows that neither
    // the commit nor any repair touches them.
    WriteBytes(dir / "Equivalencias.txt", "AULA LAB2 = AU07\r\n");
  }
  void SetUp() override { Prepare(dir_); }

  // Stages all six tables with new bytes and commits them.
  static auto StageAndCommit(StagedTables& staged) {
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

  // Whether the bytes of every old table are still in the directory, in the
  // table's place or in a copy of the export's, unless all six tables are
  // the new ones.
  static bool OldTablesKept(const fs::path& dir) {
    const auto files = Snapshot(dir);
    bool all_new = true;
    for (const char* name : kTables) {
      const std::string table = std::string(name) + ".DBF";
      if (!files.contains(table) || files.at(table) != std::string("nuevo ") + name)
        all_new = false;
    }
    if (all_new) return true;
    for (const char* name : kTables) {
      const std::string table = std::string(name) + ".DBF";
      if (table == "PROFT.DBF") continue;
      bool kept = files.contains(table) && files.at(table) == "viejo";
      for (const auto& [file, bytes] : files) {
        if (file.starts_with(table + ".anterior~") && bytes == "viejo") kept = true;
      }
      if (!kept) return false;
    }
    return true;
  }

  // The 1-based number of the first step of `log` at or after `from` that
  // is `what`; 0 when there is none.
  static int StepNumber(const std::vector<std::string>& log, const std::string& what,
                        int from = 1) {
    for (int i = from; i <= static_cast<int>(log.size()); ++i) {
      if (log[i - 1] == what) return i;
    }
    return 0;
  }

  // The steps of a commit without a kill, not flushed to the disk; with the
  // fourth rename failing when `undone`.
  std::vector<std::string> CountSteps(bool undone) {
    ScriptedSteps counting;
    counting.to_disk = false;
    if (undone) counting.failing_renames = {4};
    const fs::path dir = dir_ / "cuenta";
    Prepare(dir);
    {
      StagedTables staged(dir, counting);
      try {
        StageAndCommit(staged);
      } catch (const Error&) {
      }
    }
    fs::remove_all(dir);
    return counting.log;
  }
};

constexpr const char* kLastTableRename = "rename DIASHORAST.DBF.nuevo DIASHORAST.DBF";
constexpr const char* kFailingRename = "rename GRUPOST.DBF.nuevo GRUPOST.DBF";
// The undo's first step: its journal, written before the first rename, takes
// the journal's name.
constexpr const char* kUndoDecided = "rename PASAHORARIO.DIARIO.nuevo PASAHORARIO.DIARIO";

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
                  "copy DIASHORAST.DBF", "write PASAHORARIO.DIARIO.nuevo",
                  "write PASAHORARIO.DIARIO.nuevo",
                  "rename PASAHORARIO.DIARIO.nuevo PASAHORARIO.DIARIO", "flush-dir",
                  "rename ASIGNOMT.DBF.nuevo ASIGNOMT.DBF", "rename PROFT.DBF.nuevo PROFT.DBF",
                  "rename AULAT.DBF.nuevo AULAT.DBF", "rename GRUPOST.DBF.nuevo GRUPOST.DBF",
                  "rename ASIGT.DBF.nuevo ASIGT.DBF", "rename DIASHORAST.DBF.nuevo DIASHORAST.DBF",
                  "flush-dir", "remove ASIGNOMT.MDX", "remove ASIGNOMT.DBF.anterior",
                  "remove AULAT.DBF.anterior", "remove GRUPOST.DBF.anterior",
                  "remove ASIGT.DBF.anterior", "remove DIASHORAST.DBF.anterior",
                  "remove PASAHORARIO.DIARIO.nuevo", "remove PASAHORARIO.DIARIO", "flush-dir"));
}

TEST_F(StagedTablesTest, AFailureWhileStagingNamesTheTableNotItsTemporaryFile) {
  StagedTables staged(dir_);
  const fs::path proft = staged.Stage("PROFT");
  const Error named("No se pudo crear la tabla PROFT de la carpeta " + dir_.string() +
                    ": No se pudo escribir el archivo " + proft.string() + ": disco lleno");
  EXPECT_EQ(std::string(staged.InTableTerms(named).what()),
            "No se pudo crear la tabla PROFT de la carpeta " + dir_.string() +
                ": No se pudo escribir el archivo " + (dir_ / "PROFT.DBF").string() +
                ": disco lleno\nNo se ha cambiado ninguna tabla de trabajo.");
  const Error unrelated("'G101' is not a valid integer value");
  EXPECT_STREQ(staged.InTableTerms(unrelated).what(), unrelated.what());
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
  const std::vector<Finding> findings = StageAndCommit(staged);
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(findings[0].kind, FindingKind::kFileLeft);
  EXPECT_THAT(findings[0].text, HasSubstr("No se pudo borrar la copia de la tabla anterior"));
  EXPECT_THAT(findings[0].text, HasSubstr("AULAT.DBF.anterior~"));
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

// The process killed after each step k of the commit, for every k, a write
// cut short included: the next run's repair leaves all old or all new tables
// and none of the export's own files, and no old table's bytes are lost on
// the way; a kill at every step m of that repair, too, is mended by the run
// after it. Also with a failing rename, where the commit is being undone:
// killed anywhere after the undo's journal took its place, the next run ends
// with the old tables.
TEST_F(StagedTablesTest, AKillAtAnyStepIsRepairedByTheNextRun) {
  for (const bool undone : {false, true}) {
    const std::vector<std::string> commit_log = CountSteps(undone);
    const int steps_in_commit = static_cast<int>(commit_log.size());
    ASSERT_GT(steps_in_commit, 20);
    const int undo_decided =
        undone ? StepNumber(commit_log, kUndoDecided, StepNumber(commit_log, kFailingRename)) : 0;

    for (int k = 0; k <= steps_in_commit; ++k) {
      for (int m = 0;; ++m) {
        SCOPED_TRACE(std::string(undone ? "deshecha" : "terminada") + ", cortada tras el paso " +
                     std::to_string(k) + " de " + std::to_string(steps_in_commit) +
                     ", reparación cortada tras " + std::to_string(m));
        const fs::path dir = dir_ / ("k" + std::to_string(k) + "-" + std::to_string(m));
        const auto old_files = AllOld(dir);
        {
          ScriptedSteps killed;
          killed.to_disk = false;
          if (undone) killed.failing_renames = {4};
          killed.stop_after = k;
          StagedTables staged(dir, killed);
          try {
            StageAndCommit(staged);
          } catch (const Error&) {
          }
        }
        EXPECT_TRUE(OldTablesKept(dir)) << ::testing::PrintToString(Snapshot(dir));
        ScriptedSteps repair_killed;
        repair_killed.to_disk = false;
        repair_killed.stop_after = m;
        try {
          RepairExchangeDir(dir, repair_killed);
        } catch (const Error& e) {
          ADD_FAILURE() << e.what();
        }
        const bool repair_finished = static_cast<int>(repair_killed.log.size()) < m;
        ScriptedSteps next_run;
        next_run.to_disk = false;
        RepairExchangeDir(dir, next_run);
        const auto after = Snapshot(dir);
        if (undone && undo_decided > 0 && k >= undo_decided) {
          EXPECT_EQ(after, old_files);
        } else {
          EXPECT_TRUE(after == old_files || after == AllNew(old_files))
              << ::testing::PrintToString(after);
        }
        EXPECT_EQ(PendingRepair(dir), "");
        fs::remove_all(dir);
        if (repair_finished) break;
      }
    }
  }
}

// A step of the undo that fails (the disk full, a file held), each in turn:
// the old tables' bytes stay, the error says what the next run does, and the
// next run ends with the old tables. Only when the undo's journal cannot take
// the journal's place does the replacement stand, and then the next run
// finishes it: the staged tables it needs are kept.
TEST_F(StagedTablesTest, AnUndoStoppedAtAnyStepLeavesTheOldTablesToTheNextRun) {
  const std::vector<std::string> commit_log = CountSteps(true);
  const int first_undo_step = StepNumber(commit_log, kFailingRename) + 1;
  const int undo_decided = StepNumber(commit_log, kUndoDecided, first_undo_step);
  ASSERT_GT(first_undo_step, 1);
  ASSERT_GT(undo_decided, 0);
  for (int j = first_undo_step; j <= static_cast<int>(commit_log.size()); ++j) {
    SCOPED_TRACE("falla el paso " + std::to_string(j) + ": " + commit_log[j - 1]);
    const fs::path dir = dir_ / ("j" + std::to_string(j));
    const auto old_files = AllOld(dir);
    {
      ScriptedSteps steps;
      steps.to_disk = false;
      steps.failing_renames = {4};
      steps.failing_steps = {j};
      StagedTables staged(dir, steps);
      try {
        StageAndCommit(staged);
        ADD_FAILURE() << "no error";
      } catch (const Error& e) {
        EXPECT_THAT(e.what(), HasSubstr("GRUPOST.DBF (simulado)"));
        if (j == undo_decided) {
          EXPECT_THAT(e.what(), HasSubstr("terminará de sustituir las tablas"));
        }
      }
    }
    EXPECT_TRUE(OldTablesKept(dir)) << ::testing::PrintToString(Snapshot(dir));
    ScriptedSteps next_run;
    next_run.to_disk = false;
    RepairExchangeDir(dir, next_run);
    EXPECT_EQ(Snapshot(dir), j == undo_decided ? AllNew(old_files) : old_files);
    EXPECT_EQ(PendingRepair(dir), "");
  }
}

// Any step up to the last rename of a table that fails (a flush, a copy, a
// journal written or renamed, a table renamed): the export fails, says that
// no table changed, and leaves the folder as it was, with nothing for the
// next run to do.
TEST_F(StagedTablesTest, AFailingStepBeforeTheCommitPointLeavesEverythingAsItWas) {
  const std::vector<std::string> commit_log = CountSteps(false);
  const int last_rename = StepNumber(commit_log, kLastTableRename);
  ASSERT_GT(last_rename, 0);
  for (int j = 1; j <= last_rename; ++j) {
    SCOPED_TRACE("falla el paso " + std::to_string(j) + ": " + commit_log[j - 1]);
    const fs::path dir = dir_ / ("j" + std::to_string(j));
    const auto old_files = AllOld(dir);
    {
      ScriptedSteps steps;
      steps.to_disk = false;
      steps.failing_steps = {j};
      StagedTables staged(dir, steps);
      try {
        StageAndCommit(staged);
        ADD_FAILURE() << "no error";
      } catch (const Error& e) {
        EXPECT_THAT(e.what(), HasSubstr("no queda espacio en el disco (simulado)"));
        EXPECT_THAT(e.what(), AnyOf(HasSubstr("No se ha cambiado ninguna tabla de trabajo."),
                                    HasSubstr("Las tablas de trabajo anteriores se han dejado")));
      }
    }
    EXPECT_EQ(Snapshot(dir), old_files);
    EXPECT_EQ(PendingRepair(dir), "");
  }
}

// The folder not flushed once the journal is in place, and then the journal
// not removed either: the journal stands, so every file it names stays and
// the next run finishes the replacement.
TEST_F(StagedTablesTest, AJournalThatCannotBeTakenBackKeepsEveryFileItNames) {
  const std::vector<std::string> commit_log = CountSteps(false);
  const int journal_named = StepNumber(commit_log, kUndoDecided);
  ASSERT_GT(journal_named, 0);
  ASSERT_EQ(commit_log[journal_named], "flush-dir");
  const auto old_files = Snapshot(dir_);
  {
    ScriptedSteps steps;
    steps.failing_steps = {journal_named + 1, journal_named + 2};
    StagedTables staged(dir_, steps);
    try {
      StageAndCommit(staged);
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_THAT(e.what(), HasSubstr("terminará de sustituir las tablas"));
    }
    EXPECT_EQ(steps.log.back(), "remove PASAHORARIO.DIARIO");
  }
  EXPECT_THAT(PendingRepair(dir_), HasSubstr("la terminará"));
  EXPECT_THAT(RepairExchangeDir(dir_), StartsWith("Se ha terminado una exportación"));
  EXPECT_EQ(Snapshot(dir_), AllNew(old_files));
}

// Once the six tables are in place the export has succeeded: a step after
// that which fails (the folder not flushed, an index, a copy or the journal
// not removed) is a finding, and the next run finishes what was left.
TEST_F(StagedTablesTest, AFailingStepAfterTheReplacementIsAFindingAndTheNextRunFinishes) {
  const std::vector<std::string> commit_log = CountSteps(false);
  const int last_rename = StepNumber(commit_log, kLastTableRename);
  ASSERT_GT(last_rename, 0);
  for (int j = last_rename + 1; j <= static_cast<int>(commit_log.size()); ++j) {
    SCOPED_TRACE("falla el paso " + std::to_string(j) + ": " + commit_log[j - 1]);
    const fs::path dir = dir_ / ("j" + std::to_string(j));
    const auto old_files = AllOld(dir);
    {
      ScriptedSteps steps;
      steps.to_disk = false;
      steps.failing_steps = {j};
      StagedTables staged(dir, steps);
      try {
        const std::vector<Finding> findings = StageAndCommit(staged);
        ASSERT_EQ(findings.size(), 1u);
        EXPECT_EQ(findings[0].kind, commit_log[j - 1] == "flush-dir" ? FindingKind::kNotFlushed
                                                                     : FindingKind::kFileLeft);
        EXPECT_THAT(findings[0].text, HasSubstr("no queda espacio en el disco (simulado)"));
      } catch (const Error& e) {
        ADD_FAILURE() << e.what();
      }
    }
    const auto files = Snapshot(dir);
    for (const char* name : kTables) {
      const std::string table = std::string(name) + ".DBF";
      EXPECT_EQ(files.contains(table) ? files.at(table) : "", std::string("nuevo ") + name);
    }
    ScriptedSteps next_run;
    next_run.to_disk = false;
    RepairExchangeDir(dir, next_run);
    EXPECT_EQ(Snapshot(dir), AllNew(old_files));
    EXPECT_EQ(PendingRepair(dir), "");
  }
}

// Earlier versions wrote the journal in place: a kill in the middle of an
// undo left it empty, with some tables replaced. The next run takes the old
// tables back from the copies (a table that was new where there was none
// goes), and when no table had been replaced it changes none.
TEST_F(StagedTablesTest, AnEmptyJournalOfAnEarlierVersionLeavesTheOldTables) {
  const auto before = Snapshot(dir_);
  struct Case {
    const char* what;
    std::vector<std::string> replaced;  // tables already renamed into place
    const char* said;
  };
  const Case cases[] = {
      {"cortado en el deshacer", {"ASIGNOMT", "PROFT", "AULAT"}, "Se ha deshecho una exportación"},
      {"cortado antes de sustituir", {}, "las tablas de trabajo no se habían cambiado"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const char* name : kTables) {
      const std::string table = std::string(name) + ".DBF";
      const std::string id = "~7-" + std::to_string(++n);
      if (table != "PROFT.DBF") WriteBytes(dir_ / (table + ".anterior" + id), "viejo");
      if (std::ranges::find(c.replaced, name) != c.replaced.end()) {
        WriteBytes(dir_ / table, std::string("nuevo ") + name);
      } else {
        WriteBytes(dir_ / (table + ".nuevo" + id), std::string("nuevo ") + name);
      }
    }
    WriteBytes(dir_ / "PASAHORARIO.DIARIO", "");
    EXPECT_THAT(PendingRepair(dir_),
                HasSubstr(c.replaced.empty() ? "archivos provisionales" : "la deshará"));
    EXPECT_THAT(RepairExchangeDir(dir_), HasSubstr(c.said));
    EXPECT_EQ(Snapshot(dir_), before);
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
      {"pasahorario.diario.nuevo~3-4", true},
      {"PASAHORARIO.DIARIO.nuevo", false},
      {"PASAHORARIO.DIARIOS.nuevo~3-4", false},
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
