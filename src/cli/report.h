// What the console prints after a completed command: what was written and,
// for an import, every value that found no match.
#pragma once
#include <filesystem>
#include <ostream>

#include "export/exportar.h"
#include "import/importar.h"

namespace pasahorario {

// Rows per table written to `exchange_dir`, then the sections the document
// lacks, if any.
void PrintExportReport(const ExportSummary& summary, const std::filesystem::path& exchange_dir,
                       std::ostream& out);

// The result file, the teacher and activity counts, and every value without
// a match with its kind, its text (quoted: it may be blank) and how many
// activities it touches.
void PrintImportReport(const ImportSummary& summary, std::ostream& out);

}  // namespace pasahorario
