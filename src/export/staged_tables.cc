#include "export/staged_tables.h"

#include <system_error>
#include <utility>

#include "base/atomic_file.h"
#include "base/error.h"
#include "base/utf8_path.h"
#include "export/commit_journal.h"
#include "export/recovery.h"
#include "worktables/dbf_table.h"

namespace pasahorario {
namespace fs = std::filesystem;

namespace {

bool Exists(const fs::path& file) {
  std::error_code ec;
  return fs::exists(file, ec);
}

std::string Name(const fs::path& file) { return PathToUtf8(file.filename()); }

}  // namespace

StagedTables::StagedTables(fs::path dir, CommitSteps& steps)
    : dir_(std::move(dir)), steps_(steps) {}

StagedTables::~StagedTables() {
  if (!committed_) RemoveStaged();
}

fs::path StagedTables::Stage(std::string_view name) {
  Entry entry{std::string(name), StagingPath(dir_ / (std::string(name) + ".DBF"), "nuevo"), {}, {}};
  entries_.push_back(entry);
  return entry.staged;
}

void StagedTables::RemoveQuietly(const fs::path& file) {
  try {
    steps_.Remove(file);
  } catch (const Error&) {
    // A staged file or copy left behind is removed by the next run.
  }
}

void StagedTables::RemoveStaged() {
  for (const Entry& entry : entries_) RemoveQuietly(entry.staged);
}

std::vector<std::string> StagedTables::Commit() {
  const fs::path journal_file = dir_ / PathFromUtf8(kJournalName);
  Journal journal;
  try {
    for (const Entry& entry : entries_) steps_.Flush(entry.staged);
    for (Entry& entry : entries_) {
      entry.target = dbf::TablePath(dir_, entry.name);
      if (Exists(entry.target)) {
        entry.backup = StagingPath(entry.target, "anterior");
        steps_.KeepCopy(entry.target, entry.backup);
      }
      journal.entries.push_back(
          {Name(entry.staged), Name(entry.target), entry.backup.empty() ? "" : Name(entry.backup)});
    }
    steps_.Write(journal_file, FormatJournal(journal));
    steps_.FlushDirectory(dir_);
  } catch (const Error& e) {
    RemoveQuietly(journal_file);
    for (const Entry& entry : entries_) {
      if (!entry.backup.empty()) RemoveQuietly(entry.backup);
    }
    RemoveStaged();
    throw Error(std::string(e.what()) + "\nNo se ha cambiado ninguna tabla de trabajo.");
  }

  // The decision is on the disk: from here a kill is finished by the next run.
  for (size_t i = 0; i < entries_.size(); ++i) {
    try {
      steps_.Rename(entries_[i].staged, entries_[i].target);
    } catch (const Error& e) {
      Undo(i, e.what());
    }
  }
  committed_ = true;
  steps_.FlushDirectory(dir_);
  std::vector<std::string> warnings;
  for (const Entry& entry : entries_) {
    for (std::string& w : RemoveIndexFiles(dir_, Name(entry.target), steps_)) {
      warnings.push_back(std::move(w));
    }
  }
  for (const Entry& entry : entries_) {
    if (entry.backup.empty()) continue;
    try {
      steps_.Remove(entry.backup);
    } catch (const Error& e) {
      warnings.push_back("No se pudo borrar la copia de la tabla anterior " +
                         PathToUtf8(entry.backup) + " (" + e.what() +
                         "); las tablas nuevas ya están en su sitio y la copia se puede borrar.");
    }
  }
  steps_.Remove(journal_file);
  steps_.FlushDirectory(dir_);
  return warnings;
}

void StagedTables::Undo(size_t replaced, const std::string& failure) {
  const fs::path journal_file = dir_ / PathFromUtf8(kJournalName);
  Journal back{Journal::Direction::kBack, {}};
  for (const Entry& entry : entries_) {
    back.entries.push_back(
        {Name(entry.staged), Name(entry.target), entry.backup.empty() ? "" : Name(entry.backup)});
  }
  try {
    steps_.Write(journal_file, FormatJournal(back));
    steps_.FlushDirectory(dir_);
  } catch (const Error& e) {
    throw Error(failure + "\n" + e.what() +
                "\nLa próxima exportación o importación terminará de sustituir las tablas.");
  }
  // Newest first.
  std::string lost;
  for (size_t j = replaced; j-- > 0;) {
    Entry& entry = entries_[j];
    if (entry.backup.empty()) {
      try {
        steps_.Remove(entry.target);
      } catch (const Error&) {
        lost += "\nNo se pudo quitar la tabla nueva " + PathToUtf8(entry.target) +
                ", que antes no existía";
      }
      continue;
    }
    try {
      steps_.Rename(entry.backup, entry.target);
      entry.backup.clear();
    } catch (const Error&) {
      lost += "\nNo se pudo devolver a su sitio la tabla anterior " + PathToUtf8(entry.target) +
              "; su contenido está en " + PathToUtf8(entry.backup);
    }
  }
  try {
    steps_.FlushDirectory(dir_);
  } catch (const Error& e) {
    lost += std::string("\n") + e.what();
  }
  RemoveStaged();
  if (!lost.empty()) {
    throw Error(failure + lost +
                "\nLa próxima exportación o importación intentará de nuevo dejar las tablas "
                "anteriores.");
  }
  for (size_t j = replaced; j < entries_.size(); ++j) {
    if (!entries_[j].backup.empty()) RemoveQuietly(entries_[j].backup);
  }
  RemoveQuietly(journal_file);
  try {
    steps_.FlushDirectory(dir_);
  } catch (const Error&) {
    // The old tables are in place; a journal that comes back is harmless.
  }
  throw Error(failure + "\nLas tablas de trabajo anteriores se han dejado como estaban.");
}

}  // namespace pasahorario
