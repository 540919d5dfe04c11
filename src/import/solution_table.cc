#include "import/solution_table.h"

#include <string_view>

namespace pasahorario {
namespace {

// Field types whose value the engine reads as a number rather than as text.
bool IsNumericType(char type) {
  return std::string_view("NFIO+BY").find(type) != std::string_view::npos;
}

}  // namespace

const std::vector<uint32_t>& SolutionActivities::Of(const std::string& abrev) const {
  static const std::vector<uint32_t> kNone;
  const auto found = by_prof.find(abrev);
  return found == by_prof.end() ? kNone : found->second;
}

SolutionActivities ReadSolution(dbf::DbfTable& soluc,
                                const std::unordered_map<std::string, int>& teachers_per_abrev,
                                const WorkTableIndex& index, UnmatchedTally& tally) {
  const int prof = soluc.FieldIndex("PROF"), dia = soluc.FieldIndex("DIA"),
            hora = soluc.FieldIndex("HORA"), tarea = soluc.FieldIndex("TAREA"),
            aula = soluc.FieldIndex("AULA"), codgrupo = soluc.FieldIndex("CODGRUPO"),
            asig = soluc.FieldIndex("ASIG"), nivel = soluc.FieldIndex("NIVEL"),
            curso = soluc.FieldIndex("CURSO");
  const bool numeric_dia = IsNumericType(soluc.fields()[static_cast<size_t>(dia)].type);

  SolutionActivities result;
  SolutionRow row;
  for (soluc.First(); !soluc.Eof(); soluc.Next()) {
    std::string abrev = soluc.Text(prof);
    const auto teachers = teachers_per_abrev.find(abrev);
    if (teachers == teachers_per_abrev.end()) continue;  // no teacher visits this row
    const int32_t day = soluc.Integer(dia);
    if (day == 0) continue;
    row.dia = numeric_dia ? std::to_string(day) : soluc.Text(dia);
    row.hora = soluc.Integer(hora);
    row.tarea = soluc.Text(tarea);
    row.aula = soluc.Text(aula);
    row.codgrupo = soluc.Text(codgrupo);
    row.asig = soluc.Text(asig);
    row.nivel = soluc.Text(nivel);
    row.curso = soluc.Text(curso);

    result.by_prof[std::move(abrev)].push_back(static_cast<uint32_t>(result.activities.size()));
    result.activities.push_back(ValoresActividad(row, index, tally, teachers->second));
  }
  return result;
}

}  // namespace pasahorario
