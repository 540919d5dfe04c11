// The export direction: a loaded DELPHOS export becomes the six work tables
// of the exchange directory, all or nothing.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "base/report.h"
#include "delphos/xml_document.h"
#include "export/hora_inicio.h"

namespace pasahorario {

struct ExportSummary {
  struct Table {
    std::string name;  // "ASIGNOMT"
    int rows = 0;
  };
  std::vector<Table> tables;                 // in the converters' order
  std::vector<std::string> absent_sections;  // sections not in the document
  Report report;                             // what was cut, replaced, duplicated or skipped
};

// Throws Error unless `dir` is a folder whose entries can be listed, saying
// whether it is missing, a file, or unreadable; no table has been changed.
void CheckExchangeDir(const std::filesystem::path& dir);

// Runs ExportarMaterias, ExportarProfesores, ExportarAulas, ExportarGrupos,
// ExportarAsignaturas and ExportarTramos in this order on `doc`, each into a
// staged table beside the old one in `exchange_dir`. Only when all six have
// succeeded do they replace the old tables (and their .MDX files go). On any
// failure every earlier table is left byte for byte and no staged file
// remains. Throws Error, before anything is written or asked, for a
// document that is not a DELPHOS export (root other than SERVICIO, no
// SALIDAS, none of the six sections), for an exchange directory that
// does not exist or cannot be listed, and for a table that another program
// holds (CheckTablesNotHeld). Once the six tables are in place the export
// has succeeded: a step after that which fails (the folder not flushed, an
// old index, a copy or the journal not removed) is a finding of the report,
// and the next run finishes it. A section the document lacks is named in
// absent_sections and in a finding of the report, and its table is written
// without rows.
ExportSummary ExportarTodo(const delphos::XmlDocument& doc,
                           const std::filesystem::path& exchange_dir,
                           const AskStartTimeFn& ask_start_time);

}  // namespace pasahorario
