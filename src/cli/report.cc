#include "cli/report.h"

#include <iomanip>
#include <sstream>
#include <string>

#include "base/utf8_path.h"
#include "import/unmatched_tally.h"

namespace pasahorario {
namespace {

std::string Count(int n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

void WriteFindings(const Report& report, std::string_view indent, std::ostream& out) {
  out << report.Summary() << '\n';
  if (!report.empty()) out << '\n';
  for (const std::string& line : report.GroupedLines()) {
    out << (line.empty() ? "" : indent) << line << '\n';
  }
}

}  // namespace

void PrintExportTables(const ExportSummary& summary, std::string_view heading, std::ostream& out) {
  out << heading << '\n';
  for (const ExportSummary::Table& table : summary.tables) {
    out << "  " << std::left << std::setw(11) << table.name << std::right << std::setw(7)
        << table.rows << (table.rows == 1 ? " fila\n" : " filas\n");
  }
  // Absent sections are findings of the report, printed with the others.
}

void PrintExportReport(const ExportSummary& summary, const std::filesystem::path& exchange_dir,
                       std::ostream& out) {
  PrintExportTables(summary, "Tablas escritas en " + PathToUtf8(exchange_dir) + ":", out);
}

void PrintImportCounts(const ImportSummary& summary, std::ostream& out) {
  out << "Profesores: " << summary.teachers << '\n'
      << "Actividades: " << summary.activities << '\n';
  if (summary.unmatched.empty()) {
    out << "Todos los valores han encontrado correspondencia.\n";
  } else {
    out << "Valores sin correspondencia (" << summary.unmatched.size() << "):\n";
    for (const ImportSummary::Unmatched& u : summary.unmatched) {
      out << "  " << u.kind << ": " << UnmatchedValueText(u) << " ("
          << Count(u.activities, "actividad", "actividades") << ")\n";
    }
  }
  if (summary.proposals.empty()) return;
  out << "Propuestas de equivalencia (" << summary.proposals.size()
      << "; ninguna se aplica sola: para aplicar una, copie su línea en EQUIVALENCIAS.TXT):\n";
  for (const ImportSummary::Proposed& p : summary.proposals) {
    out << "  " << p.line << "\n    (" << p.why << ")\n";
  }
}

void PrintImportReport(const ImportSummary& summary, std::ostream& out) {
  out << "Resultado: " << PathToUtf8(summary.result_path) << '\n';
  PrintImportCounts(summary, out);
}

void PrintFindings(const Report& report, std::ostream& out) { WriteFindings(report, "  ", out); }

std::string ReportFileText(std::string_view command, const std::filesystem::path& chosen_file,
                           const std::filesystem::path& exchange_dir,
                           const std::vector<ReportPart>& parts) {
  std::ostringstream text;
  text << "Pasahorario: informe de " << command << '\n'
       << "Archivo: " << PathToUtf8(chosen_file) << '\n'
       << "Carpeta de intercambio: " << PathToUtf8(exchange_dir) << '\n';
  for (const ReportPart& part : parts) {
    text << '\n' << part.title << ":\n";
    if (!part.note.empty()) {
      text << part.note << '\n';
    } else if (part.report != nullptr) {
      WriteFindings(*part.report, "", text);
    }
  }
  return text.str();
}

}  // namespace pasahorario
