// Reading the host's solution table SOLUC once, in stored order, into the
// activities of each teacher abbreviation.
//
// SOLUC is read as the host writes it: the fields PROF, DIA, HORA, TAREA,
// AULA, CODGRUPO, ASIG, NIVEL and CURSO are found by name in any order and
// of any type from which DIA and HORA read as whole numbers and the others
// as text; further fields are ignored.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "import/activity_values.h"
#include "import/unmatched_tally.h"
#include "import/work_table_index.h"
#include "worktables/dbf_table.h"

namespace pasahorario {

struct SolutionActivities {
  std::vector<ActivityValues> activities;
  // For each PROF, the indexes in `activities` of its rows, in stored order.
  std::unordered_map<std::string, std::vector<uint32_t>> by_prof;

  // The activities of the teacher abbreviated `abrev`, in stored order
  // (none when SOLUC has no row with a day for it).
  const std::vector<uint32_t>& Of(const std::string& abrev) const;
};

// Reads `soluc` (open, unfiltered). A row is read further only when its
// PROF is a key of `teachers_per_abrev` (the PROFT rows per abbreviation);
// it yields an activity unless DIA, as a whole number, is 0. HORA is read
// only for rows with a day. The unmatched values of a row are added to
// `tally` once per teacher record that will hold the activity.
//
// DIA's text, which begins the time-slot key, is the field text for a text
// field and the whole number in decimal for a numeric one (N(3,1) "2.0"
// gives "2").
//
// Throws Error when a field is missing and, for the first row read whose DIA
// (or, with a day, HORA) is not a whole number, the integer conversion error
// with the table, field and row.
SolutionActivities ReadSolution(dbf::DbfTable& soluc,
                                const std::unordered_map<std::string, int>& teachers_per_abrev,
                                const WorkTableIndex& index, UnmatchedTally& tally);

}  // namespace pasahorario
