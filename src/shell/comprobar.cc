#include "shell/comprobar.h"

#include <cstdlib>
#include <exception>
#include <random>
#include <system_error>

#include "base/atomic_file.h"
#include "base/error.h"
#include "base/system_error.h"
#include "base/utf8_path.h"
#include "delphos/result_document.h"
#include "export/recovery.h"
#include "export/table_locks.h"
#include "shell/error_text.h"
#include "shell/exchange_lock.h"
#include "worktables/table_path.h"
#include "worktables/work_tables.h"

namespace pasahorario {
namespace fs = std::filesystem;

namespace {


// Where the system's temporary directory comes from, for a message: the
// variable that names it, when one does.
std::string TemporaryDirSource() {
  for (const char* name : {"TMPDIR", "TMP", "TEMP"}) {
    if (const char* value = std::getenv(name); value != nullptr && *value != '\0') {
      return std::string(name) + "=" + value;
    }
  }
  return "la predeterminada";
}

// A folder of our own under the system's temporary directory, removed with
// everything in it when the object goes.
class PrivateFolder {
 public:
  PrivateFolder() {
    std::error_code ec;
    const fs::path base = fs::temp_directory_path(ec);
    if (ec) {
      throw Error("No se encuentra la carpeta temporal del sistema (" + TemporaryDirSource() +
                  "): " + SystemErrorText(ec) + "; la comprobación necesita una para trabajar");
    }
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
      const fs::path candidate = base / ("pasahorario-comprobar-" + std::to_string(random()));
      std::error_code ec;
      if (fs::create_directory(candidate, ec)) {
        path_ = candidate;
        return;
      }
    }
    throw Error("No se puede crear una carpeta temporal en " + PathToUtf8(base));
  }
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;
  ~PrivateFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

}  // namespace

bool DryRun::has_findings() const {
  // A correspondence of EQUIVALENCIAS.TXT that was applied is the school's
  // own choice, not something to look at.
  const auto to_tell = [](const Report& report) {
    for (const Finding& f : report.findings()) {
      if (f.kind != FindingKind::kEquivApplied) return true;
    }
    return false;
  };
  return !pending_repair.empty() || (export_summary && !export_summary->report.empty()) ||
         (import_summary &&
          (to_tell(import_summary->report) || !import_summary->unmatched.empty()));
}

DryRun Comprobar(delphos::XmlDocument& doc, const fs::path& chosen_file,
                 const fs::path& exchange_dir, const AskStartTimeFn& ask_start_time) {
  // The export's refusal, which the dry run would not meet since it writes
  // elsewhere; without the folder the import is not worth trying either.
  CheckExchangeDir(exchange_dir);
  // Nothing the run reads may change under it, nor be taken for what an
  // interrupted export left.
  const ExchangeDirLock lock = ExchangeDirLock::ForCheck(exchange_dir);
  DryRun run;
  run.pending_repair = PendingRepair(exchange_dir);  // told, never done: this run writes nothing
  PrivateFolder folder;
  try {
    CheckTablesNotHeld(exchange_dir);  // the real tables would be replaced
    // The real export writes its new tables there first.
    if (const std::error_code ec = CreationError(exchange_dir)) {
      throw Error("No se puede escribir en la carpeta de intercambio " + PathToUtf8(exchange_dir) +
                  " (" + SystemErrorText(ec) + "); no se ha cambiado ninguna tabla");
    }
    std::error_code ec;
    if (!fs::create_directory(folder.path() / "XTEMP", ec) && ec) {
      throw Error("No se puede crear una carpeta en " + PathToUtf8(folder.path()) + ": " +
                  SystemErrorText(ec));
    }
    run.export_summary = ExportarTodo(doc, folder.path() / "XTEMP", ask_start_time);
  } catch (const std::exception& e) {
    run.export_summary.reset();
    run.export_error = UserErrorText(e, "la comprobación de la exportación");
  }

  if (!run.pending_repair.empty()) return run;
  // The tables the import opens, SOLUC first.
  std::vector<std::string_view> import_tables = {kSolutionTable};
  import_tables.insert(import_tables.end(), std::begin(kWorkTables), std::end(kWorkTables));
  for (std::string_view table : import_tables) {
    std::error_code ec;
    const fs::path file = dbf::ResolveLetterCase(exchange_dir / (std::string(table) + ".DBF"));
    // Something else under the name is not missing: the import would fail
    // on it, and so does its check.
    if (!fs::exists(file, ec)) run.import_missing.emplace_back(table);
  }
  if (!run.import_missing.empty()) return run;
  try {
    // The result goes into the private folder under the chosen file's name.
    run.import_summary = Importar(doc, folder.path() / chosen_file.filename(), exchange_dir);
    // The real import saves its result beside the chosen file.
    const fs::path result = PathFromUtf8(delphos::NombreResultado(PathToUtf8(chosen_file)));
    const fs::path folder_of_result = result.parent_path().empty() ? "." : result.parent_path();
    std::error_code ec;
    if (fs::is_directory(result, ec)) {
      throw Error("No se puede guardar el resultado " + PathToUtf8(result) +
                  ": ya hay una carpeta con ese nombre");
    }
    if ((ec = CreationError(folder_of_result))) {
      throw Error("No se puede guardar el resultado " + PathToUtf8(result) +
                  ": no se puede escribir en la carpeta " + PathToUtf8(folder_of_result) + " (" +
                  SystemErrorText(ec) + ")");
    }
  } catch (const std::exception& e) {
    run.import_summary.reset();
    run.import_error = UserErrorText(e, "la comprobación de la importación");
  }
  return run;
}

}  // namespace pasahorario
