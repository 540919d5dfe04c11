#include "export/catalogos.h"

#include <string>

#include "delphos/reading.h"
#include "export/code_list.h"
#include "export/table_writer.h"
#include "worktables/dbf_table.h"

namespace pasahorario {
namespace {

using dbf::DbfTable;
using delphos::RecordValues;
using delphos::XmlNode;

// Creates `table_file` with `fields` and opens it.
DbfTable NewTable(const std::filesystem::path& table_file,
                  const std::vector<dbf::FieldLayout>& fields) {
  DbfTable table(table_file);
  table.Create(fields);
  table.Open();
  return table;
}

// The `dato` names of the positions each converter reads, as DELPHOS writes
// them; they only settle a tie among a section's own names (SectionNames).
constexpr std::string_view kMateriasNames[] = {"X_MATERIAOMC", "ABREVIATURA", "CODIGO",
                                               "DENOMINACION"};
constexpr std::string_view kProfesoresNames[] = {"X_EMPLEADO", "F_TOMAPOS", "NOMBRE",
                                                 "ABREVIATURA"};
constexpr std::string_view kAulasNames[] = {"X_DEPENDENCIA", "ABREVIATURA", "DENOMINACION",
                                            "EDIFICIO"};
constexpr std::string_view kGruposNames[] = {"X_UNIDAD", "ABREVIATURA", "TURNO",
                                             "NIVEL",    "CURSO",       "GRUPO"};

}  // namespace

int ExportarMaterias(const delphos::XmlDocument& doc, const std::filesystem::path& table_file,
                     Report& report) {
  TableWriter table(
      NewTable(table_file, {dbf::TextField("COD", 10), dbf::TextField("CODLARGO", 10),
                            dbf::TextField("NOMBRE", 80), dbf::TextField("MATERIA", 12),
                            dbf::LogicalField("ESTAREA")}),
      "ASIGNOMT", "MATERIAS", report);
  const int cod = table.Field("COD"), codlargo = table.Field("CODLARGO"),
            nombre = table.Field("NOMBRE"), materia = table.Field("MATERIA"),
            estarea = table.Field("ESTAREA");
  table.WatchKey(cod, "código de materia", {.ignoring_case = true});
  CodeList codes;
  const std::vector<XmlNode> records = delphos::SectionRecords(doc, "MATERIAS");
  const delphos::SectionNames names(records, kMateriasNames);
  for (int i = 1; i <= static_cast<int>(records.size()); ++i) {
    const RecordValues values(records[i - 1]);
    if (values.count() <= 1) {
      table.Skip(i, kTooFewValues);
      continue;
    }
    table.CheckNames(i, names, values);
    if (codes.Contains(values.At(1))) {  // the first subject with a code wins
      table.Skip(i, "un código de materia ya usado por un registro anterior", cod, values.At(1));
      continue;
    }
    codes.Add(values.At(1));
    table.Append(i);
    table.SetText(cod, values.At(1));
    table.SetText(codlargo, values.At(2));
    table.SetText(nombre, values.At(3));
    table.SetText(materia, values.At(0));
    table.SetLogical(estarea, values.At(0).starts_with('G'));  // a task
    table.Post();
  }
  return table.Close();
}

int ExportarProfesores(const delphos::XmlDocument& doc, const std::filesystem::path& table_file,
                       Report& report) {
  TableWriter table(
      NewTable(table_file, {dbf::TextField("ABREV", 10), dbf::TextField("NOMBRE", 80),
                            dbf::TextField("DEPART", 40), dbf::IntegerField("DNI"),
                            dbf::TextField("X_EMPLEADO", 12), dbf::TextField("F_TOMAPOS", 10),
                            dbf::TextField("EMAIL", 100)}),
      "PROFT", "PROFESORES", report);
  const int abrev = table.Field("ABREV"), nombre = table.Field("NOMBRE"),
            empleado = table.Field("X_EMPLEADO"), toma = table.Field("F_TOMAPOS");
  table.WatchKey(abrev, "abreviatura de profesor");
  const std::vector<XmlNode> records = delphos::SectionRecords(doc, "PROFESORES");
  const delphos::SectionNames names(records, kProfesoresNames);
  for (int i = 1; i <= static_cast<int>(records.size()); ++i) {
    const RecordValues values(records[i - 1]);
    if (values.count() <= 1) {
      table.Skip(i, kTooFewValues);
      continue;
    }
    table.CheckNames(i, names, values);
    table.Append(i);
    table.SetText(abrev, values.At(3));
    table.SetText(nombre, values.At(2));
    table.SetText(empleado, values.At(0));
    table.SetText(toma, values.At(1));
    table.Post();
  }
  return table.Close();
}

int ExportarAulas(const delphos::XmlDocument& doc, const std::filesystem::path& table_file,
                  Report& report) {
  TableWriter table(
      NewTable(table_file, {dbf::TextField("ABREV", 10), dbf::TextField("NOMBRE", 80),
                            dbf::TextField("EDIFICIO", 1), dbf::IntegerField("MAXALUM"),
                            dbf::TextField("DEPCENTRO", 10)}),
      "AULAT", "AULAS", report);
  const int abrev = table.Field("ABREV"), nombre = table.Field("NOMBRE"),
            edificio = table.Field("EDIFICIO"), depcentro = table.Field("DEPCENTRO");
  table.WatchKey(abrev, "código de aula");
  const std::vector<XmlNode> records = delphos::SectionRecords(doc, "AULAS");
  const delphos::SectionNames names(records, kAulasNames);
  for (int i = 1; i <= static_cast<int>(records.size()); ++i) {
    const RecordValues values(records[i - 1]);
    if (values.count() <= 1) {
      table.Skip(i, kTooFewValues);
      continue;
    }
    table.CheckNames(i, names, values);
    // A room without a code of its own goes by its DELPHOS code.
    const std::string& code = values.At(1).empty() ? values.At(0) : values.At(1);
    table.Append(i);
    table.SetText(abrev, code);
    table.SetText(nombre, values.At(2));
    table.SetText(edificio, values.At(3));
    table.SetText(depcentro, values.At(0));
    table.Post();
  }
  return table.Close();
}

int ExportarGrupos(const delphos::XmlDocument& doc, const std::filesystem::path& table_file,
                   Report& report) {
  TableWriter table(
      NewTable(table_file, {dbf::TextField("ABREV", 10), dbf::TextField("TURNO", 1),
                            dbf::TextField("NIVEL", 5), dbf::TextField("CURSO", 3),
                            dbf::TextField("GRUPO", 2), dbf::TextField("UNIDAD", 12),
                            dbf::TextField("DESCRIP", 80), dbf::TextField("MARCO", 1)}),
      "GRUPOST", "GRUPOS", report);
  const int abrev = table.Field("ABREV"), turno = table.Field("TURNO"),
            nivel = table.Field("NIVEL"), curso = table.Field("CURSO"),
            grupo = table.Field("GRUPO"), unidad = table.Field("UNIDAD"),
            descrip = table.Field("DESCRIP"), marco = table.Field("MARCO");
  table.WatchKey(abrev, "abreviatura de grupo");
  const std::vector<XmlNode> records = delphos::SectionRecords(doc, "GRUPOS");
  const delphos::SectionNames names(records, kGruposNames);
  for (int i = 1; i <= static_cast<int>(records.size()); ++i) {
    const RecordValues values(records[i - 1]);
    if (values.count() <= 1) {
      table.Skip(i, kTooFewValues);
      continue;
    }
    table.CheckNames(i, names, values);
    const std::string level = values.At(3).empty() ? "NIV" : values.At(3);
    table.Append(i);
    table.SetText(abrev, values.At(1));
    table.SetText(turno, values.At(2));
    table.SetText(nivel, level);
    table.SetText(curso, values.At(4));
    table.SetText(grupo, values.At(5));
    table.SetText(unidad, values.At(0));
    // Empty parts keep their blank, as the host expects four parts.
    table.SetText(descrip, values.At(2) + " " + level + " " + values.At(4) + " " + values.At(5));
    table.SetText(marco, "0");
    table.Post();
  }
  return table.Close();
}

}  // namespace pasahorario
