// The import against a plain reference: random small work tables full of
// duplicates, blanks and near misses, converted once by Importar and once by
// sequential scans that visit each table from its first row, with SOLUC
// filtered per teacher by the engine's filter. Both must give the same
// records.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "base/text.h"
#include "import/import_test_support.h"
#include "import/importar.h"

namespace pasahorario::import_testing {
namespace {

std::vector<Row> ReadRows(const fs::path& dir, const char* name) {
  dbf::DbfTable table(dir, name);
  table.Open();
  std::vector<Row> rows;
  for (table.First(); !table.Eof(); table.Next()) {
    Row& row = rows.emplace_back();
    for (size_t i = 0; i < table.fields().size(); ++i) {
      row[table.fields()[i].name] = table.Text(static_cast<int>(i));
    }
  }
  return rows;
}

// The first row of `rows` that `match` accepts, or nullptr.
template <typename Match>
const Row* Scan(const std::vector<Row>& rows, Match match) {
  for (const Row& row : rows) {
    if (match(row)) return &row;
  }
  return nullptr;
}

std::vector<std::string> ReferenceRecords(const fs::path& dir) {
  const std::vector<Row> asignomt = ReadRows(dir, "ASIGNOMT"), aulat = ReadRows(dir, "AULAT"),
                         grupost = ReadRows(dir, "GRUPOST"), asigt = ReadRows(dir, "ASIGT"),
                         diashorast = ReadRows(dir, "DIASHORAST"), proft = ReadRows(dir, "PROFT");
  dbf::DbfTable soluc(dir, "SOLUC");
  soluc.Open();
  const auto f = [&](const char* name) { return soluc.FieldIndex(name); };
  std::vector<std::string> lines;
  int n = 0;
  for (const Row& teacher : proft) {
    lines.push_back("EMPLEADO_" + std::to_string(++n) + " " + teacher.at("X_EMPLEADO") + "|" +
                    teacher.at("F_TOMAPOS"));
    std::string quoted;
    for (char c : teacher.at("ABREV")) quoted += c == '\'' ? std::string("''") : std::string(1, c);
    soluc.SetFiltered(false);
    soluc.SetFilter("PROF= '" + quoted + "'");
    soluc.SetFiltered(true);
    int m = 0;
    for (; !soluc.Eof(); soluc.Next()) {
      if (soluc.Integer(f("DIA")) == 0) continue;
      const std::string tarea = soluc.Text(f("TAREA")), aula = soluc.Text(f("AULA")),
                        grupo = soluc.Text(f("CODGRUPO")), asig = soluc.Text(f("ASIG")),
                        nivel = soluc.Text(f("NIVEL")), curso = soluc.Text(f("CURSO"));
      std::string actividad = tarea;
      if (const Row* r = Scan(asignomt, [&](const Row& r) { return r.at("COD") == tarea; })) {
        actividad = r->at("MATERIA");
      }
      if (IsBlank(actividad)) actividad = "G439";
      const std::string key = soluc.Text(f("DIA")) + std::to_string(soluc.Integer(f("HORA")));
      const Row* slot = Scan(diashorast, [&](const Row& r) { return r.at("DIHO") == key; });
      const Row* room = Scan(aulat, [&](const Row& r) { return r.at("ABREV") == aula; });
      const Row* group = Scan(grupost, [&](const Row& r) { return r.at("ABREV") == grupo; });
      std::string materia;
      if (const Row* r = Scan(asigt, [&](const Row& r) {
            return r.at("CASIG") == asig && r.at("CGRUP") == grupo;
          })) {
        materia = r->at("MATERIA");
      }
      if (IsBlank(materia)) {
        for (const Row& r : asigt) {
          if (r.at("CASIG") != asig || r.at("NIVEL") != nivel || r.at("CURSO") != curso) continue;
          materia = r.at("MATERIA");
          if (!IsBlank(materia)) break;
        }
      }
      if (IsBlank(materia)) {
        if (const Row* r = Scan(asignomt, [&](const Row& r) { return r.at("COD") == asig; })) {
          materia = r->at("MATERIA");
        }
      }
      lines.push_back("  ACTIVIDAD_" + std::to_string(++m) + " " + actividad + "|" +
                      (slot ? slot->at("DIA") : "") + "|" + (slot ? slot->at("CODDIHO") : "") +
                      "|" + (room ? room->at("DEPCENTRO") : "") + "|" +
                      (group ? group->at("UNIDAD") : "") + "|" + materia);
    }
  }
  return lines;
}

using ImportarReferenceTest = ImportTest;

TEST_F(ImportarReferenceTest, SameRecordsAsSequentialScansOnRandomTables) {
  std::mt19937 random(7);
  const auto any = [&random](std::initializer_list<const char*> values) {
    return std::string(values.begin()[random() % values.size()]);
  };
  const auto rows = [&random](int most) { return static_cast<int>(random() % (most + 1)); };
  const auto value = [&random](const char* prefix) {
    return prefix + std::to_string(random() % 100);
  };
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE("ronda " + std::to_string(round));
    const std::initializer_list<const char*> codes = {"", "A", "B", "a", "A B"};
    const std::initializer_list<const char*> materias = {"", " ", "M1", "M2", "M3"};
    WorkTables t;
    for (int i = rows(6); i > 0; --i) {
      t.proft.push_back(Teacher(any({"P", "Q", "O'N", ""}), value("E")));
    }
    for (int i = rows(8); i > 0; --i) {
      t.asignomt.push_back({{"COD", any(codes)}, {"MATERIA", any(materias)}});
    }
    for (int i = rows(6); i > 0; --i) {
      t.diashorast.push_back({{"DIHO", any({"10", "13", "103", "113", "1013", "23", "11"})},
                              {"CODDIHO", value("C")},
                              {"DIA", any({"1", "2"})}});
    }
    for (int i = rows(5); i > 0; --i)
      t.aulat.push_back({{"ABREV", any(codes)}, {"DEPCENTRO", value("D")}});
    for (int i = rows(5); i > 0; --i)
      t.grupost.push_back({{"ABREV", any(codes)}, {"UNIDAD", value("U")}});
    for (int i = rows(12); i > 0; --i) {
      t.asigt.push_back({{"CASIG", any(codes)},
                         {"CGRUP", any(codes)},
                         {"NIVEL", any({"", "E"})},
                         {"CURSO", any({"", "1"})},
                         {"MATERIA", any(materias)}});
    }
    for (int i = rows(30); i > 0; --i) {
      t.soluc.push_back(Soluc({any({"P", "Q", "O'N", "", "R"}), any({"0", "1", "2", "10", "11"}),
                               any({"0", "1", "3", "13"}), any(codes), any(codes), any(codes),
                               any(codes), any({"", "E"}), any({"", "1"})}));
    }
    WriteWorkTables(xtemp_, t);
    const std::vector<std::string> expected = ReferenceRecords(xtemp_);
    EXPECT_EQ(RunRecords(), expected);
  }
}

}  // namespace
}  // namespace pasahorario::import_testing
