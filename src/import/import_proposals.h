// The proposals an import reports for the values it could not match and
// that EQUIVALENCIAS.TXT does not cover: for each, the line of the file that
// would apply the likely correspondence, and why it is likely.
#pragma once
#include <vector>

#include "base/report.h"
#include "import/importar.h"
#include "import/proposals.h"
#include "import/unknown_teachers.h"
#include "import/work_table_index.h"

namespace pasahorario {

// A proposal for every teacher code of `unknown` with rows that have a day
// (against `teachers`) and
// every entry of `unmatched` (against the keys of its table in `index`)
// that has one. Time slots and blank values get none.
std::vector<ImportSummary::Proposed> Proposals(
    const UnknownTeachers& unknown, const std::vector<TeacherName>& teachers,
    const std::vector<ImportSummary::Unmatched>& unmatched, const WorkTableIndex& index);

// One kProposal finding per proposal, in the order given.
void ReportProposals(const std::vector<ImportSummary::Proposed>& proposals, Report& report);

}  // namespace pasahorario
