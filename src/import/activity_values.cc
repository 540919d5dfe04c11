#include "import/activity_values.h"

#include "base/text.h"

namespace pasahorario {
namespace {

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
                                UnmatchedTally& tally, int weight) {
  ActivityValues values;

  const std::string* materia = index.MateriaDeCod(row.tarea);
  values.x_actividad = materia ? *materia : row.tarea;
  if (!materia && !IsBlank(row.tarea)) tally.Add(UnmatchedKind::kTarea, row.tarea, weight);
  if (IsBlank(values.x_actividad)) values.x_actividad = kActividadPorDefecto;

  const std::string key = row.dia + std::to_string(row.hora);
  if (const TimeSlot* slot = index.Tramo(key)) {
    values.n_diasemana = slot->dia;
    values.x_tramo = slot->coddiho;
  } else {
    tally.Add(UnmatchedKind::kTramo, key, weight, SlotText(row.dia, row.hora));
  }

  if (const std::string* depcentro = index.DepCentro(row.aula)) {
    values.x_depcentro = *depcentro;
  } else if (!IsBlank(row.aula)) {  // an activity without a room is no mismatch
    tally.Add(UnmatchedKind::kAula, row.aula, weight);
  }

  if (const std::string* unidad = index.Unidad(row.codgrupo)) {
    values.x_unidad = *unidad;
  } else if (!IsBlank(row.codgrupo)) {  // nor one without a group (a duty)
    tally.Add(UnmatchedKind::kCodGrupo, row.codgrupo, weight);
  }

  values.x_materiaomc = MateriaOmc(row, index);
  if (IsBlank(values.x_materiaomc)) tally.Add(UnmatchedKind::kAsig, row.asig, weight);
  return values;
}

}  // namespace pasahorario
