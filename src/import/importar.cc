#include "import/importar.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/atomic_file.h"
#include "base/text.h"
#include "base/utf8_path.h"
#include "delphos/result_document.h"
#include "import/equivalence_use.h"
#include "import/equivalencias.h"
#include "import/import_proposals.h"
#include "import/import_report.h"
#include "import/import_tables.h"
#include "import/out_of_memory.h"
#include "import/solution_table.h"
#include "import/unmatched_tally.h"
#include "import/work_table_index.h"
#include "worktables/table_path.h"

namespace pasahorario {
namespace {

struct Teacher {
  std::string x_empleado;
  std::string f_tomapos;
  std::string abrev;
  std::string nombre;
};

// The index of the field `name` of `table`, or -1 when it has none.
int OptionalField(const dbf::DbfTable& table, std::string_view name) {
  const std::vector<dbf::FieldLayout>& fields = table.fields();
  for (size_t i = 0; i < fields.size(); ++i) {
    if (AsciiLower(fields[i].name) == AsciiLower(name)) return static_cast<int>(i);
  }
  return -1;
}

std::vector<Teacher> ReadTeachers(dbf::DbfTable& proft) {
  const int x_empleado = proft.FieldIndex("X_EMPLEADO"), f_tomapos = proft.FieldIndex("F_TOMAPOS"),
            abrev = proft.FieldIndex("ABREV");
  // The name only helps to propose a teacher for an unknown code: a PROFT
  // without NOMBRE is read as before.
  const int nombre = OptionalField(proft, "NOMBRE");
  std::vector<Teacher> teachers;
  for (proft.First(); !proft.Eof(); proft.Next()) {
    teachers.push_back({proft.Text(x_empleado), proft.Text(f_tomapos), proft.Text(abrev),
                        nombre < 0 ? std::string() : proft.Text(nombre)});
  }
  return teachers;
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

// A teacher record of the result and the activities given to it so far.
struct TeacherRecord {
  delphos::XmlNode node;
  int activities = 0;
};

}  // namespace

ImportSummary Importar(delphos::XmlDocument& doc, const std::filesystem::path& chosen_file,
                       const std::filesystem::path& exchange_dir) {
  delphos::XmlNode salidas = delphos::ReemplazarSalidas(doc);
  delphos::AgregarBloqueError(salidas);

  ImportSummary summary;
  Report& report = summary.report;
  // A file that cannot be read stops the import before any table is opened.
  const Equivalencias equivalencias = ReadEquivalencias(exchange_dir);
  EquivalenceUse use(equivalencias);
  // What an import stopped while it saved its result left beside the
  // chosen file.
  for (std::string& warning :
       RemoveLeftTemporaries(PathFromUtf8(delphos::NombreResultado(PathToUtf8(chosen_file))))) {
    report.Add({FindingKind::kFileLeft, "", 0, "", std::move(warning)});
  }
  // The tables are held until everything is read from them; the result is
  // saved once they are released.
  ImportTables tables(exchange_dir);
  if (const auto assumption = tables.soluc.code_page_assumption()) {
    std::error_code ec;
    std::filesystem::path cpg = dbf::ResolveLetterCase(exchange_dir / "SOLUC.CPG");
    if (!std::filesystem::exists(cpg, ec)) cpg.clear();
    report.Add(CodePageFinding(*assumption, cpg));
  }
  if (auto old = OldSolutionFinding(
          tables.soluc.path(),
          {tables.asignomt.path(), tables.proft.path(), tables.aulat.path(), tables.grupost.path(),
           tables.asigt.path(), tables.diashorast.path()})) {
    report.Add(std::move(*old));
  }

  // One teacher record per PROFT row, in table order; SOLUC's rows are read
  // once and each activity goes straight to the records of its teacher, so
  // the activities of every record stay in SOLUC's stored order and nothing
  // of SOLUC is kept beside the document.
  std::vector<TeacherRecord> records;
  std::unordered_map<std::string, std::vector<size_t>> records_per_abrev;
  std::vector<std::string> abrev_order;  // abbreviations in order of first row
  std::vector<TeacherName> names;
  const std::vector<Teacher> teachers = ReadingOrOutOfMemory(
      TableBeingRead(tables.proft), [&] { return ReadTeachers(tables.proft); });
  for (const Teacher& teacher : teachers) {
    names.push_back({teacher.abrev, teacher.nombre});
    delphos::XmlNode record =
        delphos::AgregarRegistro(salidas, delphos::SeqEmpleado(++summary.teachers));
    delphos::AgregarSalida(record, "X_EMPLEADO", teacher.x_empleado);
    delphos::AgregarSalida(record, "F_TOMAPOS", teacher.f_tomapos);
    auto& indexes = records_per_abrev[teacher.abrev];
    if (indexes.empty()) abrev_order.push_back(teacher.abrev);
    indexes.push_back(records.size());
    records.push_back({record});
  }
  std::unordered_map<std::string, int> teachers_per_abrev;
  for (const auto& [abrev, indexes] : records_per_abrev) {
    teachers_per_abrev[abrev] = static_cast<int>(indexes.size());
  }

  const WorkTableIndex index(tables.asignomt, tables.diashorast, tables.aulat, tables.grupost,
                             tables.asigt);
  UnmatchedTally tally;
  const SolutionCounts counts = ReadingOrOutOfMemory(TableBeingRead(tables.soluc), [&] {
    return ReadSolution(
        tables.soluc, teachers_per_abrev, index, tally,
        [&](const std::string& prof, const ActivityValues& values) {
          for (const size_t i : records_per_abrev.at(prof)) {
            AgregarActividad(records[i].node, ++records[i].activities, values);
            ++summary.activities;
          }
        },
        &use);
  });
  tables.Close();

  summary.result_path = delphos::GuardarResultado(doc, PathToUtf8(chosen_file));
  summary.unmatched = tally.Entries();
  if (counts.rows_with_day == 0) report.Add(NoActivityFinding());
  // A blank abbreviation is no one's: each teacher with one is told, with
  // the rows of SOLUC without a teacher it was given. Others shared by
  // several teachers are told once.
  for (const std::string& abrev : abrev_order) {
    const std::vector<size_t>& indexes = records_per_abrev.at(abrev);
    if (IsBlank(abrev)) {
      for (const size_t i : indexes) {
        report.Add(BlankTeacherFinding(static_cast<int>(i + 1), teachers[i].x_empleado,
                                       records[i].activities));
      }
    } else if (indexes.size() > 1) {
      std::vector<SharedTeacher> sharing;
      for (const size_t i : indexes) {
        sharing.push_back({static_cast<int>(i + 1), teachers[i].x_empleado});
      }
      report.Add(SharedTeacherFinding(abrev, sharing, records[indexes.front()].activities));
    }
  }
  ReportUnknownTeachers(counts.unknown, report);
  ReportUnmatched(summary.unmatched, report);
  use.AddFindings(report);
  summary.proposals = Proposals(counts.unknown, names, summary.unmatched, index);
  ReportProposals(summary.proposals, report);
  return summary;
}

}  // namespace pasahorario
