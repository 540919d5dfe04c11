// Counts, while an import runs, the values of the solution table that found
// no match in the work tables, so the user can be told which codes to fix.
#pragma once
#include <map>
#include <string>
#include <utility>
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
  // Adds `activities` activity records that carry `code` unmatched.
  void Add(UnmatchedKind kind, const std::string& code, int activities);

  // Every value added, by kind in the order above, then by code (byte
  // order), each with its total of activities.
  std::vector<ImportSummary::Unmatched> Entries() const;

 private:
  std::map<std::pair<UnmatchedKind, std::string>, int> counts_;
};

}  // namespace pasahorario
