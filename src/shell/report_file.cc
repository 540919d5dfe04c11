#include "shell/report_file.h"

#include "base/atomic_file.h"

namespace pasahorario {

std::string ReportFileBytes(const Report& report) {
  constexpr char kLineEnd[] = "\r\n";
  std::string bytes = "\xEF\xBB\xBF";
  bytes += report.Summary() + kLineEnd + kLineEnd;
  for (const std::string& line : report.GroupedLines()) bytes += line + kLineEnd;
  return bytes;
}

void SaveReportFile(const std::filesystem::path& file, const Report& report) {
  WriteFileAtomically(file, ReportFileBytes(report));
}

}  // namespace pasahorario
