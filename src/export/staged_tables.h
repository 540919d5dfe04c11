// New work tables written beside the old ones and put in their place
// together: either every old table is replaced or none is, also when the
// process is killed or the power goes in the middle (RepairExchangeDir
// finishes the job at the next run).
#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "base/report.h"
#include "export/commit_steps.h"

namespace pasahorario {

class StagedTables {
 public:
  // Tables of the exchange directory `dir`. `steps` does the file
  // operations of Commit (on the disk unless a test gives others) and must
  // outlive this object.
  explicit StagedTables(std::filesystem::path dir, CommitSteps& steps = DiskSteps());
  StagedTables(const StagedTables&) = delete;
  StagedTables& operator=(const StagedTables&) = delete;
  // Removes every staged file when Commit has not taken its decision.
  ~StagedTables();

  // A fresh path beside table `name` ("ASIGNOMT") for its new .DBF; the file
  // is not created. Requires: each name staged once, before Commit.
  std::filesystem::path Stage(std::string_view name);

  // `failure`, raised while the staged files were being written, in the
  // user's terms: each staged file it names is named as the table it was
  // to become, and the text says that no table changed. Other failures are
  // returned as they are.
  Error InTableTerms(const Error& failure) const;

  // Puts every staged file in the place of its table's .DBF (the name's
  // letter case as it is on disk), then deletes the tables' old .MDX files.
  // Requires: every staged file written and closed.
  // In order: every staged file is flushed to the disk; each old table gets
  // a second name (its copy); the journal (commit_journal.h) is written to a
  // temporary file, flushed, and renamed to the journal's name, beside a
  // journal prepared for an undo; the folder is flushed. Only then are the
  // tables renamed (the commit point is the last rename), the folder
  // flushed, the index files, the copies and the journals removed.
  // A journal is never written in place: each one takes the journal's name
  // whole, by a rename, so the journal on the disk always says one direction.
  // When a replacement fails, the undo's journal takes the journal's name
  // (the journal is removed instead when none was made), the ones already
  // made are undone, every old table is back as it was, the staged files
  // are removed, and Error says what failed. When the undo
  // cannot take its first steps (its journal renamed, the folder flushed) or
  // an old table cannot be put back, Error says so and what the next run
  // does; nothing the journal names is removed then.
  // Returns, as findings, what failed after the commit point: a folder not
  // flushed, an index, a copy or a journal not removed. The new tables are
  // in place then, and the next run finishes what was left.
  std::vector<Finding> Commit();

 private:
  enum class State { kStaging, kDecided, kDone };
  struct Entry {
    std::string name;
    std::filesystem::path staged;
    std::filesystem::path target;  // set by Commit
    std::filesystem::path backup;  // set by Commit; empty when there was no old table
  };
  void RemoveQuietly(const std::filesystem::path& file);
  void RemoveStaged();
  // Removes what Commit wrote before its decision, after `failure`; the
  // journal too when it had taken its name (`journal_named`).
  [[noreturn]] void Unwind(const std::string& failure, bool journal_named);
  // Takes back the replacements of entries [0, replaced) after `failure`.
  [[noreturn]] void Undo(size_t replaced, const std::string& failure);
  // The steps after the commit point; what failed, as findings.
  std::vector<Finding> CleanUp();

  std::filesystem::path dir_;
  CommitSteps& steps_;
  std::filesystem::path journal_file_;
  std::filesystem::path undo_journal_;  // the journal prepared for an undo
  std::vector<Entry> entries_;
  // kDecided: the journal is on the disk, and the files it names stay
  // until the replacement is finished or undone.
  State state_ = State::kStaging;
};

}  // namespace pasahorario
