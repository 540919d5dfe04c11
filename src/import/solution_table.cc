#include "import/solution_table.h"

#include <cmath>
#include <string_view>

#include "worktables/field_value.h"

namespace pasahorario {
namespace {

// Whether a DIA text of a row that no teacher reads stands for a day. Such a
// row is never converted, so a text that is no number is no error here.
bool CountsAsDay(const std::string& dia) {
  const dbf::StoredNumber number = dbf::ParseNumberText(dia);
  return number.status == dbf::StoredNumber::kValue && std::round(number.value) != 0;
}

}  // namespace

SolutionCounts ReadSolution(dbf::DbfTable& soluc,
                            const std::unordered_map<std::string, int>& teachers_per_abrev,
                            const WorkTableIndex& index, UnmatchedTally& tally,
                            const ActivitySink& sink) {
  const int prof = soluc.FieldIndex("PROF"), dia = soluc.FieldIndex("DIA"),
            hora = soluc.FieldIndex("HORA"), tarea = soluc.FieldIndex("TAREA"),
            aula = soluc.FieldIndex("AULA"), codgrupo = soluc.FieldIndex("CODGRUPO"),
            asig = soluc.FieldIndex("ASIG"), nivel = soluc.FieldIndex("NIVEL"),
            curso = soluc.FieldIndex("CURSO");
  const bool numeric_dia = soluc.HoldsNumber(dia);

  SolutionCounts counts;
  SolutionRow row;
  for (soluc.First(); !soluc.Eof(); soluc.Next()) {
    const std::string abrev = soluc.Text(prof);
    const auto teachers = teachers_per_abrev.find(abrev);
    if (teachers == teachers_per_abrev.end()) {  // no teacher visits this row
      const bool has_day = CountsAsDay(soluc.Text(dia));
      counts.unknown.Add(abrev, has_day);
      if (has_day) ++counts.rows_with_day;
      continue;
    }
    const int32_t day = soluc.Integer(dia);
    if (day == 0) continue;
    ++counts.rows_with_day;
    row.dia = numeric_dia ? std::to_string(day) : soluc.Text(dia);
    row.hora = soluc.Integer(hora);
    row.tarea = soluc.Text(tarea);
    row.aula = soluc.Text(aula);
    row.codgrupo = soluc.Text(codgrupo);
    row.asig = soluc.Text(asig);
    row.nivel = soluc.Text(nivel);
    row.curso = soluc.Text(curso);
    sink(abrev, ValoresActividad(row, index, tally, teachers->second));
  }
  return counts;
}

}  // namespace pasahorario
