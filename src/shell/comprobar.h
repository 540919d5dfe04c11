// The dry run behind `pasahorario-cli comprobar`: the export's reading and
// conversion, and the import when the exchange directory holds what it
// reads, run without writing anything the user keeps. The tables and the
// result are built in a private temporary folder that is removed at the
// end, so the exchange directory and the chosen file's folder are left
// byte for byte, apart from the lock file (made when missing) and an empty
// folder of a fresh name that each gets and loses at once (the check that
// the real command could write there).
#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "delphos/xml_document.h"
#include "export/exportar.h"
#include "import/importar.h"

namespace pasahorario {

struct DryRun {
  // What the export would write; empty when it would fail.
  std::optional<ExportSummary> export_summary;
  std::string export_error;  // why the export would fail; empty when it would not
  // What the import would write; empty when it was not tried or would fail.
  std::optional<ImportSummary> import_summary;
  std::string import_error;  // why the import would fail
  // The tables the import reads that the exchange directory lacks; the
  // import is not tried when there is any.
  std::vector<std::string> import_missing;
  // What the next command will repair in the exchange directory (an
  // interrupted export it finishes or undoes), in Spanish; empty when
  // nothing is pending. The import is not tried on tables in that state.
  std::string pending_repair;

  bool failed() const { return !export_error.empty() || !import_error.empty(); }
  // Something to tell: a finding of either report (a correspondence of
  // EQUIVALENCIAS.TXT applied is not one), a value of the solution without a
  // match, or a pending repair.
  bool has_findings() const;
};

// Runs the dry run on `doc`, loaded from `chosen_file`, against
// `exchange_dir`. A failure of either direction is kept in the result with
// its message, not thrown; the import is tried even when the export would
// fail. `doc`'s SALIDAS is replaced when the import is tried. Throws Error
// when `exchange_dir` is not a directory (neither direction could run),
// when another export, import or check is working in it (the directory is
// "ocupada"; ExchangeDirLock::ForCheck, held for the whole run) and when
// the private temporary folder cannot be made.
DryRun Comprobar(delphos::XmlDocument& doc, const std::filesystem::path& chosen_file,
                 const std::filesystem::path& exchange_dir, const AskStartTimeFn& ask_start_time);

}  // namespace pasahorario
