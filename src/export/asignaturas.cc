#include "export/asignaturas.h"

#include <cmath>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "base/error.h"
#include "base/text.h"
#include "delphos/reading.h"
#include "export/table_writer.h"
#include "worktables/dbf_table.h"

namespace pasahorario {
namespace {

using dbf::DbfTable;

// Task codes of the subject table: MATERIA -> COD of the first row with that
// MATERIA in file order, compared exactly. Read once, on the first task.
class TaskIndex {
 public:
  explicit TaskIndex(std::filesystem::path asignomt_file) : file_(std::move(asignomt_file)) {}

  // The task code for `subject`, or `subject` itself when no row has it.
  const std::string& Lookup(const std::string& subject) {
    if (!codes_) Load();
    const auto it = codes_->find(subject);
    return it == codes_->end() ? subject : it->second;
  }

 private:
  void Load() {
    codes_.emplace();
    DbfTable table(file_);
    table.Open();
    const int materia = table.FieldIndex("MATERIA"), cod = table.FieldIndex("COD");
    for (table.First(); !table.Eof(); table.Next()) {
      codes_->try_emplace(table.Text(materia), table.Text(cod));  // the first row wins
    }
    table.Close();
  }

  std::filesystem::path file_;
  std::optional<std::unordered_map<std::string, std::string>> codes_;
};

// SESIONES for `horas` (at least 1): n "1" for n = ceil(horas) up to 13;
// above 13, n - 13 in decimal followed by thirteen "1".
std::string SesionesDeHoras(double horas) {
  int64_t n = static_cast<int64_t>(std::ceil(horas));
  std::string text;
  if (n > 13) {
    text = std::to_string(n - 13);
    n = 13;
  }
  text.append(static_cast<size_t>(n), '1');
  return text;
}

// The `dato` names of the nine positions read, as DELPHOS writes them; they
// only settle a tie among the section's own names (SectionNames).
constexpr std::string_view kAsignaturasNames[] = {"X_MATERIA_ABREV", "UNIDAD",  "DEPENDENCIA",
                                                  "TURNO",           "NIVEL",   "CURSO",
                                                  "GRUPO",           "MINUTOS", "X_MATERIAOMC"};

}  // namespace

int ExportarAsignaturas(const delphos::XmlDocument& doc, const std::filesystem::path& table_file,
                        const std::filesystem::path& asignomt_file, Report& report) {
  DbfTable new_table(table_file);
  new_table.Create(
      {dbf::TextField("CASIG", 10), dbf::TextField("CPROF", 10), dbf::TextField("CGRUP", 10),
       dbf::TextField("CAULA", 10), dbf::TextField("TURNO", 1), dbf::TextField("NIVEL", 5),
       dbf::TextField("CURSO", 3), dbf::TextField("GRUPO", 2), dbf::FloatField("HORAS"),
       dbf::TextField("SESIONES", 20), dbf::TextField("NCONEX", 4), dbf::TextField("MATERIA", 12),
       dbf::TextField("CTAREA", 10)});
  new_table.Open();
  TableWriter table(std::move(new_table), "ASIGT", "ASIGNATURAS", report);
  const int casig = table.Field("CASIG"), cgrup = table.Field("CGRUP"),
            caula = table.Field("CAULA"), turno = table.Field("TURNO"),
            nivel = table.Field("NIVEL"), curso = table.Field("CURSO"),
            grupo = table.Field("GRUPO"), horas = table.Field("HORAS"),
            sesiones = table.Field("SESIONES"), materia = table.Field("MATERIA"),
            ctarea = table.Field("CTAREA");
  TaskIndex tasks(asignomt_file);

  const std::vector<delphos::XmlNode> records = delphos::SectionRecords(doc, "ASIGNATURAS");
  const delphos::SectionNames names(records, kAsignaturasNames);
  for (size_t i = 0; i < records.size(); ++i) {
    const delphos::RecordValues values(records[i]);
    if (values.count() <= 1) {
      table.Skip(static_cast<int>(i + 1), kTooFewValues);
      continue;
    }
    table.CheckNames(static_cast<int>(i + 1), names, values);
    table.Append(static_cast<int>(i + 1));
    table.SetText(casig, values.At(0));
    table.SetText(cgrup, values.At(1));
    table.SetText(caula, values.At(2));
    table.SetText(turno, values.At(3));
    table.SetText(nivel, values.At(4).empty() ? std::string_view("NIV") : values.At(4));
    table.SetText(curso, values.At(5));
    table.SetText(grupo, values.At(6));

    // Hours as the table holds them: empty minutes leave the field blank.
    if (!values.At(7).empty()) {
      int32_t minutes;
      try {
        minutes = ParseInteger(values.At(7));
      } catch (const Error& e) {
        throw WithContext(e, "Sección ASIGNATURAS, registro " + std::to_string(i + 1) +
                                 ", posición 8 (los minutos del campo HORAS)");
      }
      table.SetFloat(horas, minutes / 60.0);
    }
    if (table.Float(horas) < 1) table.SetFloat(horas, 1);
    table.SetText(sesiones, SesionesDeHoras(table.Float(horas)));

    const std::string& subject = values.At(8);
    table.SetText(materia, subject);
    table.SetText(ctarea, subject.starts_with('G') ? std::string_view(tasks.Lookup(subject))
                                                   : std::string_view("LE"));
    table.Post();
  }
  return table.Close();
}

}  // namespace pasahorario
