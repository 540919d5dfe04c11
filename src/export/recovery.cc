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
  fs::path journal_file;            // empty when there is no journal
  std::optional<Journal> journal;   // empty when there is none or it is not whole
  std::vector<fs::path> leftovers;  // staged files and copies of old tables
  bool empty() const { return journal_file.empty() && leftovers.empty(); }
  // Only copies of old tables and no journal: an export that finished but
  // could not remove them. The staged tables had all taken their places.
  bool only_copies() const;
};

bool Interrupted::only_copies() const {
  if (!journal_file.empty() || leftovers.empty()) return false;
  for (const fs::path& file : leftovers) {
    const std::string name = AsciiLower(PathToUtf8(file.filename()));
    if (name.find(".nuevo~") != std::string::npos) return false;
  }
  return true;
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
    } else if (IsExportLeftover(name)) {
      found.leftovers.push_back(it->path());
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

// A replacement was being taken back: every table that was replaced gets
// its old bytes again, and a table that did not exist before goes.
void RollBack(const fs::path& dir, const Journal& journal, CommitSteps& steps) {
  for (const JournalEntry& e : journal.entries) {
    const fs::path target = dir / PathFromUtf8(e.target);
    if (!e.backup.empty()) {
      if (Exists(dir / PathFromUtf8(e.backup))) steps.Rename(dir / PathFromUtf8(e.backup), target);
    } else if (!Exists(dir / PathFromUtf8(e.staged)) && Exists(target)) {
      steps.Remove(target);  // a new table where there was none before
    }
  }
  steps.FlushDirectory(dir);
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
  std::string done;
  if (found.journal && found.journal->direction == Journal::Direction::kForward) {
    const std::vector<std::string> warnings = RollForward(dir, *found.journal, steps);
    done = "Se ha terminado una exportación que quedó interrumpida" + where +
           ": las tablas de trabajo son todas las de esa exportación.";
    for (const std::string& w : warnings) done += "\n" + w;
  } else if (found.journal) {
    RollBack(dir, *found.journal, steps);
    done = "Se ha deshecho una exportación que quedó interrumpida" + where +
           ": las tablas de trabajo son las que había antes de ella.";
  } else if (found.only_copies()) {
    done = "Se han borrado las copias de las tablas anteriores que dejó una exportación terminada" +
           where + " (" + Names(found.leftovers) +
           "); las tablas de trabajo son las de esa exportación.";
  } else {
    done = "Se han borrado los archivos provisionales de una exportación que quedó interrumpida" +
           where + " (" + Names(found.leftovers) +
           "); las tablas de trabajo no se habían cambiado.";
  }
  // What is left of the export's own files goes, the journal last.
  for (const fs::path& file : Look(dir).leftovers) steps.Remove(file);
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
  if (found.only_copies()) {
    return "La carpeta " + PathToUtf8(dir) +
           " tiene copias de las tablas anteriores que dejó una "
           "exportación terminada; la próxima exportación o importación las borrará (" +
           Names(found.leftovers) + ").";
  }
  const std::string where = "Una exportación quedó interrumpida en la carpeta " + PathToUtf8(dir);
  if (found.journal && found.journal->direction == Journal::Direction::kForward) {
    return where + "; la próxima exportación o importación la terminará.";
  }
  if (found.journal) {
    return where + "; la próxima exportación o importación la deshará.";
  }
  return where +
         " sin llegar a cambiar las tablas; la próxima exportación o importación borrará "
         "sus archivos provisionales (" +
         Names(found.leftovers) + ").";
}

}  // namespace pasahorario
