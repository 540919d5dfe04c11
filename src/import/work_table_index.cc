#include "import/work_table_index.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

#include "base/text.h"
#include "import/out_of_memory.h"

namespace pasahorario {
namespace {

// One key for several texts: each part is preceded by its length, so no
// two different lists of parts give the same key.
std::string JoinedKey(std::initializer_list<std::string_view> parts) {
  std::string key;
  for (std::string_view part : parts) {
    key += std::to_string(part.size());
    key += ':';
    key += part;
  }
  return key;
}

template <typename Value>
std::vector<std::string> SortedKeys(const std::unordered_map<std::string, Value>& map) {
  std::vector<std::string> keys;
  keys.reserve(map.size());
  for (const auto& entry : map) keys.push_back(entry.first);
  std::sort(keys.begin(), keys.end());
  return keys;
}

template <typename Value>
const Value* Find(const std::unordered_map<std::string, Value>& map, const std::string& key) {
  const auto found = map.find(key);
  return found == map.end() ? nullptr : &found->second;
}

// Visits every row of `table` in stored order; running out of memory names
// the table.
template <typename Visit>
void ForEachRow(dbf::DbfTable& table, Visit visit) {
  ReadingOrOutOfMemory(TableBeingRead(table), [&] {
    for (table.First(); !table.Eof(); table.Next()) visit();
  });
}

}  // namespace

WorkTableIndex::WorkTableIndex(dbf::DbfTable& asignomt, dbf::DbfTable& diashorast,
                               dbf::DbfTable& aulat, dbf::DbfTable& grupost, dbf::DbfTable& asigt) {
  // emplace keeps the value already there: the first row with a key wins.
  {
    const int cod = asignomt.FieldIndex("COD"), materia = asignomt.FieldIndex("MATERIA");
    ForEachRow(asignomt,
               [&] { materia_de_cod_.emplace(asignomt.Text(cod), asignomt.Text(materia)); });
  }
  {
    const int diho = diashorast.FieldIndex("DIHO"), dia = diashorast.FieldIndex("DIA"),
              coddiho = diashorast.FieldIndex("CODDIHO");
    ForEachRow(diashorast, [&] {
      tramos_.emplace(diashorast.Text(diho),
                      TimeSlot{diashorast.Text(dia), diashorast.Text(coddiho)});
    });
  }
  {
    const int abrev = aulat.FieldIndex("ABREV"), depcentro = aulat.FieldIndex("DEPCENTRO");
    ForEachRow(aulat, [&] { depcentros_.emplace(aulat.Text(abrev), aulat.Text(depcentro)); });
  }
  {
    const int abrev = grupost.FieldIndex("ABREV"), unidad = grupost.FieldIndex("UNIDAD");
    ForEachRow(grupost, [&] { unidades_.emplace(grupost.Text(abrev), grupost.Text(unidad)); });
  }
  const int casig = asigt.FieldIndex("CASIG"), cgrup = asigt.FieldIndex("CGRUP"),
            nivel = asigt.FieldIndex("NIVEL"), curso = asigt.FieldIndex("CURSO"),
            materia = asigt.FieldIndex("MATERIA");
  ForEachRow(asigt, [&] {
    const std::string subject = asigt.Text(casig);
    casigs_.insert(subject);
    const std::string value = asigt.Text(materia);
    materia_de_grupo_.emplace(JoinedKey({subject, asigt.Text(cgrup)}), value);
    // The course lookup takes each matching row's MATERIA until one is not
    // blank; later rows no longer change it.
    CourseMateria& course =
        materia_de_curso_[JoinedKey({subject, asigt.Text(nivel), asigt.Text(curso)})];
    if (course.settled) return;
    course.materia = value;
    course.settled = !IsBlank(value);
  });
}

const std::string* WorkTableIndex::MateriaDeCod(const std::string& cod) const {
  return Find(materia_de_cod_, cod);
}

const TimeSlot* WorkTableIndex::Tramo(const std::string& diho) const { return Find(tramos_, diho); }

const std::string* WorkTableIndex::DepCentro(const std::string& abrev) const {
  return Find(depcentros_, abrev);
}

const std::string* WorkTableIndex::Unidad(const std::string& abrev) const {
  return Find(unidades_, abrev);
}

const std::string* WorkTableIndex::MateriaDeGrupo(const std::string& casig,
                                                  const std::string& cgrup) const {
  return Find(materia_de_grupo_, JoinedKey({casig, cgrup}));
}

const std::string* WorkTableIndex::MateriaDeCurso(const std::string& casig,
                                                  const std::string& nivel,
                                                  const std::string& curso) const {
  const CourseMateria* found = Find(materia_de_curso_, JoinedKey({casig, nivel, curso}));
  return found ? &found->materia : nullptr;
}

std::vector<std::string> WorkTableIndex::Cods() const { return SortedKeys(materia_de_cod_); }

std::vector<std::string> WorkTableIndex::AulaAbrevs() const { return SortedKeys(depcentros_); }

std::vector<std::string> WorkTableIndex::GrupoAbrevs() const { return SortedKeys(unidades_); }

std::vector<std::string> WorkTableIndex::SubjectCodes() const {
  std::vector<std::string> codes(casigs_.begin(), casigs_.end());
  for (const auto& entry : materia_de_cod_) {
    if (!casigs_.count(entry.first)) codes.push_back(entry.first);
  }
  std::sort(codes.begin(), codes.end());
  return codes;
}

}  // namespace pasahorario
