#include "import/solution_table.h"

#include <cmath>
#include <string_view>
#include <utility>

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
                            const ActivitySink& sink, EquivalenceUse* equivalences) {
  const int prof = soluc.FieldIndex("PROF"), dia = soluc.FieldIndex("DIA"),
            hora = soluc.FieldIndex("HORA"), tarea = soluc.FieldIndex("TAREA"),
            aula = soluc.FieldIndex("AULA"), codgrupo = soluc.FieldIndex("CODGRUPO"),
            asig = soluc.FieldIndex("ASIG"), nivel = soluc.FieldIndex("NIVEL"),
            curso = soluc.FieldIndex("CURSO");
  const bool numeric_dia = soluc.HoldsNumber(dia);

  SolutionCounts counts;
  SolutionRow row;
  // The current row as the teacher `abrev` (weight: its PROFT rows) holds
  // it; false for a row without a day.
  const auto convert = [&](const std::string& abrev, int weight) {
    const int32_t day = soluc.Integer(dia);
    if (day == 0) return false;
    ++counts.rows_with_day;
    row.dia = numeric_dia ? std::to_string(day) : soluc.Text(dia);
    row.hora = soluc.Integer(hora);
    row.tarea = soluc.Text(tarea);
    row.aula = soluc.Text(aula);
    row.codgrupo = soluc.Text(codgrupo);
    row.asig = soluc.Text(asig);
    row.nivel = soluc.Text(nivel);
    row.curso = soluc.Text(curso);
    sink(abrev, ValoresActividad(row, index, tally, weight, equivalences));
    return true;
  };
  // The PROFESOR correspondence of an unknown code, and the PROFT rows of
  // its right side (none for "-" or a code PROFT lacks).
  const auto mapped = [&](const std::string& abrev) -> std::pair<const Equivalence*, int> {
    const Equivalence* e =
        equivalences ? equivalences->Find(EquivalenceKind::kProfesor, abrev) : nullptr;
    if (!e || e->none) return {e, 0};
    const auto found = teachers_per_abrev.find(e->to);
    return {e, found == teachers_per_abrev.end() ? 0 : found->second};
  };

  bool second_pass = false;
  for (soluc.First(); !soluc.Eof(); soluc.Next()) {
    const std::string abrev = soluc.Text(prof);
    const auto teachers = teachers_per_abrev.find(abrev);
    if (teachers != teachers_per_abrev.end()) {
      convert(abrev, teachers->second);
      continue;
    }
    // No teacher visits this row, unless a correspondence names one.
    const auto [e, weight] = mapped(abrev);
    if (e && weight > 0) {
      second_pass = true;
      continue;
    }
    const bool has_day = CountsAsDay(soluc.Text(dia));
    if (has_day) ++counts.rows_with_day;
    if (!e) {
      counts.unknown.Add(abrev, has_day);
    } else if (e->none) {
      equivalences->Ignored(*e, has_day ? 1 : 0);
    } else {
      equivalences->Broken(*e, has_day ? 1 : 0);
    }
  }
  if (!second_pass) return counts;
  for (soluc.First(); !soluc.Eof(); soluc.Next()) {
    const std::string abrev = soluc.Text(prof);
    if (teachers_per_abrev.count(abrev)) continue;
    const auto [e, weight] = mapped(abrev);
    if (e && weight > 0) equivalences->Applied(*e, convert(e->to, weight) ? weight : 0);
  }
  return counts;
}

}  // namespace pasahorario
