// Reading the host's solution table SOLUC once, row by row in stored order:
// each row of a known teacher that has a day becomes an activity handed to
// the caller at once; nothing of the table is kept beyond what the caller
// keeps. The rows of teacher codes that are in no PROFT row are counted.
//
// SOLUC is read as the host writes it: the fields PROF, DIA, HORA, TAREA,
// AULA, CODGRUPO, ASIG, NIVEL and CURSO are found by name in any order and
// of any type from which DIA and HORA read as whole numbers and the others
// as text; further fields are ignored.
#pragma once
#include <functional>
#include <string>
#include <unordered_map>

#include "import/activity_values.h"
#include "import/equivalence_use.h"
#include "import/unknown_teachers.h"
#include "import/unmatched_tally.h"
#include "import/work_table_index.h"
#include "worktables/dbf_table.h"

namespace pasahorario {

// Receives the activity of one row: the row's PROF and its values.
using ActivitySink = std::function<void(const std::string& prof, const ActivityValues& values)>;

// What the pass over SOLUC saw besides the activities.
struct SolutionCounts {
  // Rows whose DIA reads as a whole number other than 0, whoever's they are.
  long long rows_with_day = 0;
  // The codes of PROF that are no key of the teachers, with their rows.
  UnknownTeachers unknown;
};

// Reads `soluc` (open, unfiltered) from its first row to its end. A row is
// read further only when its PROF is a key of `teachers_per_abrev` (the
// PROFT rows per abbreviation); it yields an activity, handed to `sink`,
// unless DIA, as a whole number, is 0. HORA is read only for rows with a
// day. The unmatched values of a row are added to `tally` once per teacher
// record that will hold the activity.
//
// DIA's text, which begins the time-slot key, is the field text for a text
// field and the whole number in decimal for a numeric one (N(3,1) "2.0"
// gives "2").
//
// A row of an unknown PROF is only counted, never an error: its DIA counts
// as a day when it reads as a number that rounds to something other than 0.
// With `equivalences`, an unknown PROF that has a PROFESOR correspondence
// is not counted as unknown: when its right side is a key of the teachers,
// its rows are read in a second pass over the table, after every other
// row, and handed to `sink` under that key (so they follow the teacher's
// own activities, in SOLUC's order); when it is "-" or a code PROFT lacks,
// its rows are left out. `equivalences` also serves ValoresActividad.
//
// Throws Error when a field is missing and, for the first row of a known
// teacher whose DIA (or, with a day, HORA) is not a whole number, the
// integer conversion error with the table, field and row. Whatever `sink`
// throws is passed on.
SolutionCounts ReadSolution(dbf::DbfTable& soluc,
                            const std::unordered_map<std::string, int>& teachers_per_abrev,
                            const WorkTableIndex& index, UnmatchedTally& tally,
                            const ActivitySink& sink, EquivalenceUse* equivalences = nullptr);

}  // namespace pasahorario
