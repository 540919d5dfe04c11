#include "export/recovery.h"

#include <optional>
#include <system_error>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "base/utf8_path.h"
#include "export/commit_journal.h"

namespace pasahorario {
namespace fs = std::filesystem;

namespace {

// What an exchange directory holds of an interrupted replacement.
struct Interrupted {
  fs::path journal_file;           // empty when there is no journal
  std::optional<Journal> journal;  // empty when there is none or it is not whole
  std::vector<fs::path> staged;    // new tables not in their places
  std::vector<fs::path> copies;    // copies of old tables
  std::vector<fs::path> journals;  // journals under a temporary name
  std::vector<fs::path> tables;    // the work tables' files
  bool empty() const {
    return journal_file.empty() && staged.empty() && copies.empty() && journals.empty();
  }
  std::vector<fs::path> leftovers() const;
  // For a journal that is not whole: left by an earlier version of this
  // program, cut short while it was written in place. Every old table whose
  // staged table is gone (so it was replaced) gets its copy back, and a
  // table with neither a staged table nor a copy (so it is new where there
  // was none) goes, which leaves the tables as before whatever the journal
  // said. Tables are only touched while staged tables remain, the mark of a
  // replacement that stopped halfway.
  Journal UndoFromCopies() const;
  // No journal and no staged table: an export that finished and could not
  // remove every file of its own.
  bool finished() const { return journal_file.empty() && staged.empty(); }
};

std::vector<fs::path> Interrupted::leftovers() const {
  std::vector<fs::path> all = staged;
  all.insert(all.end(), copies.begin(), copies.end());
  all.insert(all.end(), journals.begin(), journals.end());
  return all;
}

Journal Interrupted::UndoFromCopies() const {
  Journal undo{Journal::Direction::kBack, {}};
  if (staged.empty()) return undo;
  const auto for_table = [](const std::vector<fs::path>& files, const std::string& table) {
    std::string found;
    for (const fs::path& file : files) {
      const std::string name = PathToUtf8(file.filename());
      if (AsciiLower(LeftoverTable(name)) == AsciiLower(table)) found = name;
    }
    return found;
  };
  for (const fs::path& copy : copies) {
    const std::string name = PathToUtf8(copy.filename());
    const std::string table = LeftoverTable(name);
    if (for_table(staged, table).empty()) undo.entries.push_back({"", table, name});
  }
  for (const fs::path& file : tables) {
    const std::string table = PathToUtf8(file.filename());
    if (for_table(staged, table).empty() && for_table(copies, table).empty()) {
      undo.entries.push_back({"", table, ""});
    }
  }
  return undo;
}

Interrupted Look(const fs::path& dir) {
  Interrupted found;
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) return found;
  const std::string journal_name = AsciiLower(kJournalName);
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = PathToUtf8(it->path().filename());
    if (AsciiLower(name) == journal_name) {
      found.journal_file = it->path();
      continue;
    }
    if (IsWorkTableFile(name)) found.tables.push_back(it->path());
    switch (ClassifyLeftover(name)) {
      case LeftoverKind::kStaged:
        found.staged.push_back(it->path());
        break;
      case LeftoverKind::kCopy:
        found.copies.push_back(it->path());
        break;
      case LeftoverKind::kJournal:
        found.journals.push_back(it->path());
        break;
      case LeftoverKind::kNone:
        break;
    }
  }
  if (!found.journal_file.empty())
    found.journal = ParseJournal(ReadJournalText(found.journal_file));
  return found;
}

bool Exists(const fs::path& file) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(file, ec));
}

std::string Names(const std::vector<fs::path>& files) {
  std::string names;
  for (const fs::path& file : files) {
    if (!names.empty()) names += ", ";
    names += PathToUtf8(file.filename());
  }
  return names;
}

// The decision was taken: the staged tables left take their places.
std::vector<std::string> RollForward(const fs::path& dir, const Journal& journal,
                                     CommitSteps& steps) {
  for (const JournalEntry& e : journal.entries) {
    if (Exists(dir / PathFromUtf8(e.staged))) {
      steps.Rename(dir / PathFromUtf8(e.staged), dir / PathFromUtf8(e.target));
    }
  }
  steps.FlushDirectory(dir);
  std::vector<std::string> warnings;
  for (const JournalEntry& e : journal.entries) {
    for (std::string& w : RemoveIndexFiles(dir, e.target, steps)) warnings.push_back(std::move(w));
  }
  return warnings;
}

// A replacement was being taken back: every table that was replaced (its
// staged table is gone) gets its old bytes again, and a table that did not
// exist before goes. A table whose staged table is still there was never
// replaced and is not touched. Returns how many tables were put back.
int RollBack(const fs::path& dir, const Journal& journal, CommitSteps& steps) {
  int put_back = 0;
  for (const JournalEntry& e : journal.entries) {
    if (!e.staged.empty() && Exists(dir / PathFromUtf8(e.staged))) continue;
    const fs::path target = dir / PathFromUtf8(e.target);
    if (!e.backup.empty()) {
      if (Exists(dir / PathFromUtf8(e.backup))) {
        steps.Rename(dir / PathFromUtf8(e.backup), target);
        ++put_back;
      }
    } else if (Exists(target)) {
      steps.Remove(target);  // a new table where there was none before
      ++put_back;
    }
  }
  steps.FlushDirectory(dir);
  return put_back;
}

}  // namespace

std::vector<std::string> RemoveIndexFiles(const fs::path& dir, const std::string& target,
                                          CommitSteps& steps) {
  const std::string wanted = AsciiLower(target.substr(0, target.size() - 4) + ".MDX");
  std::error_code ec;
  std::vector<fs::path> found;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (AsciiLower(PathToUtf8(it->path().filename())) == wanted) found.push_back(it->path());
  }
  std::vector<std::string> warnings;
  for (const fs::path& file : found) {
    try {
      steps.Remove(file);
    } catch (const Error& e) {
      warnings.push_back(std::string(e.what()) +
                         "; es el índice de la tabla anterior y conviene borrarlo.");
    }
  }
  return warnings;
}

std::string RepairExchangeDir(const fs::path& dir, CommitSteps& steps) {
  const Interrupted found = Look(dir);
  if (found.empty()) return {};
  const std::string where = " en la carpeta " + PathToUtf8(dir);
  const std::string undone = "Se ha deshecho una exportación que quedó interrumpida" + where +
                             ": las tablas de trabajo son las que había antes de ella.";
  std::string done;
  if (found.journal && found.journal->direction == Journal::Direction::kForward) {
    const std::vector<std::string> warnings = RollForward(dir, *found.journal, steps);
    done = "Se ha terminado una exportación que quedó interrumpida" + where +
           ": las tablas de trabajo son todas las de esa exportación.";
    for (const std::string& w : warnings) done += "\n" + w;
  } else if (found.journal) {
    RollBack(dir, *found.journal, steps);
    done = undone;
  } else if (!found.journal_file.empty() && RollBack(dir, found.UndoFromCopies(), steps) > 0) {
    done = undone;
  } else if (found.finished()) {
    done = "Se han borrado " +
           std::string(found.copies.empty() ? "los archivos provisionales"
                                            : "las copias de las tablas anteriores") +
           " que dejó una exportación terminada" + where + " (" + Names(found.leftovers()) +
           "); las tablas de trabajo son las de esa exportación.";
  } else {
    done = "Se han borrado los archivos provisionales de una exportación que quedó interrumpida" +
           where + " (" + Names(found.leftovers()) +
           "); las tablas de trabajo no se habían cambiado.";
  }
  // What is left of the export's own files goes, the journal last.
  for (const fs::path& file : Look(dir).leftovers()) steps.Remove(file);
  steps.FlushDirectory(dir);
  if (!found.journal_file.empty()) {
    steps.Remove(found.journal_file);
    steps.FlushDirectory(dir);
  }
  return done;
}

std::string PendingRepair(const fs::path& dir) {
  const Interrupted found = Look(dir);
  if (found.empty()) return {};
  const std::string where = "Una exportación quedó interrumpida en la carpeta " + PathToUtf8(dir);
  if (found.journal && found.journal->direction == Journal::Direction::kForward) {
    return where + "; la próxima exportación o importación la terminará.";
  }
  if (found.journal || (!found.journal_file.empty() && !found.UndoFromCopies().entries.empty())) {
    return where + "; la próxima exportación o importación la deshará.";
  }
  if (found.finished()) {
    return "La carpeta " + PathToUtf8(dir) + " tiene " +
           (found.copies.empty() ? "archivos provisionales" : "copias de las tablas anteriores") +
           " que dejó una exportación terminada; la próxima exportación o importación " +
           (found.copies.empty() ? "los" : "las") + " borrará (" + Names(found.leftovers()) + ").";
  }
  return where +
         " sin llegar a cambiar las tablas; la próxima exportación o importación borrará "
         "sus archivos provisionales (" +
         Names(found.leftovers()) + ").";
}

}  // namespace pasahorario
