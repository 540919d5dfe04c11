// The findings an import adds to its report: teacher codes of SOLUC that
// are in no row of PROFT (a blank one said as such), PROFT rows without an
// abbreviation or sharing one, values without a match, and remarks on SOLUC
// itself (no activity, older than the last export, code page assumed).
// Each is a Spanish sentence saying what happened and what to do.
#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/report.h"
#include "import/importar.h"
#include "import/unknown_teachers.h"

namespace pasahorario {

// `text` as a message shows it: between single quotes, with control bytes
// written as \xNN escapes (so a blank code reads '').
std::string Quoted(std::string_view text);

// One kUnknownTeacher finding per code of `unknown`, with its rows, and one
// more for the codes past the limit when there are any.
void ReportUnknownTeachers(const UnknownTeachers& unknown, Report& report);

// A kBlankKey finding for PROFT row `row` (from 1), whose ABREV is blank:
// its teacher record holds the `activities` of the SOLUC rows whose PROF is
// as blank, whoever's they are.
Finding BlankTeacherFinding(int row, const std::string& x_empleado, int activities);

// A PROFT row that shares its abbreviation with another: its place from 1
// and its employee code.
struct SharedTeacher {
  int row = 0;
  std::string x_empleado;
};

// A kDuplicateKey finding for abbreviation `abrev`, which the PROFT rows
// `rows` share: each of them was given the same `activities` activities.
Finding SharedTeacherFinding(const std::string& abrev, const std::vector<SharedTeacher>& rows,
                             int activities);

// One kUnmatched finding per entry, in the order given.
void ReportUnmatched(const std::vector<ImportSummary::Unmatched>& unmatched, Report& report);

// The kNoActivity finding: SOLUC holds no row with a day.
Finding NoActivityFinding();

// A kOldSolution finding when `soluc` was last modified before the newest
// of `work_tables`. Nothing when it was not, or when a time cannot be read
// (the remark is left out rather than guessed).
std::optional<Finding> OldSolutionFinding(const std::filesystem::path& soluc,
                                          const std::vector<std::filesystem::path>& work_tables);

// The kCodePageAssumed finding: the engine's own sentence on the code page
// it reads SOLUC in, followed by what the user can do about it, which
// depends on whether a .cpg file beside SOLUC (`cpg`, empty when none) had
// its say.
Finding CodePageFinding(const std::string& assumption, const std::filesystem::path& cpg);

}  // namespace pasahorario
