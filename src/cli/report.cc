#include "cli/report.h"

#include <iomanip>
#include <string>

#include "base/utf8_path.h"

namespace pasahorario {
namespace {

std::string Count(int n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

}  // namespace

void PrintExportReport(const ExportSummary& summary, const std::filesystem::path& exchange_dir,
                       std::ostream& out) {
  out << "Tablas escritas en " << PathToUtf8(exchange_dir) << ":\n";
  for (const ExportSummary::Table& table : summary.tables) {
    out << "  " << std::left << std::setw(11) << table.name << std::right << std::setw(7)
        << table.rows << (table.rows == 1 ? " fila\n" : " filas\n");
  }
  if (!summary.absent_sections.empty()) {
    out << "Secciones que no están en el documento (sus tablas quedan vacías):";
    for (const std::string& section : summary.absent_sections) out << ' ' << section;
    out << '\n';
  }
}

void PrintImportReport(const ImportSummary& summary, std::ostream& out) {
  out << "Resultado: " << PathToUtf8(summary.result_path) << '\n'
      << "Profesores: " << summary.teachers << '\n'
      << "Actividades: " << summary.activities << '\n';
  if (summary.unmatched.empty()) {
    out << "Todos los valores han encontrado correspondencia.\n";
    return;
  }
  out << "Valores sin correspondencia (" << summary.unmatched.size() << "):\n";
  for (const ImportSummary::Unmatched& u : summary.unmatched) {
    out << "  " << u.kind << ": '" << u.code << "' ("
        << Count(u.activities, "actividad", "actividades") << ")\n";
  }
}

}  // namespace pasahorario
