// Makes the example solution table SOLUC.DBF the way the timetable program
// would leave it after solving: one row per placed session of a teacher.
// Reads the work tables that an export of delphos-exportacion.xml wrote.
//
//   generar_soluc XTEMP_DIR        (writes XTEMP_DIR/SOLUC.DBF)
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/error.h"
#include "worktables/dbf_table.h"

namespace {

using pasahorario::dbf::DbfTable;

struct Slot {
  int dia;
  int hora;
};

struct Assignment {
  std::string asig, grupo, aula, nivel, curso, tarea;
  int sessions;
};

std::vector<std::map<std::string, std::string>> ReadAll(const std::string& dir,
                                                        const std::string& name) {
  DbfTable table(dir, name);
  table.Open();
  std::vector<std::map<std::string, std::string>> rows;
  for (table.First(); !table.Eof(); table.Next()) {
    auto& row = rows.emplace_back();
    for (int i = 0; i < static_cast<int>(table.fields().size()); ++i) {
      row[table.fields()[i].name] = table.Text(i);
    }
  }
  table.Close();
  return rows;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Uso: generar_soluc CARPETA_XTEMP\n");
    return 2;
  }
  const std::string dir = argv[1];
  try {
    std::vector<std::string> teachers;
    for (auto& row : ReadAll(dir, "PROFT")) teachers.push_back(row["ABREV"]);
    std::vector<Slot> slots;
    for (auto& row : ReadAll(dir, "DIASHORAST")) {
      slots.push_back({std::stoi(row["DIA"]), std::stoi(row["HORA"])});
    }
    std::vector<Assignment> assignments;
    for (auto& row : ReadAll(dir, "ASIGT")) {
      const bool task = row["CTAREA"] != "LE";
      assignments.push_back({row["CASIG"], task ? "" : row["CGRUP"], row["CAULA"], row["NIVEL"],
                             row["CURSO"], task ? row["CTAREA"] : "",
                             static_cast<int>(std::ceil(std::stod(row["HORAS"])))});
    }

    DbfTable soluc(dir, "SOLUC");
    soluc.Create({pasahorario::dbf::TextField("PROF", 10), {"DIA", 'N', 2, 0}, {"HORA", 'N', 2, 0},
                  pasahorario::dbf::TextField("TAREA", 10), pasahorario::dbf::TextField("AULA", 10),
                  pasahorario::dbf::TextField("CODGRUPO", 10), pasahorario::dbf::TextField("ASIG", 10),
                  pasahorario::dbf::TextField("NIVEL", 5), pasahorario::dbf::TextField("CURSO", 3)});
    soluc.Open();
    auto put = [&](const std::string& prof, int dia, int hora, const Assignment& a,
                   const std::string& aula) {
      soluc.Append();
      soluc.SetText(soluc.FieldIndex("PROF"), prof);
      soluc.SetInteger(soluc.FieldIndex("DIA"), dia);
      soluc.SetInteger(soluc.FieldIndex("HORA"), hora);
      soluc.SetText(soluc.FieldIndex("TAREA"), a.tarea);
      soluc.SetText(soluc.FieldIndex("AULA"), aula);
      soluc.SetText(soluc.FieldIndex("CODGRUPO"), a.grupo);
      soluc.SetText(soluc.FieldIndex("ASIG"), a.asig);
      soluc.SetText(soluc.FieldIndex("NIVEL"), a.nivel);
      soluc.SetText(soluc.FieldIndex("CURSO"), a.curso);
      soluc.Post();
    };

    // Greedy placement: each session goes to the first slot, starting on a
    // different day each time, where neither the teacher nor the group is busy.
    std::set<std::string> busy;  // "T:<prof>:<slot>" and "G:<group>:<slot>"
    int rows = 0;
    for (size_t i = 0; i < assignments.size(); ++i) {
      const Assignment& a = assignments[i];
      const std::string& prof = teachers[i % teachers.size()];
      for (int s = 0, start = static_cast<int>(i * 7); s < a.sessions; ++s, start += 6) {
        for (size_t k = 0; k < slots.size(); ++k) {
          const Slot& slot = slots[(start + k) % slots.size()];
          const std::string key = std::to_string(slot.dia) + "-" + std::to_string(slot.hora);
          if (busy.count("T:" + prof + key) || (!a.grupo.empty() && busy.count("G:" + a.grupo + key)))
            continue;
          busy.insert("T:" + prof + key);
          if (!a.grupo.empty()) busy.insert("G:" + a.grupo + key);
          // The second lab is new in the timetable and not yet known to DELPHOS.
          put(prof, slot.dia, slot.hora, a, (i == 13 && s == 0) ? "LAB2" : a.aula);
          ++rows;
          break;
        }
      }
      // A session left without a place in the week: day 0.
      if (i % 9 == 4) {
        put(prof, 0, 0, a, a.aula);
        ++rows;
      }
    }
    soluc.Close();
    std::printf("SOLUC: %d filas para %zu profesores\n", rows, teachers.size());
  } catch (const pasahorario::Error& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
