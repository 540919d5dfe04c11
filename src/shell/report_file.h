// The report of findings as a text file that the user keeps: what the
// report dialog saves.
#pragma once
#include <filesystem>
#include <string>

#include "base/report.h"

namespace pasahorario {

// The file's bytes: the UTF-8 byte-order mark (so that Windows editors read
// the accents right), the summary line, an empty line, then one line per
// finding; every line ends in CR LF.
std::string ReportFileBytes(const Report& report);

// Writes ReportFileBytes(`report`) to `file`, replacing any file of that
// name through a temporary file. Throws Error naming `file` when it cannot
// be written; an existing file then stays as it was.
void SaveReportFile(const std::filesystem::path& file, const Report& report);

}  // namespace pasahorario
