// Exchange folders for the import benchmarks: the work tables of a very
// large school (the export of exportacion_grande.h at scale 1: 1,000
// teachers, 5,000 subjects, 400 rooms, 600 groups, 50,000 teaching
// assignments, 350 time slots), a solution table SOLUC as the host would
// leave it, and a small DELPHOS document to import into.
#pragma once
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "delphos/xml_document.h"
#include "export/exportar.h"
#include "exportacion_grande.h"
#include "worktables/dbf_table.h"

namespace bench {
namespace fs = std::filesystem;
using pasahorario::dbf::DbfTable;
using pasahorario::dbf::TextField;

// Writes the six work tables into `xtemp` through the export direction.
inline void EscribirTablasDeTrabajo(const fs::path& xtemp) {
  fs::create_directories(xtemp);
  const auto doc = pasahorario::delphos::XmlDocument::Parse(ExportacionGrande(1), "grande.xml");
  pasahorario::ExportarTodo(doc, xtemp, [](const std::string&) { return std::string("08:00"); });
}

// Writes SOLUC into `xtemp` (whose work tables must exist): `rows` placed
// sessions, dealt to the teachers in turn as a host that lists them by time
// would, each on a teaching assignment of ASIGT (task codes from ASIGNOMT
// for a third of them) at a time slot of DIASHORAST. One row in 20 has day
// 0 (not placed) and one in 100 carries codes the work tables lack.
inline void EscribirSoluc(const fs::path& xtemp, int rows) {
  const auto column = [&](const char* table_name, std::initializer_list<const char*> fields) {
    DbfTable table(xtemp, table_name);
    table.Open();
    std::vector<std::vector<std::string>> values;
    for (table.First(); !table.Eof(); table.Next()) {
      auto& row = values.emplace_back();
      for (const char* field : fields) row.push_back(table.Text(table.FieldIndex(field)));
    }
    return values;
  };
  const auto teachers = column("PROFT", {"ABREV"});
  const auto slots = column("DIASHORAST", {"DIA", "HORA"});
  const auto assignments = column("ASIGT", {"CASIG", "CGRUP", "CAULA", "NIVEL", "CURSO"});
  std::vector<std::string> tasks;
  for (const auto& row : column("ASIGNOMT", {"COD", "MATERIA"})) {
    if (!row[1].empty() && row[1][0] == 'G') tasks.push_back(row[0]);
  }

  DbfTable soluc(xtemp, "SOLUC");
  soluc.Create({TextField("PROF", 10),
                {"DIA", 'N', 2, 0},
                {"HORA", 'N', 2, 0},
                TextField("TAREA", 10),
                TextField("AULA", 10),
                TextField("CODGRUPO", 10),
                TextField("ASIG", 10),
                TextField("NIVEL", 5),
                TextField("CURSO", 3)});
  soluc.Open();
  const int prof = soluc.FieldIndex("PROF"), dia = soluc.FieldIndex("DIA"),
            hora = soluc.FieldIndex("HORA"), tarea = soluc.FieldIndex("TAREA"),
            aula = soluc.FieldIndex("AULA"), codgrupo = soluc.FieldIndex("CODGRUPO"),
            asig = soluc.FieldIndex("ASIG"), nivel = soluc.FieldIndex("NIVEL"),
            curso = soluc.FieldIndex("CURSO");
  std::mt19937 random(20240901);
  const auto pick = [&random](size_t n) { return static_cast<size_t>(random() % n); };
  for (int i = 0; i < rows; ++i) {
    const auto& slot = slots[pick(slots.size())];
    const auto& a = assignments[pick(assignments.size())];
    const bool odd = i % 100 == 51;  // a day, and a task
    soluc.Append();
    soluc.SetText(prof, teachers[static_cast<size_t>(i) % teachers.size()][0]);
    soluc.SetInteger(dia, i % 20 == 19 ? 0 : std::stoi(slot[0]));
    soluc.SetInteger(hora, odd ? 99 : std::stoi(slot[1]));
    soluc.SetText(tarea, i % 3 == 0 ? (odd ? "TNUEVA" : tasks[pick(tasks.size())]) : "");
    soluc.SetText(aula, odd ? "ANUEVA" : a[2]);
    soluc.SetText(codgrupo, a[1]);
    soluc.SetText(asig, odd ? "MNUEVA" : a[0]);
    soluc.SetText(nivel, a[3]);
    soluc.SetText(curso, a[4]);
    soluc.Post();
  }
  soluc.Close();
}

// A DELPHOS document to import into, as DELPHOS asks for the timetable.
inline void EscribirDocumento(const fs::path& file) {
  std::ofstream(file, std::ios::binary)
      << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<SERVICIO>\n"
         "  <CABECERA><CENTRO>IES Gran Centro de Pruebas (ficticio)</CENTRO></CABECERA>\n"
         "  <SALIDAS/>\n</SERVICIO>\n";
}

}  // namespace bench
