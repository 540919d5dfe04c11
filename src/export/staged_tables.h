// New work tables written beside the old ones and put in their place
// together: either every old table is replaced or none is, also when the
// process is killed or the power goes in the middle (RepairExchangeDir
// finishes the job at the next run).
#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

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
  // Removes every staged file when Commit has not succeeded.
  ~StagedTables();

  // A fresh path beside table `name` ("ASIGNOMT") for its new .DBF; the file
  // is not created. Requires: each name staged once, before Commit.
  std::filesystem::path Stage(std::string_view name);

  // Puts every staged file in the place of its table's .DBF (the name's
  // letter case as it is on disk), then deletes the tables' old .MDX files.
  // Requires: every staged file written and closed.
  // In order: every staged file is flushed to the disk; each old table gets
  // a second name (its copy); the journal (commit_journal.h) is written and
  // flushed with the folder; only then are the tables renamed, the folder
  // flushed, the index files, the copies and the journal removed.
  // When a replacement fails, the ones already made are undone (under a
  // journal that says so), every old table is back as it was, the staged
  // files are removed, and Error says what failed (and names any old table
  // that could not be put back, with the file that still holds it; the
  // journal then stays, so the next run puts it back).
  // Returns warnings for the user: a copy of an old table that could not be
  // removed after a successful replacement, by name.
  std::vector<std::string> Commit();

 private:
  struct Entry {
    std::string name;
    std::filesystem::path staged;
    std::filesystem::path target;  // set by Commit
    std::filesystem::path backup;  // set by Commit; empty when there was no old table
  };
  void RemoveQuietly(const std::filesystem::path& file);
  void RemoveStaged();
  // Takes back the replacements of entries [0, replaced) after `failure`.
  [[noreturn]] void Undo(size_t replaced, const std::string& failure);

  std::filesystem::path dir_;
  CommitSteps& steps_;
  std::vector<Entry> entries_;
  bool committed_ = false;
};

}  // namespace pasahorario
