#include "import/import_report.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "import/import_test_support.h"

namespace pasahorario::import_testing {
namespace {
using testing::ElementsAreArray;
using testing::HasSubstr;

// A finding as the test expects it: kind, value, words its text holds, and
// the table it is about.
struct Expected {
  FindingKind kind;
  std::string value;
  std::vector<std::string> words;
  std::string where = "SOLUC";
};

// Sets the language driver byte of the SOLUC header to `driver`.
std::function<void(const fs::path&)> DriverByte(char driver) {
  return [driver](const fs::path& xtemp) {
    const fs::path soluc = dbf::TablePath(xtemp, "SOLUC");
    std::string bytes = FileBytes(soluc);
    bytes[29] = driver;
    WriteBytes(soluc, bytes);
  };
}

using ImportReportTest = ImportTest;

TEST_F(ImportReportTest, FindingsOfTheSolutionTable) {
  struct Case {
    std::string name;
    WorkTables tables;
    std::vector<Expected> findings;
    std::function<void(const fs::path& xtemp)> touch = [](const fs::path&) {};
  };
  const auto older_than_proft = [](const fs::path& xtemp) {
    const fs::path soluc = dbf::TablePath(xtemp, "SOLUC");
    fs::last_write_time(
        soluc, fs::last_write_time(dbf::TablePath(xtemp, "PROFT")) - std::chrono::hours(2));
  };
  const std::vector<Case> cases = {
      {"todo casa",
       {.asignomt = {{{"COD", "T1"}, {"MATERIA", "M1"}}},
        .proft = {Teacher("P1", "1")},
        .aulat = {{{"ABREV", "A1"}, {"DEPCENTRO", "D1"}}},
        .diashorast = {{{"DIHO", "11"}, {"CODDIHO", "C11"}, {"DIA", "1"}}},
        .soluc = {Soluc({"P1", "1", "1", "T1", "A1", "", "T1"})}},
       {}},
      {"profesores ausentes de PROFT",
       {.asignomt = {{{"COD", "T1"}, {"MATERIA", "M1"}}},
        .proft = {Teacher("P1", "1")},
        .diashorast = {{{"DIHO", "11"}, {"CODDIHO", "C11"}, {"DIA", "1"}}},
        .soluc = {Soluc({"P9", "1", "1"}), Soluc({"P1", "1", "1", "T1", "", "", "T1"}),
                  Soluc({"P9", "0", "1"}), Soluc({"P9", "2"}), Soluc({"", "3", "1"}),
                  Soluc({"A\x01", "1", "1"}), Soluc({"SINDIA", "0"}), Soluc({"SINDIA", "0"}),
                  Soluc({"p1", "1", "1"})}},
       {{FindingKind::kUnknownTeacher, "", {"Una fila no tiene profesor (PROF en blanco)"}},
        {FindingKind::kUnknownTeacher, "A\x01", {"'A\\x01'", "su fila con actividad"}},
        {FindingKind::kUnknownTeacher, "P9", {"'P9'", "sus 2 filas con actividad"}},
        {FindingKind::kUnknownTeacher, "SINDIA", {"'SINDIA'", "ninguna de sus 2 filas"}},
        {FindingKind::kUnknownTeacher, "p1", {"'p1'", "su fila con actividad"}},
        // The codes with activities that look like P1 come with a proposal.
        {FindingKind::kProposal, "PROFESOR P9 = P1", {"'P9' y 'P1' se diferencian en un solo"}},
        {FindingKind::kProposal, "PROFESOR p1 = P1", {"'p1' y 'P1' solo difieren en mayúsculas"}}}},
      {"SOLUC sin filas",
       {.proft = {Teacher("P1", "1")}},
       {{FindingKind::kNoActivity, "", {"ninguna fila con actividad"}}}},
      {"solo filas sin día",
       {.proft = {Teacher("P1", "1")}, .soluc = {Soluc({"P1", "0", "1"})}},
       {{FindingKind::kNoActivity, "", {"ninguna fila con actividad"}}}},
      {"SOLUC anterior a la exportación",
       {.asignomt = {{{"COD", "T1"}, {"MATERIA", "M1"}}},
        .proft = {Teacher("P1", "1")},
        .diashorast = {{{"DIHO", "11"}, {"CODDIHO", "C11"}, {"DIA", "1"}}},
        .soluc = {Soluc({"P1", "1", "1", "T1", "", "", "T1"})}},
       {{FindingKind::kOldSolution, "", {"anterior a las tablas de la última exportación"}}},
       older_than_proft},
      {"valores sin correspondencia",
       {.proft = {Teacher("P1", "1"), Teacher("P2", "2", "")},
        .soluc = {Soluc({"P1", "1", "1", "TX", "A9", "G9", "S9"}),
                  Soluc({"P2", "1", "1", "TX", "", "", "S9"})}},
       // In the order of the summary's list, each with its activities.
       {{FindingKind::kUnmatched, "TX", {kTareaSinMateria, "'TX' en 2 actividades"}},
        {FindingKind::kUnmatched,
         "11",
         {kTramoSinFila, ": día 1, hora 1 (DIHO '11') en 2 actividades"}},
        {FindingKind::kUnmatched, "A9", {kAulaSinFila, "'A9' en 1 actividad,"}},
        {FindingKind::kUnmatched, "G9", {kGrupoSinFila, "'G9' en 1 actividad,"}},
        {FindingKind::kUnmatched, "S9", {kAsigSinMateria, "'S9' en 2 actividades"}}}},
      {"una hora de dos cifras no se confunde con otro día",
       {.asignomt = {{{"COD", "T1"}, {"MATERIA", "M1"}}},
        .proft = {Teacher("P1", "1")},
        .diashorast = {{{"DIHO", "11"}, {"CODDIHO", "C11"}, {"DIA", "1"}}},
        .soluc = {Soluc({"P1", "1", "12", "T1", "", "", "T1"}),
                  Soluc({"P1", "11", "2", "T1", "", "", "T1"})}},
       {{FindingKind::kUnmatched, "112", {": día 1, hora 12 (DIHO '112') en 1 actividad,"}},
        {FindingKind::kUnmatched, "112", {": día 11, hora 2 (DIHO '112') en 1 actividad,"}}}},
      {"una abreviatura en dos filas de PROFT",
       {.asignomt = {{{"COD", "T1"}, {"MATERIA", "M1"}}},
        .proft = {Teacher("P1", "1"), Teacher("P2", "2"), Teacher("P1", "3")},
        .diashorast = {{{"DIHO", "11"}, {"CODDIHO", "C11"}, {"DIA", "1"}}},
        .soluc = {Soluc({"P1", "1", "1", "T1", "", "", "T1"}),
                  Soluc({"P1", "1", "1", "T1", "", "", "T1"}),
                  Soluc({"P2", "1", "1", "T1", "", "", "T1"})}},
       {{FindingKind::kDuplicateKey,
         "P1",
         {"La abreviatura 'P1' está en 2 filas de PROFT, las 1 (X_EMPLEADO '1') y 3 "
          "(X_EMPLEADO '3'): sus 2 actividades de SOLUC se han dado a cada uno de ellos, así "
          "que el resultado las lleva 2 veces."},
         "PROFT"}}},
      {"profesores sin abreviatura, que reciben las filas sin profesor",
       {.asignomt = {{{"COD", "T1"}, {"MATERIA", "M1"}}},
        .proft = {Teacher("P1", "1"), Teacher("", "7"), Teacher(" ", "8")},
        .diashorast = {{{"DIHO", "11"}, {"CODDIHO", "C11"}, {"DIA", "1"}}},
        .soluc = {Soluc({"P1", "1", "1", "T1", "", "", "T1"}),
                  Soluc({"", "1", "1", "T1", "", "", "T1"}),
                  Soluc({"", "1", "1", "T1", "", "", "T1"})}},
       {{FindingKind::kBlankKey,
         "",
         {"El profesor con X_EMPLEADO '7' no tiene abreviatura (ABREV en blanco): se le han "
          "dado las 2 actividades de SOLUC sin profesor (PROF en blanco)"},
         "PROFT"},
        {FindingKind::kBlankKey, "", {"X_EMPLEADO '8'", "las 2 actividades"}, "PROFT"}}},
      {"un profesor sin abreviatura y sin filas sin profesor",
       {.asignomt = {{{"COD", "T1"}, {"MATERIA", "M1"}}},
        .proft = {Teacher("P1", "1"), Teacher("", "7")},
        .diashorast = {{{"DIHO", "11"}, {"CODDIHO", "C11"}, {"DIA", "1"}}},
        .soluc = {Soluc({"P1", "1", "1", "T1", "", "", "T1"})}},
       {{FindingKind::kBlankKey, "", {"no ha recibido ninguna actividad."}, "PROFT"}}},
      {"byte de idioma desconocido 0xF0",
       {.asignomt = {{{"COD", "T1"}, {"MATERIA", "M1"}}},
        .proft = {Teacher("P1", "1")},
        .diashorast = {{{"DIHO", "11"}, {"CODDIHO", "C11"}, {"DIA", "1"}}},
        .soluc = {Soluc({"P1", "1", "1", "T1", "", "", "T1"})}},
       {{FindingKind::kCodePageAssumed,
         "",
         {"La tabla SOLUC declara una página de códigos que este programa no conoce (el byte "
          "de idioma 0xF0)",
          "se lee en Windows-1252"}}},
       DriverByte('\xF0')},
      {"byte de idioma desconocido 0xAB",
       {.asignomt = {{{"COD", "T1"}, {"MATERIA", "M1"}}},
        .proft = {Teacher("P1", "1")},
        .diashorast = {{{"DIHO", "11"}, {"CODDIHO", "C11"}, {"DIA", "1"}}},
        .soluc = {Soluc({"P1", "1", "1", "T1", "", "", "T1"})}},
       {{FindingKind::kCodePageAssumed, "", {"(el byte de idioma 0xAB)", "ponga a su lado"}}},
       DriverByte('\xAB')},
      {"un SOLUC.cpg que nombra una página desconocida",
       {.asignomt = {{{"COD", "T1"}, {"MATERIA", "M1"}}},
        .proft = {Teacher("P1", "1")},
        .diashorast = {{{"DIHO", "11"}, {"CODDIHO", "C11"}, {"DIA", "1"}}},
        .soluc = {Soluc({"P1", "1", "1", "T1", "", "", "T1"})}},
       {{FindingKind::kCodePageAssumed,
         "",
         {"nombra una que este programa no conoce", "escriba en soluc.cpg el número"}}},
       [](const fs::path& xtemp) {
         DriverByte('\0')(xtemp);
         WriteBytes(xtemp / "soluc.cpg", "CP_RARA");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(xtemp_);
    fs::create_directories(xtemp_);
    WriteWorkTables(xtemp_, c.tables);
    c.touch(xtemp_);
    const ImportSummary summary = Run();
    const std::vector<Finding>& findings = summary.report.findings();
    std::vector<std::pair<FindingKind, std::string>> got, want;
    for (const Finding& f : findings) got.emplace_back(f.kind, f.value);
    for (const Expected& e : c.findings) want.emplace_back(e.kind, e.value);
    ASSERT_THAT(got, ElementsAreArray(want));
    for (size_t i = 0; i < findings.size(); ++i) {
      EXPECT_EQ(findings[i].where, c.findings[i].where);
      for (const std::string& word : c.findings[i].words) {
        EXPECT_THAT(findings[i].text, HasSubstr(word));
      }
    }
    // The unmatched values stay in the summary as they were.
    size_t unmatched = 0;
    for (const Finding& f : findings) unmatched += f.kind == FindingKind::kUnmatched;
    EXPECT_EQ(unmatched, summary.unmatched.size());
  }
}

TEST_F(ImportReportTest, UnknownCodesPastTheLimitAreCountedTogether) {
  WorkTables tables = {.proft = {Teacher("P1", "1")}};
  const int codes = static_cast<int>(UnknownTeachers::kMaxCodes) + 2;
  for (int i = 0; i < codes; ++i) {
    tables.soluc.push_back(Soluc({"X" + std::to_string(i), i % 2 ? "1" : "0", "1"}));
  }
  WriteWorkTables(xtemp_, tables);
  const Report report = Run().report;
  std::vector<Finding> unknown;  // proposals for codes like P1 follow them
  for (const Finding& f : report.findings()) {
    if (f.kind == FindingKind::kUnknownTeacher) unknown.push_back(f);
  }
  ASSERT_EQ(unknown.size(), UnknownTeachers::kMaxCodes + 1);
  const Finding& rest = unknown.back();
  // The last two codes in table order: one row with a day, one without.
  EXPECT_THAT(rest.text, HasSubstr("Hay 2 filas más en SOLUC (1 con actividad)"));
}

}  // namespace
}  // namespace pasahorario::import_testing
