// What the export tells about the data its tables do not keep as given.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "base/report.h"
#include "export/export_test_support.h"
#include "export/exportar.h"

namespace pasahorario {
namespace {
using namespace testing_support;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

const char* KindName(FindingKind kind) {
  switch (kind) {
    case FindingKind::kCut:
      return "recorte";
    case FindingKind::kCutCollision:
      return "choque";
    case FindingKind::kReplaced:
      return "sustitución";
    case FindingKind::kDuplicateKey:
      return "repetida";
    case FindingKind::kSkipped:
      return "omitidos";
    case FindingKind::kMisplacedValues:
      return "desordenados";
    case FindingKind::kMissingSection:
      return "sin sección";
    case FindingKind::kBlankKey:
      return "en blanco";
    default:
      return "otro";
  }
}

// The report without the sections that a document leaves out on purpose
// (MissingSectionsAreFindings covers them).
Report WithoutMissingSections(const Report& report) {
  Report kept;
  for (const Finding& f : report.findings()) {
    if (f.kind != FindingKind::kMissingSection) kept.Add(f);
  }
  return kept;
}

// "kind where record 'value'" per finding, for comparing many at once;
// missing sections left out.
std::vector<std::string> Brief(const Report& report) {
  std::vector<std::string> lines;
  const Report kept = WithoutMissingSections(report);
  for (const Finding& f : kept.findings()) {
    lines.push_back(std::string(KindName(f.kind)) + " " + f.where + " " + std::to_string(f.record) +
                    " '" + f.value + "'");
  }
  return lines;
}

class ExportReportTest : public ExchangeDirTest {
 protected:
  Report Run(const delphos::XmlDocument& doc) {
    return ExportarTodo(doc, dir_, [](const std::string&) { return std::string("08:00"); }).report;
  }
};

TEST_F(ExportReportTest, ValuesCutOrWithCharactersTheTableCannotHold) {
  struct Case {
    const char* what;
    std::string section;
    std::vector<std::string> findings;
  };
  const std::string n80(80, 'n'), n81(81, 'n');
  const Case cases[] = {
      {"exactly the width, and a letter with a combining accent that composes",
       Section("PROFESORES", {Rec({"E1", "", n80, "Jose\xCC\x81"})}),
       {}},
      {"one over the width",
       Section("PROFESORES", {Rec({"E1", "", n81, "ANA"})}),
       {"recorte PROFESORES 1 '" + n81 + "'"}},
      {"DESCRIP loses only its trailing blank (81 characters with it); its parts are cut",
       Section("GRUPOS", {Rec({"U1", "1A", "M", std::string(40, 'N'), std::string(37, 'C'), ""})}),
       {"recorte GRUPOS 1 '" + std::string(40, 'N') + "'",
        "recorte GRUPOS 1 '" + std::string(37, 'C') + "'"}},
      {"a character outside the code page, and one only in the part cut off",
       Section("AULAS", {Rec({"D1", "A1", "Sala Łódź", "NŁ"})}),
       {"sustitución AULAS 1 'Sala Łódź'", "recorte AULAS 1 'NŁ'"}},
      {"records left out still count in the place",
       Section("ASIGNATURAS",
               {Rec({"solo"}), Rec({"CA", "1A", "A1", "MT", "ESO", "1", "A", "55", "370001"})}),
       {"recorte ASIGNATURAS 2 'MT'", "omitidos ASIGNATURAS 0 ''"}},
      {"a composed value: the slot code's letter outside the code page",
       Section("TRAMOS", {Slot("Ł1", "55")}),
       {"sustitución TRAMOS 1 'Ł1'", "sustitución TRAMOS 1 'Ł'"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_THAT(Brief(Run(Export({c.section}))), ElementsAreArray(c.findings));
  }
}

TEST_F(ExportReportTest, ACutDelphosCodeIsNotToBeShortenedThere) {
  const Report report = Run(Export({Section("PROFESORES", {Rec({"E123456789012", "", "Ana", "A"})})}));
  const auto cut = std::find_if(report.findings().begin(), report.findings().end(),
                                [](const Finding& f) { return f.kind == FindingKind::kCut; });
  ASSERT_NE(cut, report.findings().end());
  EXPECT_THAT(cut->text,
              AllOf(HasSubstr("X_EMPLEADO"), HasSubstr("es un código de DELPHOS, que no se puede "
                                                       "acortar allí"),
                    Not(HasSubstr("acórtelo"))));
}

TEST_F(ExportReportTest, KeysTheImportFindsRowsByThatSeveralRecordsShare) {
  struct Case {
    const char* what;
    std::string section;
    std::vector<std::string> findings;  // the key findings come after the others
  };
  const Case cases[] = {
      {"the same teacher abbreviation; letter case tells keys apart",
       Section("PROFESORES", {Rec({"E1", "", "Ana", "AMU"}), Rec({"E2", "", "Luis", "amu"}),
                              Rec({"E3", "", "Alba", "AMU"}), Rec({"E4", "", "Bea", "AMU"})}),
       {"repetida PROFESORES 0 'AMU'"}},
      {"subject codes equal but for case: the later ones are left out",
       Section("MATERIAS",
               {Rec({"370001", "ÁLG", "A", "Álgebra"}), Rec({"370002", "álg", "B", "Otra"})}),
       {"repetida MATERIAS 0 'ÁLG'", "omitidos MATERIAS 0 ''"}},
      {"subject codes that only the cut makes equal",
       Section("MATERIAS", {Rec({"370001", "MATEMATICAS1", "M1", "Uno"}),
                            Rec({"370002", "MATEMATICAS2", "M2", "Dos"})}),
       {"recorte MATERIAS 1 'MATEMATICAS1'", "recorte MATERIAS 2 'MATEMATICAS2'",
        "choque MATERIAS 0 'MATEMATICAS1'"}},
      {"a room without a code of its own takes the DELPHOS code another room uses",
       Section("AULAS", {Rec({"D1", "", "Aula"}), Rec({"D2", "D1", "Taller"})}),
       {"repetida AULAS 0 'D1'"}},
      {"groups",
       Section("GRUPOS", {Rec({"U1", "1A"}), Rec({"U2", "1A"}), Rec({"U3", "1B"})}),
       {"repetida GRUPOS 0 '1A'"}},
      {"time slots: the same day and number",
       Section("TRAMOS", {Slot("L1", "55", "4701"), Slot("L1", "50", "4702")}),
       {"repetida TRAMOS 0 '11'"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_THAT(Brief(Run(Export({c.section}))), ElementsAreArray(c.findings));
  }
}

TEST_F(ExportReportTest, RecordsLeftOutAreCountedOncePerSectionWithTheirReasons) {
  const Report report =
      Run(Export({Section("MATERIAS", {Rec({"370001", "MAT", "M", "Mates"}), Rec({"solo"}),
                                       Rec({"370002", "mat", "M", "Otra"}), Rec({}),
                                       Rec({"370003", "Mat", "M", "Otra más"})}),
                  Section("PROFESORES", {Rec({"E1", "", "Ana", "ANA"})})}));
  EXPECT_THAT(
      WithoutMissingSections(report).Lines(),
      ElementsAre("MATERIAS: El valor 'MAT' se repite en el campo COD de ASIGNOMT (código de "
                  "materia), sin distinguir mayúsculas de minúsculas, en los registros 1 ('MAT'), "
                  "3 ('mat') y 5 ('Mat') de MATERIAS; solo el registro 1 se ha pasado a ASIGNOMT. "
                  "Cambie en DELPHOS los registros repetidos para que ninguno coincida.",
                  "MATERIAS: 4 registros de MATERIAS no se han pasado a ASIGNOMT: los 2 y 4 (con "
                  "menos de dos valores); los 3 y 5 (con un código de materia ya usado por un "
                  "registro anterior). Revise esos registros en DELPHOS si debían pasar."));
}

// A duplicated teacher abbreviation, a value longer than its field and a
// character outside Windows-1252 are all reported, in sentences that say
// what happened and what to do; a clean export reports nothing.
TEST_F(ExportReportTest, AnExportTellsWhatItsTablesDoNotKeepAsGiven) {
  const Report report = Run(Export(
      {Section("MATERIAS", {Rec({"370001", "MAT", "MAT", "Matemáticas Aplicadas ✓"})}),
       Section("PROFESORES", {Rec({"E1", "", "Ana", "AMU"}), Rec({"E2", "", "Alba", "AMU"})}),
       Section("GRUPOS", {Rec({"U1", "1A", "M", "ESO-LOE", "1", "A"})})}));
  EXPECT_THAT(
      WithoutMissingSections(report).Lines(),
      ElementsAre(
          "MATERIAS, registro 1: El valor 'Matemáticas Aplicadas ✓' del campo NOMBRE de ASIGNOMT "
          "tiene caracteres que la tabla (Windows-1252) no puede guardar ('✓') y se ha guardado "
          "como 'Matemáticas Aplicadas ?'; si así no sirve, cámbielos en DELPHOS.",
          "PROFESORES: El valor 'AMU' se repite en el campo ABREV de PROFT (abreviatura de "
          "profesor) en los registros 1 y 2 de PROFESORES; la importación no podrá distinguirlos. "
          "Cambie en DELPHOS los registros repetidos para que ninguno coincida.",
          "GRUPOS, registro 1: El valor 'ESO-LOE' no cabe en el campo NIVEL de GRUPOST (5 "
          "caracteres) y se ha recortado a 'ESO-L'; si así no sirve, acórtelo en DELPHOS."));

  const Report clean = Run(Export(
      {Section("MATERIAS", {Rec({"G01", "TUT", "TUTORIA", "Tutoría"})}),
       Section("PROFESORES", {Rec({"E1", "01/09/2020", "Ana", "ANA"})}),
       Section("AULAS", {Rec({"D1", "A1", "Aula 1", "N"})}),
       Section("GRUPOS",
               {Rec({"U1", "1A", "M", "ESO", "1", "A"}), Rec({"U2", "1B", "M", "", "", ""})}),
       Section("ASIGNATURAS", {Rec({"CA", "1A", "A1", "M", "ESO", "1", "A", "1380", "G01"})}),
       Section("TRAMOS",
               {Slot("L1", "55", "4701"), Slot("L2", "55", "4702"), Slot("M1", "55", "4711")})}));
  EXPECT_THAT(clean.Lines(), IsEmpty());
}

// What the export used to pass over in silence: each case a document and
// the findings it must give (missing sections aside), with words of the
// first one's text.
TEST_F(ExportReportTest, LossesThatUsedToGoUnsaid) {
  struct Case {
    const char* what;
    std::string section;
    std::vector<std::string> findings;
    std::vector<std::string> words;  // of the first finding's text
  };
  // PROFESORES records whose value elements carry names (Tramo() writes any
  // record so).
  const auto teacher = [](std::initializer_list<std::pair<std::string, std::string>> named) {
    return Tramo(named);
  };
  const std::string ana = teacher({{"X_EMPLEADO", "E1"},
                                   {"F_TOMAPOS", "01/09/2020"},
                                   {"NOMBRE", "Ana"},
                                   {"ABREVIATURA", "ANA"}});
  const std::string luis = teacher({{"X_EMPLEADO", "E2"},
                                    {"F_TOMAPOS", "01/09/2021"},
                                    {"NOMBRE", "Luis"},
                                    {"ABREVIATURA", "LUI"}});
  const std::string tomapos_missing =
      teacher({{"X_EMPLEADO", "E3"}, {"NOMBRE", "Bea"}, {"ABREVIATURA", "BEA"}});
  const Case cases[] = {
      {"a value element missing shifts the rest: the names show it",
       Section("PROFESORES", {ana, tomapos_missing, luis}),
       {"desordenados PROFESORES 2 'NOMBRE'", "en blanco PROFESORES 2 ''"},
       {"en la posición 2 se esperaba 'F_TOMAPOS' y está 'NOMBRE'",
        "(y 2 posiciones más no coinciden)", "campos equivocados de PROFT"}},
      {"the last value element missing",
       Section("PROFESORES",
               {ana, luis,
                teacher({{"X_EMPLEADO", "E3"}, {"F_TOMAPOS", "01/09/2022"}, {"NOMBRE", "Bea"}})}),
       {"desordenados PROFESORES 3 ''", "en blanco PROFESORES 3 ''"},
       {"en la posición 4 se esperaba 'ABREVIATURA' y no hay ningún valor"}},
      {"a tie between two records goes to the usual name",
       Section("PROFESORES", {tomapos_missing, ana}),
       {"desordenados PROFESORES 1 'NOMBRE'", "en blanco PROFESORES 1 ''"},
       {"se esperaba 'F_TOMAPOS'"}},
      {"other names than the usual ones, the same in every record, are no finding",
       Section("PROFESORES", {teacher({{"A", "E1"}, {"B", ""}, {"C", "Ana"}, {"D", "ANA"}}),
                              teacher({{"A", "E2"}, {"B", ""}, {"C", "Luis"}, {"D", "LUI"}})}),
       {},
       {}},
      {"TRAMOS: positions 1 and 2 read for Monday's lengths",
       Section("TRAMOS",
               {Slot("L1", "55", "4701"), Slot("L2", "55", "4702"),
                Tramo({{"CODIGO_DELPHOS", "4712"}, {"MINUTOS", "55"}, {"NOMBRE", "M2"}})}),
       {"desordenados TRAMOS 3 'MINUTOS'"},
       {"en la posición 2 se esperaba 'NOMBRE' y está 'MINUTOS'", "(y 1 posición más no coincide)",
        "de DIASHORAST"}},
      {"a blank teacher abbreviation",
       Section("PROFESORES", {Rec({"E1", "", "Ana", " "}), Rec({"E2", "", "Luis", "LUI"})}),
       {"en blanco PROFESORES 1 ''"},
       {"El campo ABREV de PROFT (abreviatura de profesor) queda en blanco"}},
      {"a room without either code",
       Section("AULAS", {Rec({"", "", "Aula"})}),
       {"en blanco AULAS 1 ''"},
       {"campo ABREV de AULAT (código de aula)"}},
      {"a blank group abbreviation",
       Section("GRUPOS", {Rec({"U1", ""})}),
       {"en blanco GRUPOS 1 ''"},
       {"campo ABREV de GRUPOST"}},
      {"a blank subject code",
       Section("MATERIAS", {Rec({"370001", "", "L", "Lengua"})}),
       {"en blanco MATERIAS 1 ''"},
       {"campo COD de ASIGNOMT"}},
      {"two time slots with one DELPHOS code",
       Section("TRAMOS", {Slot("L1", "55", "4701"), Slot("L2", "55", "4701")}),
       {"repetida TRAMOS 0 '4701'"},
       {"campo CODDIHO de DIASHORAST (código DELPHOS de tramo) en los registros 1 y 2",
        "irán al mismo tramo de DELPHOS"}},
      {"a time slot without a DELPHOS code",
       Section("TRAMOS", {Slot("L1", "55", "4701"), Slot("L2", "55", "")}),
       {"en blanco TRAMOS 2 ''"},
       {"campo CODDIHO de DIASHORAST"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Report report = WithoutMissingSections(Run(Export({c.section})));
    EXPECT_THAT(Brief(report), ElementsAreArray(c.findings));
    if (report.empty()) continue;
    for (const std::string& word : c.words) {
      EXPECT_THAT(report.findings().front().text, testing::HasSubstr(word));
    }
  }
}

TEST_F(ExportReportTest, MissingSectionsAreFindingsThatNameTheirEmptyTables) {
  const ExportSummary summary =
      ExportarTodo(Export({Section("MATERIAS", {Rec({"370001", "MAT", "M", "Mates"})}),
                           Section("TRAMOS", {Slot("L1", "55", "4701")})}),
                   dir_, [](const std::string&) { return std::string("08:00"); });
  EXPECT_THAT(summary.absent_sections, ElementsAre("PROFESORES", "AULAS", "GRUPOS", "ASIGNATURAS"));
  EXPECT_THAT(Brief(summary.report), IsEmpty());
  std::vector<std::string> lines;
  for (const Finding& f : summary.report.findings()) {
    EXPECT_EQ(f.kind, FindingKind::kMissingSection);
    lines.push_back(f.where + ": " + f.text);
  }
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2],
            "GRUPOS: La sección no está en el documento: la tabla GRUPOST queda vacía. Si debía "
            "tener datos, vuelva a sacar la exportación de DELPHOS con esa sección.");
  EXPECT_THAT(lines[0], testing::HasSubstr("la tabla PROFT queda vacía"));
  EXPECT_THAT(summary.report.Summary(), testing::HasSubstr("4 secciones que faltan"));
}

}  // namespace
}  // namespace pasahorario
