#include "import/activity_values.h"

#include "base/text.h"

namespace pasahorario {
namespace {

const Equivalence* Correspondence(const EquivalenceUse* equivalences, EquivalenceKind kind,
                                  const std::string& value, int32_t hour = 0) {
  return equivalences ? equivalences->Find(kind, value, hour) : nullptr;
}

// Applies `e` for a value without a match: `lookup` (true when the right
// side is in the tables, which then gives the value) records the outcome.
template <typename Lookup>
void Apply(const Equivalence& e, EquivalenceUse& equivalences, int weight, Lookup lookup) {
  if (e.none) {
    equivalences.Ignored(e, weight);
  } else if (lookup(e)) {
    equivalences.Applied(e, weight);
  } else {
    equivalences.Broken(e, weight);
  }
}

std::string MateriaOmc(const SolutionRow& row, const WorkTableIndex& index) {
  std::string v;
  if (const std::string* found = index.MateriaDeGrupo(row.asig, row.codgrupo)) v = *found;
  if (IsBlank(v)) {
    if (const std::string* found = index.MateriaDeCurso(row.asig, row.nivel, row.curso)) v = *found;
  }
  if (IsBlank(v)) {
    if (const std::string* found = index.MateriaDeCod(row.asig)) v = *found;
  }
  return v;
}

}  // namespace

ActivityValues ValoresActividad(const SolutionRow& row, const WorkTableIndex& index,
                                UnmatchedTally& tally, int weight, EquivalenceUse* equivalences) {
  ActivityValues values;

  const std::string* materia = index.MateriaDeCod(row.tarea);
  values.x_actividad = materia ? *materia : row.tarea;
  if (materia) {
    // found in ASIGNOMT
  } else if (const Equivalence* e =
                 Correspondence(equivalences, EquivalenceKind::kTarea, row.tarea)) {
    Apply(*e, *equivalences, weight, [&](const Equivalence& eq) {
      const std::string* found = index.MateriaDeCod(eq.to);
      if (found) values.x_actividad = *found;
      return found != nullptr;
    });
  } else if (!IsBlank(row.tarea)) {
    tally.Add(UnmatchedKind::kTarea, row.tarea, weight);
  }
  if (IsBlank(values.x_actividad)) values.x_actividad = kActividadPorDefecto;

  const std::string key = row.dia + std::to_string(row.hora);
  if (const TimeSlot* slot = index.Tramo(key)) {
    values.n_diasemana = slot->dia;
    values.x_tramo = slot->coddiho;
  } else if (const Equivalence* e =
                 Correspondence(equivalences, EquivalenceKind::kTramo, row.dia, row.hora)) {
    Apply(*e, *equivalences, weight, [&](const Equivalence& eq) {
      const TimeSlot* found = index.Tramo(eq.to + std::to_string(eq.to_hour));
      if (found) {
        values.n_diasemana = found->dia;
        values.x_tramo = found->coddiho;
      }
      return found != nullptr;
    });
  } else {
    tally.Add(UnmatchedKind::kTramo, key, weight, SlotText(row.dia, row.hora));
  }

  if (const std::string* depcentro = index.DepCentro(row.aula)) {
    values.x_depcentro = *depcentro;
  } else if (const Equivalence* e =
                 Correspondence(equivalences, EquivalenceKind::kAula, row.aula)) {
    Apply(*e, *equivalences, weight, [&](const Equivalence& eq) {
      const std::string* found = index.DepCentro(eq.to);
      if (found) values.x_depcentro = *found;
      return found != nullptr;
    });
  } else if (!IsBlank(row.aula)) {  // an activity without a room is no mismatch
    tally.Add(UnmatchedKind::kAula, row.aula, weight);
  }

  // The subject is looked up with the group of the tables: the group's
  // correspondence, when one was applied.
  SolutionRow subject_row = row;
  if (const std::string* unidad = index.Unidad(row.codgrupo)) {
    values.x_unidad = *unidad;
  } else if (const Equivalence* e =
                 Correspondence(equivalences, EquivalenceKind::kGrupo, row.codgrupo)) {
    Apply(*e, *equivalences, weight, [&](const Equivalence& eq) {
      const std::string* found = index.Unidad(eq.to);
      if (found) {
        values.x_unidad = *found;
        subject_row.codgrupo = eq.to;
      }
      return found != nullptr;
    });
  } else if (!IsBlank(row.codgrupo)) {  // nor one without a group (a duty)
    tally.Add(UnmatchedKind::kCodGrupo, row.codgrupo, weight);
  }

  values.x_materiaomc = MateriaOmc(subject_row, index);
  if (!IsBlank(values.x_materiaomc)) {
    // found in ASIGT or ASIGNOMT
  } else if (const Equivalence* e =
                 Correspondence(equivalences, EquivalenceKind::kAsignatura, row.asig)) {
    Apply(*e, *equivalences, weight, [&](const Equivalence& eq) {
      if (!index.HasCasig(eq.to) && !index.MateriaDeCod(eq.to)) return false;
      subject_row.asig = eq.to;
      values.x_materiaomc = MateriaOmc(subject_row, index);
      return true;
    });
    // The subject is known but gives no MATERIA for this group or course.
    if (!e->none && IsBlank(values.x_materiaomc) &&
        (index.HasCasig(e->to) || index.MateriaDeCod(e->to))) {
      tally.Add(UnmatchedKind::kAsig, row.asig, weight);
    }
  } else {
    tally.Add(UnmatchedKind::kAsig, row.asig, weight);
  }
  return values;
}

}  // namespace pasahorario
