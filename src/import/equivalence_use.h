// What an import did with each line of EQUIVALENCIAS.TXT: where it stood
// for a value the tables lack, where it pointed to a value the tables do not
// hold either, and which lines no value of SOLUC needed. The import asks it
// only after a literal lookup found nothing.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "base/report.h"
#include "import/equivalencias.h"

namespace pasahorario {

class EquivalenceUse {
 public:
  // Requires: `file` outlives this object.
  explicit EquivalenceUse(const Equivalencias& file);

  // The file's correspondence for a value; nullptr when there is none.
  const Equivalence* Find(EquivalenceKind kind, std::string_view from, int32_t hour = 0) const {
    return file_.Find(kind, from, hour);
  }

  // `e` gave its value to `activities` activity records.
  void Applied(const Equivalence& e, int activities);
  // `e` says "-" and was met by `activities` activity records.
  void Ignored(const Equivalence& e, int activities);
  // `e` names a value the tables do not hold; `activities` records stay
  // without it (for PROFESOR: rows of SOLUC with a day that are left out).
  void Broken(const Equivalence& e, int activities);

  // Findings in line order: one kEquivBroken per line that pointed
  // nowhere, one kEquivApplied per line applied (value, line,
  // activities) and one kEquivUnused per line never met.
  void AddFindings(Report& report) const;

 private:
  struct Use {
    long long applied = 0;
    long long ignored = 0;
    long long broken = 0;
    bool met = false;
  };
  Use& UseOf(const Equivalence& e);

  const Equivalencias& file_;
  std::vector<Use> uses_;
};

// The table, and for ASIGNATURA the tables, that hold the right side of a
// correspondence of `kind`: "AULAT", "ASIGT ni en ASIGNOMT".
const char* EquivalenceTable(EquivalenceKind kind);

}  // namespace pasahorario
