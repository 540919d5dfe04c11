// The import with EQUIVALENCIAS.TXT in the exchange directory: a
// correspondence stands in only where a lookup finds nothing, and the
// report says what each line did; values without a match get proposals.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/error.h"
#include "import/equivalencias.h"
#include "import/import_test_support.h"
#include "import/importar.h"

namespace pasahorario::import_testing {
namespace {
using testing::AllOf;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::StartsWith;

Row TeacherNamed(const std::string& abrev, const std::string& x_empleado,
                 const std::string& nombre) {
  Row row = Teacher(abrev, x_empleado);
  row["NOMBRE"] = nombre;
  return row;
}

// The tables of a small school: what the solution's own codes match.
WorkTables School() {
  return {
      .asignomt = {{{"COD", "MAT"}, {"MATERIA", "G100"}}, {{"COD", "GUAR"}, {"MATERIA", "G439"}}},
      .proft = {TeacherNamed("JPER", "100", "Juan Pérez Ruiz"),
                TeacherNamed("ALOP", "200", "Ana López Gil")},
      .aulat = {{{"ABREV", "AU07"}, {"DEPCENTRO", "D7"}}, {{"ABREV", "AU01"}, {"DEPCENTRO", "D1"}}},
      .grupost = {{{"ABREV", "1A"}, {"UNIDAD", "U1A"}}, {{"ABREV", "2B"}, {"UNIDAD", "U2B"}}},
      .asigt = {{{"CASIG", "MAT"}, {"CGRUP", "1A"}, {"MATERIA", "M-MAT"}}},
      .diashorast = {{{"DIHO", "18"}, {"CODDIHO", "C18"}, {"DIA", "1"}},
                     {{"DIHO", "28"}, {"CODDIHO", "C28"}, {"DIA", "2"}}},
  };
}

class ImportarEquivalenciasTest : public ImportTest {
 protected:
  void WriteFile(const std::string& text) { WriteBytes(xtemp_ / "EQUIVALENCIAS.TXT", text); }

  static std::vector<std::string> Texts(const Report& report, FindingKind kind) {
    std::vector<std::string> texts;
    for (const Finding& f : report.findings()) {
      if (f.kind == kind) texts.push_back(f.text);
    }
    return texts;
  }
};

TEST_F(ImportarEquivalenciasTest, ResultIsWhatTheTablesOwnCodesWouldGive) {
  // The solution as it would be had it used the tables' codes...
  WorkTables own = School();
  own.soluc = {Soluc({"JPER", "1", "8", "MAT", "AU07", "1A", "MAT"}),
               Soluc({"ALOP", "2", "8", "MAT", "AU07", "1A", "MAT"}),
               Soluc({"JPER", "2", "8", "MAT", "AU01", "2B", "MAT"})};
  WriteWorkTables(xtemp_, own);
  const ImportSummary expected_summary = Run();
  EXPECT_THAT(expected_summary.report.findings(), IsEmpty());
  const std::string expected = FileBytes(result_);

  // ...and as the timetable program spelled them, with the file.
  WorkTables spelled = School();
  spelled.soluc = {Soluc({"JPER", "1", "8", "MAT", "LAB2", "1ESO A", "MAT"}),
                   Soluc({"ALOP", "2", "8", "MAT", "LAB2", "1ESO A", "MAT"}),
                   Soluc({"JPÉR", "2", "8", "MAT", "AU01", "2B", "MAT"})};
  WriteWorkTables(xtemp_, spelled);
  const std::string file =
      "\xEF\xBB\xBF# ejemplo\r\nAULA LAB2 = AU07\r\nGRUPO \"1ESO A\" = 1A\r\n"
      "PROFESOR JPÉR = JPER\r\n";
  WriteFile(file);
  const ImportSummary summary = Run();
  EXPECT_EQ(FileBytes(result_), expected);
  EXPECT_THAT(summary.unmatched, IsEmpty());
  EXPECT_THAT(summary.proposals, IsEmpty());
  EXPECT_THAT(Texts(summary.report, FindingKind::kEquivApplied),
              ElementsAre("Se ha aplicado la línea 2 (AULA LAB2 = AU07) en 2 actividades.",
                          "Se ha aplicado la línea 3 (GRUPO \"1ESO A\" = 1A) en 2 actividades.",
                          "Se ha aplicado la línea 4 (PROFESOR JPÉR = JPER) en 1 actividad."));
  EXPECT_EQ(summary.report.findings().size(), 3u);
  EXPECT_EQ(summary.report.findings()[0].where, "EQUIVALENCIAS.TXT");
  EXPECT_EQ(FileBytes(xtemp_ / "EQUIVALENCIAS.TXT"), file) << "the import never writes it";
}

TEST_F(ImportarEquivalenciasTest, AnUnknownTeachersRowsFollowTheTeachersOwnInSolucOrder) {
  WorkTables t = School();
  t.proft.push_back(TeacherNamed("JPER", "300", "Juan Pérez Ruiz (segundo puesto)"));
  t.soluc = {Soluc({"JP", "1", "8", "j1"}),     Soluc({"JPER", "1", "8", "own1"}),
             Soluc({"JP", "0", "8", "nada"}),   Soluc({"JP", "2", "8", "j2"}),
             Soluc({"JPER", "2", "8", "own2"}), Soluc({"X", "1", "8", "x"}),
             Soluc({"ALOP", "1", "8", "a1"})};
  WriteWorkTables(xtemp_, t);
  WriteFile("PROFESOR JP = JPER\nPROFESOR X = -\n");
  const ImportSummary summary = Run();
  EXPECT_THAT(Records(delphos::XmlDocument::Load(result_)),
              ElementsAre("EMPLEADO_1 100|01/09/2020", "  ACTIVIDAD_1 own1|1|C18|||",
                          "  ACTIVIDAD_2 own2|2|C28|||", "  ACTIVIDAD_3 j1|1|C18|||",
                          "  ACTIVIDAD_4 j2|2|C28|||",  //
                          "EMPLEADO_2 200|01/09/2020", "  ACTIVIDAD_1 a1|1|C18|||",
                          "EMPLEADO_3 300|01/09/2020", "  ACTIVIDAD_1 own1|1|C18|||",
                          "  ACTIVIDAD_2 own2|2|C28|||", "  ACTIVIDAD_3 j1|1|C18|||",
                          "  ACTIVIDAD_4 j2|2|C28|||"));
  EXPECT_EQ(summary.activities, 9);
  // "X = -": its rows stay out without a warning.
  EXPECT_THAT(Texts(summary.report, FindingKind::kUnknownTeacher), IsEmpty());
  EXPECT_THAT(Texts(summary.report, FindingKind::kEquivApplied),
              ElementsAre("Se ha aplicado la línea 1 (PROFESOR JP = JPER) en 4 actividades."));
}

TEST_F(ImportarEquivalenciasTest, EachKindAppliesOnlyWhereTheLiteralLookupFindsNothing) {
  WorkTables t = School();
  t.soluc = {
      // TAREA, ASIG, AULA, GRUPO and TRAMO through the file.
      Soluc({"JPER", "1", "9", "mates", "LAB2", "1ESO A", "MATE", "", ""}),
      // The literal values win over lines for them.
      Soluc({"JPER", "1", "8", "MAT", "AU07", "1A", "MAT"}),
      // "-": as without a match, and no warning.
      Soluc({"JPER", "2", "8", "GUARDIA", "PATIO", "TODOS", "NADA"}),
  };
  WriteWorkTables(xtemp_, t);
  WriteFile(
      "TAREA mates = MAT\nASIGNATURA MATE = MAT\nAULA LAB2 = AU07\nGRUPO \"1ESO A\" = 1A\n"
      "TRAMO 1 9 = 1 8\nAULA AU07 = AU01\nGRUPO 1A = 2B\n"
      "TAREA GUARDIA = -\nAULA PATIO = -\nGRUPO TODOS = -\nASIGNATURA NADA = -\n");
  const ImportSummary summary = Run();
  EXPECT_THAT(Records(delphos::XmlDocument::Load(result_)),
              ElementsAre("EMPLEADO_1 100|01/09/2020", "  ACTIVIDAD_1 G100|1|C18|D7|U1A|M-MAT",
                          "  ACTIVIDAD_2 G100|1|C18|D7|U1A|M-MAT", "  ACTIVIDAD_3 GUARDIA|2|C28|||",
                          "EMPLEADO_2 200|01/09/2020"));
  EXPECT_THAT(summary.unmatched, IsEmpty());
  EXPECT_EQ(Texts(summary.report, FindingKind::kEquivApplied).size(), 5u);
  EXPECT_THAT(Texts(summary.report, FindingKind::kEquivUnused),
              ElementsAre(StartsWith("No se ha usado la línea 6 (AULA AU07 = AU01): ningún valor "
                                     "de SOLUC sin correspondencia en las tablas la necesita."),
                          StartsWith("No se ha usado la línea 7 (GRUPO 1A = 2B)")));
  EXPECT_EQ(summary.report.findings().size(), 7u) << "the lines with '-' say nothing";
}

TEST_F(ImportarEquivalenciasTest, ALineToAValueTheTablesLackIsAFindingAndTheValueStaysEmpty) {
  WorkTables t = School();
  t.soluc = {Soluc({"JPER", "1", "8", "MAT", "LAB2", "1A", "MAT"}),
             Soluc({"JPER", "1", "9", "MAT", "AU07", "1A", "MAT"}),
             Soluc({"NUEVO", "1", "8", "MAT"})};
  WriteWorkTables(xtemp_, t);
  WriteFile("# x\n\nAULA X = Y\nAULA LAB2 = AU09\nTRAMO 1 9 = 7 7\nPROFESOR NUEVO = NADIE\n");
  const ImportSummary summary = Run();
  EXPECT_THAT(Records(delphos::XmlDocument::Load(result_)),
              ElementsAre("EMPLEADO_1 100|01/09/2020", "  ACTIVIDAD_1 G100|1|C18||U1A|M-MAT",
                          "  ACTIVIDAD_2 G100|||D7|U1A|M-MAT", "EMPLEADO_2 200|01/09/2020"));
  EXPECT_THAT(summary.unmatched, IsEmpty()) << "each is told once, by its line";
  EXPECT_THAT(Texts(summary.report, FindingKind::kUnknownTeacher), IsEmpty());
  EXPECT_THAT(
      Texts(summary.report, FindingKind::kEquivBroken),
      ElementsAre("La equivalencia de la línea 4 apunta a 'AU09', que no está en AULAT: 1 "
                  "actividad queda sin dependencia. Corrija la línea con el código que tiene la "
                  "tabla y vuelva a importar.",
                  StartsWith("La equivalencia de la línea 5 apunta al día '7', hora 7, que no "
                             "está en DIASHORAST: 1 actividad queda sin día ni tramo."),
                  StartsWith("La equivalencia de la línea 6 apunta a 'NADIE', que no está en "
                             "PROFT: su fila con actividad no pasa al resultado.")));
  EXPECT_THAT(Texts(summary.report, FindingKind::kEquivUnused),
              ElementsAre(StartsWith("No se ha usado la línea 3 (AULA X = Y)")));
}

TEST_F(ImportarEquivalenciasTest, ALineThatCannotBeReadStopsTheImportBeforeAnythingIsWritten) {
  WorkTables t = School();
  t.soluc = {Soluc({"JPER", "1", "8", "MAT", "LAB2"})};
  WriteWorkTables(xtemp_, t);
  for (const char* file : {"AULA LAB2 = AU07\nSALA X = Y\n", "AULA LAB2 AU07\n",
                           "AULA LAB2 = AU07\nAULA LAB2 = AU01\n"}) {
    SCOPED_TRACE(file);
    WriteFile(file);
    const auto before = testing_support::Snapshot(xtemp_);
    EXPECT_THROW(
        {
          try {
            Run();
          } catch (const Error& e) {
            EXPECT_THAT(e.what(),
                        StartsWith("En " + (xtemp_ / "EQUIVALENCIAS.TXT").string() + ", línea "));
            throw;
          }
        },
        Error);
    EXPECT_FALSE(fs::exists(result_));
    EXPECT_EQ(testing_support::Snapshot(xtemp_), before);
  }
  // The tables were released: the next run with a sound file works.
  WriteFile("AULA LAB2 = AU07\n");
  EXPECT_THAT(RunRecords(),
              ElementsAre("EMPLEADO_1 100|01/09/2020", "  ACTIVIDAD_1 G100|1|C18|D7||",
                          "EMPLEADO_2 200|01/09/2020"));
}

TEST_F(ImportarEquivalenciasTest, ValuesWithoutAMatchGetAProposalThatIsNeverApplied) {
  WorkTables t = School();
  t.soluc = {Soluc({"JPER", "1", "8", "mat", "lab 1", "1a", "MAT"}),
             Soluc({"JPER", "1", "8", "MAT", "AU7", "1ESO A", "MATS"}),
             Soluc({"JPR", "1", "8", "MAT"}), Soluc({"ZZZZ", "1", "8", "MAT"}),
             Soluc({"JPER", "1", "8", "MAT", "QQQQ"})};
  t.aulat.push_back({{"ABREV", "LAB1"}, {"DEPCENTRO", "DL"}});
  WriteWorkTables(xtemp_, t);
  const ImportSummary summary = Run();
  EXPECT_THAT(Records(delphos::XmlDocument::Load(result_)),
              ElementsAre("EMPLEADO_1 100|01/09/2020", "  ACTIVIDAD_1 mat|1|C18|||M-MAT",
                          "  ACTIVIDAD_2 G100|1|C18|||", "  ACTIVIDAD_3 G100|1|C18|||",
                          "EMPLEADO_2 200|01/09/2020"));
  using P = ImportSummary::Proposed;
  EXPECT_THAT(
      summary.proposals,
      ElementsAre(
          P{"PROFESOR JPR = JPER",
            "'JPR' se forma con el principio de las palabras del nombre de 'JPER' en "
            "PROFT (Juan Pérez Ruiz)"},
          P{"TAREA mat = MAT", "'mat' y 'MAT' solo difieren en mayúsculas"},
          P{"AULA AU7 = AU07", "'AU7' y 'AU07' se diferencian en un solo carácter"},
          P{"AULA \"lab 1\" = LAB1", "'lab 1' y 'LAB1' solo difieren en mayúsculas y espacios"},
          P{"GRUPO 1a = 1A", "'1a' y '1A' solo difieren en mayúsculas"},
          P{"ASIGNATURA MATS = MAT", "'MATS' y 'MAT' se diferencian en un solo carácter"}));
  EXPECT_THAT(Texts(summary.report, FindingKind::kProposal),
              ElementsAre(AllOf(StartsWith("Propuesta: 'JPR' se forma con"),
                                HasSubstr("añada a EQUIVALENCIAS.TXT la línea \"PROFESOR JPR = "
                                          "JPER\" y vuelva a importar; no se aplica sola.")),
                          StartsWith("Propuesta: 'mat' y 'MAT'"), StartsWith("Propuesta: 'AU7'"),
                          StartsWith("Propuesta: 'lab 1'"), StartsWith("Propuesta: '1a'"),
                          StartsWith("Propuesta: 'MATS'")));
  // A value the file covers gets no proposal.
  WriteFile("AULA AU7 = -\nTAREA mat = MAT\n");
  EXPECT_EQ(Run().proposals.size(), 4u);
}

}  // namespace
}  // namespace pasahorario::import_testing
