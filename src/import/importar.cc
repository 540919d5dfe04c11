#include "import/importar.h"

#include <string>
#include <unordered_map>
#include <vector>

#include "delphos/result_document.h"
#include "import/import_tables.h"
#include "import/solution_table.h"
#include "import/unmatched_tally.h"
#include "import/work_table_index.h"

namespace pasahorario {
namespace {

struct Teacher {
  std::string x_empleado;
  std::string f_tomapos;
  std::string abrev;
};

std::vector<Teacher> ReadTeachers(dbf::DbfTable& proft) {
  const int x_empleado = proft.FieldIndex("X_EMPLEADO"), f_tomapos = proft.FieldIndex("F_TOMAPOS"),
            abrev = proft.FieldIndex("ABREV");
  std::vector<Teacher> teachers;
  for (proft.First(); !proft.Eof(); proft.Next()) {
    teachers.push_back({proft.Text(x_empleado), proft.Text(f_tomapos), proft.Text(abrev)});
  }
  return teachers;
}

std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

void AgregarActividad(delphos::XmlNode& teacher, int m, const ActivityValues& values) {
  delphos::XmlNode record = delphos::AgregarRegistro(teacher, delphos::SeqActividad(m));
  delphos::AgregarSalida(record, "X_ACTIVIDAD", values.x_actividad);
  delphos::AgregarSalida(record, "N_DIASEMANA", values.n_diasemana);
  delphos::AgregarSalida(record, "X_TRAMO", values.x_tramo);
  delphos::AgregarSalida(record, "X_DEPCENTRO", values.x_depcentro);
  delphos::AgregarSalida(record, "X_UNIDAD", values.x_unidad);
  delphos::AgregarSalida(record, "X_MATERIAOMC", values.x_materiaomc);
}

}  // namespace

ImportSummary Importar(delphos::XmlDocument& doc, const std::filesystem::path& chosen_file,
                       const std::filesystem::path& exchange_dir) {
  delphos::XmlNode salidas = delphos::ReemplazarSalidas(doc);
  delphos::AgregarBloqueError(salidas);

  // Everything is read while the tables are held; they are released before
  // the document is built and saved.
  ImportTables tables(exchange_dir);
  const std::vector<Teacher> teachers = ReadTeachers(tables.proft);
  std::unordered_map<std::string, int> teachers_per_abrev;
  for (const Teacher& teacher : teachers) ++teachers_per_abrev[teacher.abrev];
  const WorkTableIndex index(tables.asignomt, tables.diashorast, tables.aulat, tables.grupost,
                             tables.asigt);
  UnmatchedTally tally;
  const SolutionActivities solution = ReadSolution(tables.soluc, teachers_per_abrev, index, tally);
  tables.Close();

  ImportSummary summary;
  for (const Teacher& teacher : teachers) {
    delphos::XmlNode record =
        delphos::AgregarRegistro(salidas, delphos::SeqEmpleado(++summary.teachers));
    delphos::AgregarSalida(record, "X_EMPLEADO", teacher.x_empleado);
    delphos::AgregarSalida(record, "F_TOMAPOS", teacher.f_tomapos);
    int m = 0;
    for (const uint32_t activity : solution.Of(teacher.abrev)) {
      AgregarActividad(record, ++m, solution.activities[activity]);
    }
    summary.activities += m;
  }

  summary.result_path = delphos::GuardarResultado(doc, Utf8(chosen_file));
  summary.unmatched = tally.Entries();
  return summary;
}

}  // namespace pasahorario
