// Repair of an export that was stopped while it replaced the work tables
// (a power cut, a kill, a crash): every command runs it first, before it
// reads or writes anything else in the exchange directory.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "export/commit_steps.h"

namespace pasahorario {

// Finishes or undoes an interrupted replacement in `exchange_dir`. A whole
// journal that says to finish: the staged tables that are left replace
// their tables and the old index files go. Any other journal (cut short,
// damaged, or one that says to undo): every table that had been replaced
// gets its old bytes back from its copy. Then every file the export makes
// for itself (staged tables, copies of old tables, the journal) is removed;
// no other file is touched. Afterwards the six tables are all from the old
// export or all from the new one.
// Returns, in Spanish, what was repaired, or an empty text when there was
// nothing to do (also when the folder does not exist). Throws Error, naming
// the file, when a step fails; the journal then stays for the next run.
std::string RepairExchangeDir(const std::filesystem::path& exchange_dir,
                              CommitSteps& steps = DiskSteps());

// Removes the index files (.MDX, any letter case) of table file `target`
// ("ASIGNOMT.DBF") in `dir`: a new table refers to none. Returns a warning
// for each one that could not be removed, naming it; empty when all went.
std::vector<std::string> RemoveIndexFiles(const std::filesystem::path& dir,
                                          const std::string& target, CommitSteps& steps);

// What RepairExchangeDir would do in `exchange_dir`, in Spanish, or an
// empty text when nothing is pending. Writes nothing.
std::string PendingRepair(const std::filesystem::path& exchange_dir);

}  // namespace pasahorario
