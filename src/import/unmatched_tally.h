// Counts, while an import runs, the values of the solution table that found
// no match in the work tables, so the user can be told which codes to fix.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "import/importar.h"

namespace pasahorario {

// What did not match, in the order the report lists the kinds.
enum class UnmatchedKind {
  kTarea,     // a TAREA that is not blank and is no COD of ASIGNOMT
  kTramo,     // a time-slot key (DIA and HORA) that is no DIHO of DIASHORAST
  kAula,      // an AULA that is no ABREV of AULAT
  kCodGrupo,  // a CODGRUPO that is no ABREV of GRUPOST
  kAsig,      // an ASIG for which ASIGT and ASIGNOMT give no MATERIA
};

// The label the report shows for `kind` (the constants of importar.h).
const char* UnmatchedLabel(UnmatchedKind kind);

class UnmatchedTally {
 public:
  // Adds `activities` activity records that carry `code` unmatched; for a
  // time slot, `slot` says the day and hour the key was made of.
  void Add(UnmatchedKind kind, const std::string& code, int activities,
           const std::string& slot = {});

  // Every value added, by kind in the order above, then by code (byte
  // order), then by day and hour, each with its total of activities.
  std::vector<ImportSummary::Unmatched> Entries() const;

 private:
  std::map<std::tuple<UnmatchedKind, std::string, std::string>, int> counts_;
};

// "día 1, hora 12": the day's text, trimmed (a blank one said as such), and
// the hour of a time-slot key, which the key alone does not tell apart
// ("112" is also day 11, hour 2).
std::string SlotText(const std::string& dia, int32_t hora);

// How a report shows an unmatched value: its code between quotes, or for a
// time slot its day and hour followed by the key looked for ("día 1, hora 12
// (DIHO '112')").
std::string UnmatchedValueText(const ImportSummary::Unmatched& unmatched);

}  // namespace pasahorario
