// Test helpers of the import direction: a fresh exchange directory and a
// folder for the chosen document per test, work tables written through the
// engine in the layouts the export creates, and the result document read
// back as short lines. Header only; included by the *_test.cc files here.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "delphos/xml_document.h"
#include "import/importar.h"
#include "support/test_files.h"
#include "worktables/dbf_table.h"

namespace pasahorario::import_testing {
namespace fs = std::filesystem;
using dbf::FieldLayout;
using dbf::IntegerField;
using dbf::LogicalField;
using dbf::TextField;

// A row by field name; fields left out stay blank.
using Row = std::map<std::string, std::string>;

inline std::vector<FieldLayout> AsignomtLayout() {
  return {TextField("COD", 10), TextField("CODLARGO", 10), TextField("NOMBRE", 80),
          TextField("MATERIA", 12), LogicalField("ESTAREA")};
}
inline std::vector<FieldLayout> ProftLayout() {
  return {TextField("ABREV", 10), TextField("NOMBRE", 80),     TextField("DEPART", 40),
          IntegerField("DNI"),    TextField("X_EMPLEADO", 12), TextField("F_TOMAPOS", 10),
          TextField("EMAIL", 100)};
}
inline std::vector<FieldLayout> AulatLayout() {
  return {TextField("ABREV", 10), TextField("NOMBRE", 80), TextField("EDIFICIO", 1),
          IntegerField("MAXALUM"), TextField("DEPCENTRO", 10)};
}
inline std::vector<FieldLayout> GrupostLayout() {
  return {TextField("ABREV", 10),   TextField("TURNO", 1), TextField("NIVEL", 5),
          TextField("CURSO", 3),    TextField("GRUPO", 2), TextField("UNIDAD", 12),
          TextField("DESCRIP", 80), TextField("MARCO", 1)};
}
inline std::vector<FieldLayout> AsigtLayout() {
  return {TextField("CASIG", 10),    TextField("CPROF", 10), TextField("CGRUP", 10),
          TextField("CAULA", 10),    TextField("TURNO", 1),  TextField("NIVEL", 5),
          TextField("CURSO", 3),     TextField("GRUPO", 2),  dbf::FloatField("HORAS"),
          TextField("SESIONES", 20), TextField("NCONEX", 4), TextField("MATERIA", 12),
          TextField("CTAREA", 10)};
}
inline std::vector<FieldLayout> DiashorastLayout() {
  return {TextField("DIHO", 10),     TextField("CODDIHO", 10),  TextField("DIA", 20),
          TextField("TEXTODIA", 20), TextField("HORA", 8),      TextField("TEXTOHOR", 15),
          TextField("HORADESDE", 8), TextField("HORAHASTA", 8), TextField("MINUTOS", 8),
          TextField("MARCO", 1),     TextField("MARCOXML", 10)};
}
// SOLUC as the host leaves it: DIA and HORA numeric.
inline std::vector<FieldLayout> SolucLayout() {
  return {TextField("PROF", 10),  {"DIA", 'N', 2, 0},    {"HORA", 'N', 2, 0},
          TextField("TAREA", 10), TextField("AULA", 10), TextField("CODGRUPO", 10),
          TextField("ASIG", 10),  TextField("NIVEL", 5), TextField("CURSO", 3)};
}

inline void WriteTable(const fs::path& dir, const std::string& name,
                       const std::vector<FieldLayout>& fields, const std::vector<Row>& rows) {
  dbf::DbfTable table(dir, name);
  table.Create(fields);
  table.Open();
  for (const Row& row : rows) {
    table.Append();
    for (const auto& [field, value] : row) table.SetText(table.FieldIndex(field), value);
    table.Post();
  }
  table.Close();
}

// The rows of every table an import reads; tables are written with their
// full layouts, also when empty.
struct WorkTables {
  std::vector<Row> asignomt = {};
  std::vector<Row> proft = {};
  std::vector<Row> aulat = {};
  std::vector<Row> grupost = {};
  std::vector<Row> asigt = {};
  std::vector<Row> diashorast = {};
  std::vector<Row> soluc = {};
};

inline void WriteWorkTables(const fs::path& dir, const WorkTables& t,
                            const std::vector<FieldLayout>& soluc_layout = SolucLayout()) {
  WriteTable(dir, "ASIGNOMT", AsignomtLayout(), t.asignomt);
  WriteTable(dir, "PROFT", ProftLayout(), t.proft);
  WriteTable(dir, "AULAT", AulatLayout(), t.aulat);
  WriteTable(dir, "GRUPOST", GrupostLayout(), t.grupost);
  WriteTable(dir, "ASIGT", AsigtLayout(), t.asigt);
  WriteTable(dir, "DIASHORAST", DiashorastLayout(), t.diashorast);
  WriteTable(dir, "SOLUC", soluc_layout, t.soluc);
}

// A PROFT row and a SOLUC row, the fields the import reads.
inline Row Teacher(const std::string& abrev, const std::string& x_empleado,
                   const std::string& f_tomapos = "01/09/2020") {
  return {{"ABREV", abrev}, {"X_EMPLEADO", x_empleado}, {"F_TOMAPOS", f_tomapos}};
}
// A SOLUC row from the values of PROF, DIA, HORA, TAREA, AULA, CODGRUPO,
// ASIG, NIVEL and CURSO, in this order; values left out are blank.
using Sol = std::vector<std::string>;
inline Row Soluc(const Sol& values) {
  static const char* const kFields[] = {"PROF",     "DIA",  "HORA",  "TAREA", "AULA",
                                        "CODGRUPO", "ASIG", "NIVEL", "CURSO"};
  Row row;
  for (size_t i = 0; i < values.size() && i < std::size(kFields); ++i) row[kFields[i]] = values[i];
  return row;
}

using testing_support::FileBytes;
using testing_support::WriteBytes;

// A DELPHOS document as the import is given it.
inline constexpr char kChosenXml[] =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
    "<SERVICIO><CABECERA>c</CABECERA><SALIDAS><listasal seq=\"MATERIAS\"/></SALIDAS></SERVICIO>\n";

// The SALIDAS of a result document as lines: "EMPLEADO_n X_EMPLEADO|F_TOMAPOS"
// per teacher record, then "  ACTIVIDAD_m v1|v2|v3|v4|v5|v6" per activity.
// Value elements whose `dato` is not the expected one show as "?dato".
inline std::vector<std::string> Records(const delphos::XmlDocument& result) {
  const auto values = [](const delphos::XmlNode& record, std::initializer_list<const char*> names) {
    const std::vector<delphos::XmlNode> salidas = record.Children("salida");
    std::string line;
    size_t i = 0;
    for (const char* name : names) {
      if (i) line += '|';
      if (i >= salidas.size()) {
        line += "<missing>";
      } else if (salidas[i].Attribute("dato") != name) {
        line += '?';
        line += salidas[i].Attribute("dato").value_or("");
      } else {
        line += salidas[i].Text();
      }
      ++i;
    }
    if (salidas.size() > i) line += "|<more>";
    return line;
  };
  std::vector<std::string> lines;
  for (const delphos::XmlNode& teacher : result.Root().FirstChild("SALIDAS").Children("listasal")) {
    lines.push_back(teacher.Attribute("seq").value_or("") + " " +
                    values(teacher, {"X_EMPLEADO", "F_TOMAPOS"}));
    for (const delphos::XmlNode& activity : teacher.Children("listasal")) {
      lines.push_back("  " + activity.Attribute("seq").value_or("") + " " +
                      values(activity, {"X_ACTIVIDAD", "N_DIASEMANA", "X_TRAMO", "X_DEPCENTRO",
                                        "X_UNIDAD", "X_MATERIAOMC"}));
    }
  }
  return lines;
}

// A fresh exchange directory (xtemp_) and a folder holding the chosen
// document (chosen_), removed after each test.
class ImportTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = temp_.path();
    xtemp_ = root_ / "XTEMP";
    fs::create_directories(xtemp_);
    fs::create_directories(root_ / "datos");
    chosen_ = root_ / "datos" / "horario.xml";
    result_ = root_ / "datos" / "ResultadoTablerixhorario.xml";
    WriteBytes(chosen_, kChosenXml);
  }

  // Loads the chosen document and imports it, as the import command does.
  ImportSummary Run() {
    delphos::XmlDocument doc = delphos::XmlDocument::Load(chosen_);
    return Importar(doc, chosen_, xtemp_);
  }
  // Runs the import and returns the saved result's records.
  std::vector<std::string> RunRecords() {
    Run();
    return Records(delphos::XmlDocument::Load(result_));
  }

  testing_support::TempDir temp_{"importar"};
  fs::path root_, xtemp_, chosen_, result_;
};

}  // namespace pasahorario::import_testing
