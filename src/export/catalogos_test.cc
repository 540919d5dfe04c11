#include "export/catalogos.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/report.h"
#include "export/export_test_support.h"

namespace pasahorario {
namespace {
using namespace testing_support;
using ::testing::ElementsAre;

class CatalogosTest : public ExchangeDirTest {
 protected:
  Report report_;
};

TEST_F(CatalogosTest, EachTableHasItsLayoutAlsoWithoutItsSection) {
  struct Case {
    int (*convert)(const delphos::XmlDocument&, const fs::path&, Report&);
    std::vector<std::string> layout;
  };
  const Case cases[] = {
      {ExportarMaterias,
       {"COD C 10 0", "CODLARGO C 10 0", "NOMBRE C 80 0", "MATERIA C 12 0", "ESTAREA L 1 0"}},
      {ExportarProfesores,
       {"ABREV C 10 0", "NOMBRE C 80 0", "DEPART C 40 0", "DNI N 11 0", "X_EMPLEADO C 12 0",
        "F_TOMAPOS C 10 0", "EMAIL C 100 0"}},
      {ExportarAulas,
       {"ABREV C 10 0", "NOMBRE C 80 0", "EDIFICIO C 1 0", "MAXALUM N 11 0", "DEPCENTRO C 10 0"}},
      {ExportarGrupos,
       {"ABREV C 10 0", "TURNO C 1 0", "NIVEL C 5 0", "CURSO C 3 0", "GRUPO C 2 0", "UNIDAD C 12 0",
        "DESCRIP C 80 0", "MARCO C 1 0"}},
  };
  const delphos::XmlDocument doc = Export({Section("TRAMOS", {})});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.layout[0] + " ... " + c.layout.back());
    const fs::path file = dir_ / "T.DBF";
    EXPECT_EQ(c.convert(doc, file, report_), 0);
    const TableContents table = ReadTable(file);
    EXPECT_EQ(Layout(table.fields), c.layout);
    EXPECT_TRUE(table.rows.empty());
  }
}

TEST_F(CatalogosTest, MateriasKeepsTheFirstSubjectOfEachCodeWhateverItsCase) {
  const delphos::XmlDocument doc = Export(
      {Section("MATERIAS", {Rec({"370001", "ÁLG", "ALGEBRA", "Álgebra"}),
                            Rec({"  G0001 \n", "Tut", "TUTORIA", "Tutoría"}),
                            Rec({"370002", "álg", "OTRA", "Repetida en minúsculas"}),  // dropped
                            Rec({"370003", "ALG", "SINACENTO", "Sin acento: otra letra"}),
                            Rec({"g370004", "TUT", "OTRA", "Repetida en mayúsculas"}),  // dropped
                            Rec({"solo"}),                                              // no row
                            Rec({}),                                                    // no row
                            Rec({"g370005", "MUS", "MUSICA", "Música", "extra", "extra"}),
                            Rec({"", "", "VACIO", "Sin código"}),
                            Rec({"370006", ""}),         // empty code again: dropped
                            Rec({"370007", "FIS"})})});  // the missing values read as empty
  const fs::path file = dir_ / "ASIGNOMT.DBF";
  EXPECT_EQ(ExportarMaterias(doc, file, report_), 6);
  const TableContents t = ReadTable(file);
  EXPECT_THAT(t.Column("COD"), ElementsAre("ÁLG", "Tut", "ALG", "MUS", "", "FIS"));
  EXPECT_THAT(t.Column("CODLARGO"),
              ElementsAre("ALGEBRA", "TUTORIA", "SINACENTO", "MUSICA", "VACIO", ""));
  EXPECT_THAT(t.Column("NOMBRE"), ElementsAre("Álgebra", "Tutoría", "Sin acento: otra letra",
                                              "Música", "Sin código", ""));
  EXPECT_THAT(t.Column("MATERIA"),
              ElementsAre("370001", "G0001", "370003", "g370005", "", "370007"));
  // A task: the code (trimmed) begins with a capital G.
  EXPECT_THAT(t.Column("ESTAREA"), ElementsAre("F", "T", "F", "F", "F", "F"));
}

TEST_F(CatalogosTest, ProfesoresKeepsEveryTeacherAndLeavesTheUnusedFieldsEmpty) {
  const delphos::XmlDocument doc =
      Export({Section("PROFESORES", {Rec({"E100", "01/09/2020", "García Pérez, Ana", "AGP"}),
                                     Rec({"E100", "01/09/2020", "García Pérez, Ana", "AGP"}),
                                     Rec({"E200"}), Rec({"E300", "", "Sin código"})})});
  const fs::path file = dir_ / "PROFT.DBF";
  EXPECT_EQ(ExportarProfesores(doc, file, report_), 3);
  const TableContents t = ReadTable(file);
  EXPECT_THAT(t.Column("ABREV"), ElementsAre("AGP", "AGP", ""));
  EXPECT_THAT(t.Column("NOMBRE"),
              ElementsAre("García Pérez, Ana", "García Pérez, Ana", "Sin código"));
  EXPECT_THAT(t.Column("X_EMPLEADO"), ElementsAre("E100", "E100", "E300"));
  EXPECT_THAT(t.Column("F_TOMAPOS"), ElementsAre("01/09/2020", "01/09/2020", ""));
  for (const char* empty : {"DEPART", "DNI", "EMAIL"}) {
    EXPECT_THAT(t.Column(empty), ElementsAre("", "", "")) << empty;
  }
}

TEST_F(CatalogosTest, AulasFallsBackToTheDelphosCodeAndCutsTheBuilding) {
  const delphos::XmlDocument doc = Export({Section(
      "AULAS", {Rec({"D1", "A101", "Aula 101", "Norte"}), Rec({"D2", "   ", "Laboratorio", "S"}),
                Rec({"D3", "", "Gimnasio"}), Rec({"D4"})})});
  const fs::path file = dir_ / "AULAT.DBF";
  EXPECT_EQ(ExportarAulas(doc, file, report_), 3);
  const TableContents t = ReadTable(file);
  EXPECT_THAT(t.Column("ABREV"), ElementsAre("A101", "D2", "D3"));
  EXPECT_THAT(t.Column("NOMBRE"), ElementsAre("Aula 101", "Laboratorio", "Gimnasio"));
  EXPECT_THAT(t.Column("EDIFICIO"), ElementsAre("N", "S", ""));
  EXPECT_THAT(t.Column("DEPCENTRO"), ElementsAre("D1", "D2", "D3"));
  EXPECT_THAT(t.Column("MAXALUM"), ElementsAre("", "", ""));
}

TEST_F(CatalogosTest, GruposDefaultsTheLevelAndJoinsTheDescription) {
  // Two GRUPOS sections read as one, in document order.
  const delphos::XmlDocument doc = Export(
      {Section("GRUPOS",
               {Rec({"U1", "1A", "M", "ESO", "1", "A"}), Rec({"U2", "2B", "T", " ", "", "B"})}),
       Section("AULAS", {}),
       Section("GRUPOS", {Rec({"U3", "BACH", "", "BAC", "", ""}), Rec({"U4", "X"}), Rec({"U5"})})});
  const fs::path file = dir_ / "GRUPOST.DBF";
  EXPECT_EQ(ExportarGrupos(doc, file, report_), 4);
  const TableContents t = ReadTable(file);
  EXPECT_THAT(t.Column("ABREV"), ElementsAre("1A", "2B", "BACH", "X"));
  EXPECT_THAT(t.Column("TURNO"), ElementsAre("M", "T", "", ""));
  EXPECT_THAT(t.Column("NIVEL"), ElementsAre("ESO", "NIV", "BAC", "NIV"));
  EXPECT_THAT(t.Column("CURSO"), ElementsAre("1", "", "", ""));
  EXPECT_THAT(t.Column("GRUPO"), ElementsAre("A", "B", "", ""));
  EXPECT_THAT(t.Column("UNIDAD"), ElementsAre("U1", "U2", "U3", "U4"));
  // Stored text loses its trailing blanks; the inner ones stay.
  EXPECT_THAT(t.Column("DESCRIP"), ElementsAre("M ESO 1 A", "T NIV  B", " BAC", " NIV"));
  EXPECT_THAT(t.Column("MARCO"), ElementsAre("0", "0", "0", "0"));
}

TEST_F(CatalogosTest, LongTextIsCutToTheFieldWidth) {
  const delphos::XmlDocument doc = Export({Section(
      "MATERIAS", {Rec({"MATERIA-DE-DOCE+", "CODIGO-LARGO", "X", std::string(90, 'n')})})});
  const fs::path file = dir_ / "ASIGNOMT.DBF";
  ExportarMaterias(doc, file, report_);
  const TableContents t = ReadTable(file);
  EXPECT_THAT(t.Column("COD"), ElementsAre("CODIGO-LAR"));
  EXPECT_THAT(t.Column("MATERIA"), ElementsAre("MATERIA-DE-D"));
  EXPECT_THAT(t.Column("NOMBRE"), ElementsAre(std::string(80, 'n')));
}

}  // namespace
}  // namespace pasahorario
