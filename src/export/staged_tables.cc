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
    : dir_(std::move(dir)), steps_(steps), journal_file_(dir_ / PathFromUtf8(kJournalName)) {}

StagedTables::~StagedTables() {
  if (state_ == State::kStaging) RemoveStaged();
}

fs::path StagedTables::Stage(std::string_view name) {
  Entry entry{std::string(name), StagingPath(dir_ / (std::string(name) + ".DBF"), "nuevo"), {}, {}};
  entries_.push_back(entry);
  return entry.staged;
}

Error StagedTables::InTableTerms(const Error& failure) const {
  std::string text = failure.what();
  bool named = false;
  for (const Entry& entry : entries_) {
    const std::string staged = PathToUtf8(entry.staged);
    const std::string table = PathToUtf8(entry.staged.parent_path() / (entry.name + ".DBF"));
    for (size_t at = text.find(staged); at != std::string::npos;
         at = text.find(staged, at + table.size())) {
      text.replace(at, staged.size(), table);
      named = true;
    }
  }
  if (!named) return failure;
  return Error(text + "\nNo se ha cambiado ninguna tabla de trabajo.");
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

std::vector<Finding> StagedTables::Commit() {
  Journal journal;
  fs::path journal_temp;
  bool journal_named = false;
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
    journal_temp = StagingPath(journal_file_, "nuevo");
    steps_.Write(journal_temp, FormatJournal(journal));
    // The undo's journal is written now, while nothing has changed: an undo
    // then only renames and removes, which a full disk does not stop.
    undo_journal_ = StagingPath(journal_file_, "nuevo");
    journal.direction = Journal::Direction::kBack;
    steps_.Write(undo_journal_, FormatJournal(journal));
    steps_.Rename(journal_temp, journal_file_);
    journal_named = true;
    steps_.FlushDirectory(dir_);
  } catch (const Error& e) {
    if (!journal_named && !journal_temp.empty()) RemoveQuietly(journal_temp);
    Unwind(e.what(), journal_named);
  }

  // The decision is on the disk: from here a kill is finished by the next run.
  state_ = State::kDecided;
  for (size_t i = 0; i < entries_.size(); ++i) {
    try {
      steps_.Rename(entries_[i].staged, entries_[i].target);
    } catch (const Error& e) {
      Undo(i, e.what());
    }
  }
  return CleanUp();
}

void StagedTables::Unwind(const std::string& failure, bool journal_named) {
  // The journal goes first: without it the next run takes every other file
  // of the export's for provisional. Should it stay, so does every file it
  // names, and the next run finishes the replacement.
  if (journal_named) {
    try {
      steps_.Remove(journal_file_);
    } catch (const Error& e) {
      state_ = State::kDecided;
      throw Error(failure + "\n" + e.what() +
                  "\nLa próxima exportación o importación terminará de sustituir las tablas.");
    }
  }
  if (!undo_journal_.empty()) RemoveQuietly(undo_journal_);
  for (const Entry& entry : entries_) {
    if (!entry.backup.empty()) RemoveQuietly(entry.backup);
  }
  RemoveStaged();
  state_ = State::kDone;
  throw Error(failure + "\nNo se ha cambiado ninguna tabla de trabajo.");
}

std::vector<Finding> StagedTables::CleanUp() {
  std::vector<Finding> findings;
  const auto note = [&findings](FindingKind kind, std::string text) {
    findings.push_back({kind, "", 0, "", std::move(text)});
  };
  state_ = State::kDone;
  try {
    steps_.FlushDirectory(dir_);
  } catch (const Error& e) {
    // The journal and the copies stay: should the power go before the
    // renames reach the disk, the next run still finishes the replacement.
    note(FindingKind::kNotFlushed,
         std::string(e.what()) +
             "; las tablas nuevas ya están en su sitio y la próxima exportación o importación "
             "terminará de guardarlas y borrará los archivos provisionales.");
    return findings;
  }
  bool index_left = false;
  for (const Entry& entry : entries_) {
    for (std::string& w : RemoveIndexFiles(dir_, Name(entry.target), steps_)) {
      note(FindingKind::kFileLeft,
           std::move(w) + " La próxima exportación o importación intentará borrarlo de nuevo.");
      index_left = true;
    }
  }
  for (const Entry& entry : entries_) {
    if (entry.backup.empty()) continue;
    try {
      steps_.Remove(entry.backup);
    } catch (const Error& e) {
      note(FindingKind::kFileLeft,
           "No se pudo borrar la copia de la tabla anterior " + PathToUtf8(entry.backup) + " (" +
               e.what() + "); las tablas nuevas ya están en su sitio y la copia se puede borrar.");
    }
  }
  const std::string next_run =
      "; las tablas nuevas ya están en su sitio y la próxima exportación o importación lo "
      "borrará.";
  try {
    steps_.Remove(undo_journal_);
  } catch (const Error& e) {
    note(FindingKind::kFileLeft, e.what() + next_run);
  }
  // While an index is left, so is the journal: the next run removes both.
  if (!index_left) {
    try {
      steps_.Remove(journal_file_);
    } catch (const Error& e) {
      note(FindingKind::kFileLeft, e.what() + next_run);
    }
  }
  try {
    steps_.FlushDirectory(dir_);
  } catch (const Error& e) {
    note(FindingKind::kNotFlushed,
         std::string(e.what()) + "; las tablas nuevas ya están en su sitio.");
  }
  return findings;
}

void StagedTables::Undo(size_t replaced, const std::string& failure) {
  // Nothing replaced yet: taking the journal away takes the decision back.
  if (replaced == 0) Unwind(failure, true);
  // The undo's journal takes the journal's name: from here the next run
  // takes the replacement back. Until it has, the replacement stands, and
  // every file the journal names stays for the next run to finish it.
  try {
    steps_.Rename(undo_journal_, journal_file_);
  } catch (const Error& e) {
    throw Error(failure + "\n" + e.what() +
                "\nLa próxima exportación o importación terminará de sustituir las tablas.");
  }
  try {
    steps_.FlushDirectory(dir_);
  } catch (const Error& e) {
    throw Error(failure + "\n" + e.what() +
                "\nLa próxima exportación o importación dejará las tablas anteriores.");
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
  if (!lost.empty()) {
    throw Error(failure + lost +
                "\nLa próxima exportación o importación intentará de nuevo dejar las tablas "
                "anteriores.");
  }
  // The old tables are back. The journal goes last, and only when every
  // other file of the export's has gone; else the next run removes them.
  bool all_removed = true;
  const auto remove = [this, &all_removed](const fs::path& file) {
    try {
      steps_.Remove(file);
    } catch (const Error&) {
      all_removed = false;
    }
  };
  for (const Entry& entry : entries_) remove(entry.staged);
  for (const Entry& entry : entries_) {
    if (!entry.backup.empty()) remove(entry.backup);
  }
  if (all_removed) {
    remove(journal_file_);
    try {
      steps_.FlushDirectory(dir_);
    } catch (const Error&) {
      // The old tables are in place; a journal that comes back is harmless.
    }
  }
  state_ = State::kDone;
  throw Error(failure + "\nLas tablas de trabajo anteriores se han dejado como estaban.");
}

}  // namespace pasahorario
