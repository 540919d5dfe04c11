#include "export/catalogos.h"

#include <string>

#include "delphos/reading.h"
#include "export/code_list.h"
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

}  // namespace

int ExportarMaterias(const delphos::XmlDocument& doc, const std::filesystem::path& table_file) {
  DbfTable table =
      NewTable(table_file, {dbf::TextField("COD", 10), dbf::TextField("CODLARGO", 10),
                            dbf::TextField("NOMBRE", 80), dbf::TextField("MATERIA", 12),
                            dbf::LogicalField("ESTAREA")});
  const int cod = table.FieldIndex("COD"), codlargo = table.FieldIndex("CODLARGO"),
            nombre = table.FieldIndex("NOMBRE"), materia = table.FieldIndex("MATERIA"),
            estarea = table.FieldIndex("ESTAREA");
  CodeList codes;
  int rows = 0;
  for (const XmlNode& record : delphos::SectionRecords(doc, "MATERIAS")) {
    const RecordValues values(record);
    if (values.count() <= 1) continue;
    if (codes.Contains(values.At(1))) continue;  // the first subject with a code wins
    codes.Add(values.At(1));
    table.Append();
    table.SetText(cod, values.At(1));
    table.SetText(codlargo, values.At(2));
    table.SetText(nombre, values.At(3));
    table.SetText(materia, values.At(0));
    table.SetLogical(estarea, values.At(0).starts_with('G'));  // a task
    table.Post();
    ++rows;
  }
  table.Close();
  return rows;
}

int ExportarProfesores(const delphos::XmlDocument& doc, const std::filesystem::path& table_file) {
  DbfTable table =
      NewTable(table_file, {dbf::TextField("ABREV", 10), dbf::TextField("NOMBRE", 80),
                            dbf::TextField("DEPART", 40), dbf::IntegerField("DNI"),
                            dbf::TextField("X_EMPLEADO", 12), dbf::TextField("F_TOMAPOS", 10),
                            dbf::TextField("EMAIL", 100)});
  const int abrev = table.FieldIndex("ABREV"), nombre = table.FieldIndex("NOMBRE"),
            empleado = table.FieldIndex("X_EMPLEADO"), toma = table.FieldIndex("F_TOMAPOS");
  int rows = 0;
  for (const XmlNode& record : delphos::SectionRecords(doc, "PROFESORES")) {
    const RecordValues values(record);
    if (values.count() <= 1) continue;
    table.Append();
    table.SetText(abrev, values.At(3));
    table.SetText(nombre, values.At(2));
    table.SetText(empleado, values.At(0));
    table.SetText(toma, values.At(1));
    table.Post();
    ++rows;
  }
  table.Close();
  return rows;
}

int ExportarAulas(const delphos::XmlDocument& doc, const std::filesystem::path& table_file) {
  DbfTable table =
      NewTable(table_file, {dbf::TextField("ABREV", 10), dbf::TextField("NOMBRE", 80),
                            dbf::TextField("EDIFICIO", 1), dbf::IntegerField("MAXALUM"),
                            dbf::TextField("DEPCENTRO", 10)});
  const int abrev = table.FieldIndex("ABREV"), nombre = table.FieldIndex("NOMBRE"),
            edificio = table.FieldIndex("EDIFICIO"), depcentro = table.FieldIndex("DEPCENTRO");
  int rows = 0;
  for (const XmlNode& record : delphos::SectionRecords(doc, "AULAS")) {
    const RecordValues values(record);
    if (values.count() <= 1) continue;
    // A room without a code of its own goes by its DELPHOS code.
    const std::string& code = values.At(1).empty() ? values.At(0) : values.At(1);
    table.Append();
    table.SetText(abrev, code);
    table.SetText(nombre, values.At(2));
    table.SetText(edificio, values.At(3));
    table.SetText(depcentro, values.At(0));
    table.Post();
    ++rows;
  }
  table.Close();
  return rows;
}

int ExportarGrupos(const delphos::XmlDocument& doc, const std::filesystem::path& table_file) {
  DbfTable table =
      NewTable(table_file, {dbf::TextField("ABREV", 10), dbf::TextField("TURNO", 1),
                            dbf::TextField("NIVEL", 5), dbf::TextField("CURSO", 3),
                            dbf::TextField("GRUPO", 2), dbf::TextField("UNIDAD", 12),
                            dbf::TextField("DESCRIP", 80), dbf::TextField("MARCO", 1)});
  const int abrev = table.FieldIndex("ABREV"), turno = table.FieldIndex("TURNO"),
            nivel = table.FieldIndex("NIVEL"), curso = table.FieldIndex("CURSO"),
            grupo = table.FieldIndex("GRUPO"), unidad = table.FieldIndex("UNIDAD"),
            descrip = table.FieldIndex("DESCRIP"), marco = table.FieldIndex("MARCO");
  int rows = 0;
  for (const XmlNode& record : delphos::SectionRecords(doc, "GRUPOS")) {
    const RecordValues values(record);
    if (values.count() <= 1) continue;
    const std::string level = values.At(3).empty() ? "NIV" : values.At(3);
    table.Append();
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
    ++rows;
  }
  table.Close();
  return rows;
}

}  // namespace pasahorario
