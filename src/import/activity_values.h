// The six values of an activity record, worked out from one solution row
// through the work-table lookups, with the rules that pick a default or a
// fallback when a lookup finds nothing.
#pragma once
#include <cstdint>
#include <string>

#include "import/equivalence_use.h"
#include "import/unmatched_tally.h"
#include "import/work_table_index.h"

namespace pasahorario {

// The fields of a SOLUC row that an activity is made of, as the engine
// returns their texts (untrimmed).
struct SolutionRow {
  std::string tarea;
  std::string dia;   // DIA as text: the time-slot key begins with it
  int32_t hora = 0;  // HORA as a whole number: the key ends with it in decimal
  std::string aula;
  std::string codgrupo;
  std::string asig;
  std::string nivel;
  std::string curso;
};

// The values in the order the activity record holds them.
struct ActivityValues {
  std::string x_actividad;
  std::string n_diasemana;
  std::string x_tramo;
  std::string x_depcentro;
  std::string x_unidad;
  std::string x_materiaomc;
};

// The text X_ACTIVIDAD takes when the task gives no subject.
inline constexpr char kActividadPorDefecto[] = "G439";

// Works out the values of `row`:
// - X_ACTIVIDAD: the MATERIA of TAREA in ASIGNOMT, else TAREA itself; a
//   blank result becomes "G439".
// - N_DIASEMANA, X_TRAMO: DIA and CODDIHO of the DIASHORAST row whose DIHO
//   is DIA's text followed by HORA in decimal; both empty without one.
// - X_DEPCENTRO: DEPCENTRO of AULA in AULAT; X_UNIDAD: UNIDAD of CODGRUPO in
//   GRUPOST; each empty without a row.
// - X_MATERIAOMC: the ASIGT MATERIA of ASIG with CODGRUPO (the group of
//   the tables when a GRUPO correspondence gave it); when that is
//   blank or missing, the one of ASIG with NIVEL and CURSO; when still
//   blank, the ASIGNOMT MATERIA of ASIG. May end empty or blank.
// Each lookup that finds nothing (and the final blank X_MATERIAOMC) is
// added to `tally` with `weight` activities, unless `equivalences` has a
// correspondence for the value: then the lookup is made again with its
// right side (TAREA in ASIGNOMT, the key in DIASHORAST, AULA in AULAT,
// CODGRUPO in GRUPOST, ASIG in ASIGT and ASIGNOMT when one of them holds
// it); a "-" keeps the value as without a match, and a right side that the
// tables lack leaves it so too. Each use is recorded in `equivalences`.
ActivityValues ValoresActividad(const SolutionRow& row, const WorkTableIndex& index,
                                UnmatchedTally& tally, int weight,
                                EquivalenceUse* equivalences = nullptr);

}  // namespace pasahorario
