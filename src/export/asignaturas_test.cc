#include "export/asignaturas.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/error.h"
#include "base/report.h"
#include "export/catalogos.h"
#include "export/export_test_support.h"

namespace pasahorario {
namespace {
using namespace testing_support;
using ::testing::ElementsAre;

class AsignaturasTest : public ExchangeDirTest {
 protected:
  // Writes ASIGNOMT from the document's MATERIAS, then ASIGT; returns ASIGT.
  TableContents Convert(const delphos::XmlDocument& doc, int expected_rows) {
    ExportarMaterias(doc, asignomt_, report_);
    EXPECT_EQ(ExportarAsignaturas(doc, asigt_, asignomt_, report_), expected_rows);
    return ReadTable(asigt_);
  }
  // An assignment of subject `materia` lasting `minutes`.
  static std::string Assignment(const std::string& minutes, const std::string& materia = "370001") {
    return Rec({"CA", "1A", "A101", "M", "ESO", "1", "A", minutes, materia});
  }
  void SetUp() override {
    ExchangeDirTest::SetUp();
    asignomt_ = dir_ / "ASIGNOMT.DBF";
    asigt_ = dir_ / "ASIGT.DBF";
  }
  fs::path asignomt_, asigt_;
  Report report_;
};

TEST_F(AsignaturasTest, WritesEveryValueInItsField) {
  const TableContents t = Convert(
      Export({Section("ASIGNATURAS",
                      {Rec({"CASIG1", "1ESOA", "A101", "M", "ESO", "1", "A", "180", "370001", "x"}),
                       Rec({"CASIG2", "2ESOB", "A102", "T", "  ", "2", "B", "60", "370002"}),
                       Rec({"solo"}), Rec({"CASIG3", "3ESOC"})})}),
      3);
  EXPECT_THAT(
      Layout(t.fields),
      ElementsAre("CASIG C 10 0", "CPROF C 10 0", "CGRUP C 10 0", "CAULA C 10 0", "TURNO C 1 0",
                  "NIVEL C 5 0", "CURSO C 3 0", "GRUPO C 2 0", "HORAS N 20 4", "SESIONES C 20 0",
                  "NCONEX C 4 0", "MATERIA C 12 0", "CTAREA C 10 0"));
  EXPECT_THAT(t.Column("CASIG"), ElementsAre("CASIG1", "CASIG2", "CASIG3"));
  EXPECT_THAT(t.Column("CGRUP"), ElementsAre("1ESOA", "2ESOB", "3ESOC"));
  EXPECT_THAT(t.Column("CAULA"), ElementsAre("A101", "A102", ""));
  EXPECT_THAT(t.Column("TURNO"), ElementsAre("M", "T", ""));
  EXPECT_THAT(t.Column("NIVEL"), ElementsAre("ESO", "NIV", "NIV"));
  EXPECT_THAT(t.Column("CURSO"), ElementsAre("1", "2", ""));
  EXPECT_THAT(t.Column("GRUPO"), ElementsAre("A", "B", ""));
  EXPECT_THAT(t.Column("MATERIA"), ElementsAre("370001", "370002", ""));
  EXPECT_THAT(t.Column("CTAREA"), ElementsAre("LE", "LE", "LE"));
  EXPECT_THAT(t.Column("CPROF"), ElementsAre("", "", ""));
  EXPECT_THAT(t.Column("NCONEX"), ElementsAre("", "", ""));
}

TEST_F(AsignaturasTest, HoursAndSessionsFollowTheStoredHours) {
  struct Case {
    std::string minutes;
    double horas;
    std::string sesiones;
  };
  const std::string thirteen(13, '1');
  const std::vector<Case> cases = {
      {"90", 1.5, "11"},
      {"61", 1.0167, "11"},  // stored with four decimals
      {"120", 2, "11"},
      {"30", 1, "1"},
      {"0", 1, "1"},
      {"-5", 1, "1"},
      {"", 1, "1"},
      {"59", 1, "1"},
      {"780", 13, thirteen},
      {"781", 13.0167, "1" + thirteen},
      {"840", 14, "1" + thirteen},
      {"900", 15, "2" + thirteen},
      {"1380", 23, "10" + thirteen},
  };
  std::string xml = "<?xml version=\"1.0\"?><SERVICIO><SALIDAS><listasal seq=\"ASIGNATURAS\">";
  for (const Case& c : cases) xml += Assignment(c.minutes);
  const TableContents t =
      Convert(delphos::XmlDocument::Parse(xml + "</listasal></SALIDAS></SERVICIO>"),
              static_cast<int>(cases.size()));
  ASSERT_EQ(t.rows.size(), cases.size());
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE("minutos '" + cases[i].minutes + "'");
    EXPECT_DOUBLE_EQ(std::stod(t.rows[i].at("HORAS")), cases[i].horas);
    EXPECT_EQ(t.rows[i].at("SESIONES"), cases[i].sesiones);
  }
}

TEST_F(AsignaturasTest, TaskCodeIsTheFirstSubjectRowWithThatCode) {
  const TableContents t = Convert(
      Export(
          {Section("MATERIAS", {Rec({"370001", "LEN", "LENGUA", "Lengua"}),
                                Rec({"G001", "TUT1", "TUTORIA", "Tutoría"}),
                                Rec({"G001", "TUT2", "TUTORIA", "Tutoría otra vez"}),
                                Rec({"g002", "GUA", "GUARDIA", "Guardia"}),
                                Rec({"G003", "REU", "REUNION", "Reunión"})}),
           Section("ASIGNATURAS",
                   {Assignment("60", "G001"), Assignment("60", "G003"),
                    Assignment("60", "G999-SIN-MATERIA"),  // no row: the code itself
                    Assignment("60", "g002"),              // small g: not a task
                    Assignment("60", "g001"), Assignment("60", "370001"), Assignment("60", "")})}),
      7);
  EXPECT_THAT(t.Column("CTAREA"), ElementsAre("TUT1", "REU", "G999-SIN-M", "LE", "LE", "LE", "LE"));
  EXPECT_THAT(t.Column("MATERIA"),
              ElementsAre("G001", "G003", "G999-SIN-MAT", "g002", "g001", "370001", ""));
}

TEST_F(AsignaturasTest, TaskLookupComparesWithLetterCase) {
  const TableContents t = Convert(
      Export({Section("MATERIAS", {Rec({"Gtut", "T1", "", ""}), Rec({"GTUT", "T2", "", ""})}),
              Section("ASIGNATURAS", {Assignment("60", "GTUT"), Assignment("60", "Gtut")})}),
      2);
  EXPECT_THAT(t.Column("CTAREA"), ElementsAre("T2", "T1"));
}

TEST_F(AsignaturasTest, BadMinutesNameTheTextAndTheRecord) {
  const delphos::XmlDocument doc = Export({Section(
      "ASIGNATURAS", {Assignment("60"), Rec({"solo"}), Assignment("9O"), Assignment("60")})});
  ExportarMaterias(doc, asignomt_, report_);
  try {
    ExportarAsignaturas(doc, asigt_, asignomt_, report_);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(),
                 "Sección ASIGNATURAS, registro 3, posición 8 (los minutos del campo HORAS):\n"
                 "'9O' is not a valid integer value");
  }
}

}  // namespace
}  // namespace pasahorario
