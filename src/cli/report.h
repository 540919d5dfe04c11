// What the console prints after a command: what was written (or would be,
// for a dry run), every value that found no match, and the findings of the
// command's report; and the text of the report file that --informe asks for.
#pragma once
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/report.h"
#include "export/exportar.h"
#include "import/importar.h"

namespace pasahorario {

// `heading`, then the rows per table, then the sections the document
// lacks, if any.
void PrintExportTables(const ExportSummary& summary, std::string_view heading, std::ostream& out);

// Rows per table written to `exchange_dir`, then the sections the document
// lacks, if any.
void PrintExportReport(const ExportSummary& summary, const std::filesystem::path& exchange_dir,
                       std::ostream& out);

// The teacher and activity counts, every value without a match with its
// kind, its text (quoted: it may be blank) and how many activities it
// touches, and the proposed lines of EQUIVALENCIAS.TXT with their reasons.
void PrintImportCounts(const ImportSummary& summary, std::ostream& out);

// The result file, then PrintImportCounts.
void PrintImportReport(const ImportSummary& summary, std::ostream& out);

// The report's summary line ("Sin avisos" when it is empty), then one
// indented line per finding.
void PrintFindings(const Report& report, std::ostream& out);

// One part of a report file: a title line, then either why the command
// would not run or failed (`note`), or the report's findings.
struct ReportPart {
  std::string title;  // "Exportación"
  const Report* report = nullptr;
  std::string note;  // shown instead of the findings when not empty
};

// The report file's text: a heading naming the command, the chosen file and
// the exchange directory, then each part. Lines end in "\n".
std::string ReportFileText(std::string_view command, const std::filesystem::path& chosen_file,
                           const std::filesystem::path& exchange_dir,
                           const std::vector<ReportPart>& parts);

}  // namespace pasahorario
