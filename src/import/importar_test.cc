#include "import/importar.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "base/error.h"
#include "import/import_test_support.h"

namespace pasahorario {
void PrintTo(const ImportSummary::Unmatched& u, std::ostream* out) {
  *out << "{" << u.kind << ", '" << u.code << "', " << u.activities << "}";
}
}  // namespace pasahorario

namespace pasahorario::import_testing {
namespace {
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;

using Unmatched = ImportSummary::Unmatched;

using ImportarTest = ImportTest;

TEST_F(ImportarTest, TeachersInTableOrderAndActivitiesNumberedWithoutGaps) {
  // Only TAREA differs between the rows: without ASIGNOMT rows it is written
  // as it stands, which shows which solution row gave which record.
  WriteWorkTables(xtemp_, {.proft = {Teacher("P1", "100"), Teacher("P2", "200", ""),
                                     Teacher("P3", "300"), Teacher("P4", "400")},
                           .soluc = {
                               Soluc({"P2", "1", "1", "p2-a"}),
                               Soluc({"P1", "1", "1", "p1-a"}),
                               Soluc({"P1", "0", "", "p1-sin-dia"}),
                               Soluc({"P9", "1", "1", "nadie"}),
                               Soluc({"P1", "2", "3", "p1-b"}),
                               Soluc({"P4", "0", "5", "p4-sin-dia"}),
                               Soluc({"P2", "0", "1", "p2-sin-dia"}),
                               Soluc({"p1", "1", "2", "otra-letra"}),
                               Soluc({"P2", "3", "4", "p2-b"}),
                           }});
  const ImportSummary summary = Run();
  EXPECT_THAT(Records(delphos::XmlDocument::Load(result_)),
              ElementsAre("EMPLEADO_1 100|01/09/2020",  //
                          "  ACTIVIDAD_1 p1-a|||||", "  ACTIVIDAD_2 p1-b|||||",
                          "EMPLEADO_2 200|",  //
                          "  ACTIVIDAD_1 p2-a|||||", "  ACTIVIDAD_2 p2-b|||||",
                          "EMPLEADO_3 300|01/09/2020",  //
                          "EMPLEADO_4 400|01/09/2020"));
  EXPECT_EQ(summary.teachers, 4);
  EXPECT_EQ(summary.activities, 4);
  EXPECT_EQ(summary.result_path, result_);
}

TEST_F(ImportarTest, QuoteInAbbreviationAndTwoTeachersWithOneAbbreviation) {
  WriteWorkTables(xtemp_, {.proft = {Teacher("O'Neil", "1"), Teacher("P1", "2"), Teacher("P1", "3"),
                                     Teacher("O''Neil", "4")},
                           .soluc = {
                               Soluc({"P1", "1", "1", "a"}),
                               Soluc({"O'Neil", "1", "2", "b"}),
                               Soluc({"P1", "1", "3", "c"}),
                           }});
  const ImportSummary summary = Run();
  EXPECT_THAT(Records(delphos::XmlDocument::Load(result_)),
              ElementsAre("EMPLEADO_1 1|01/09/2020", "  ACTIVIDAD_1 b|||||",  //
                          "EMPLEADO_2 2|01/09/2020", "  ACTIVIDAD_1 a|||||",
                          "  ACTIVIDAD_2 c|||||",  //
                          "EMPLEADO_3 3|01/09/2020", "  ACTIVIDAD_1 a|||||",
                          "  ACTIVIDAD_2 c|||||",  //
                          "EMPLEADO_4 4|01/09/2020"));
  EXPECT_EQ(summary.activities, 5);
}

TEST_F(ImportarTest, EmptyTeacherOrSolutionTableStillGivesAResult) {
  struct Case {
    const char* name;
    WorkTables tables;
    std::vector<std::string> records;
  };
  const Case cases[] = {
      {"PROFT vacía", {.soluc = {Soluc({"P1", "1", "1", "a"})}}, {}},
      {"SOLUC vacía",
       {.proft = {Teacher("P1", "1"), Teacher("P2", "2")}},
       {"EMPLEADO_1 1|01/09/2020", "EMPLEADO_2 2|01/09/2020"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteWorkTables(xtemp_, c.tables);
    const ImportSummary summary = Run();
    EXPECT_EQ(Records(delphos::XmlDocument::Load(result_)), c.records);
    EXPECT_EQ(summary.activities, 0);
    EXPECT_THAT(summary.unmatched, IsEmpty());
  }
  // With no teacher the new SALIDAS holds only the error block.
  EXPECT_THAT(FileBytes(result_),
              HasSubstr("<SALIDAS><ERROR><salida dato=\"CN_ERROR\">0</salida>"
                        "<salida dato=\"TE_ERROR\">Servicio finalizado Correctamente</salida>"
                        "</ERROR><listasal seq=\"EMPLEADO_1\">"));
}

// One teacher, one solution row per case, against work tables that hold
// duplicates, near misses and blank subjects.
TEST_F(ImportarTest, EachValueTakesTheFirstMatchOrItsFallback) {
  WorkTables t;
  t.proft = {Teacher("P", "1")};
  t.asignomt = {
      {{"COD", "T1"}, {"MATERIA", "G100"}},   {{"COD", "T1"}, {"MATERIA", "G999"}},
      {{"COD", "TB"}, {"MATERIA", ""}},       {{"COD", "MAT"}, {"MATERIA", "M-NOM"}},
      {{"COD", "S3"}, {"MATERIA", "S3-NOM"}}, {{"COD", "S4"}, {"MATERIA", "S4-NOM"}},
      {{"COD", "S7"}, {"MATERIA", "S7-NOM"}},
  };
  t.diashorast = {
      {{"DIHO", "103"}, {"CODDIHO", "C103"}, {"DIA", "1"}},
      {{"DIHO", "13"}, {"CODDIHO", "C13"}, {"DIA", "1"}},
      {{"DIHO", "13"}, {"CODDIHO", "C13-bis"}, {"DIA", "9"}},
      {{"DIHO", "210"}, {"CODDIHO", "C210"}, {"DIA", "2"}},
  };
  t.aulat = {{{"ABREV", "A1"}, {"DEPCENTRO", "D1"}},
             {{"ABREV", "A1"}, {"DEPCENTRO", "D1-bis"}},
             {{"ABREV", "a2"}, {"DEPCENTRO", "d2"}}};
  t.grupost = {{{"ABREV", "G1"}, {"UNIDAD", "U1"}}, {{"ABREV", "G1"}, {"UNIDAD", "U1-bis"}}};
  const auto asig = [](const char* casig, const char* cgrup, const char* nivel, const char* curso,
                       const char* materia) {
    return Row{{"CASIG", casig},
               {"CGRUP", cgrup},
               {"NIVEL", nivel},
               {"CURSO", curso},
               {"MATERIA", materia}};
  };
  t.asigt = {
      asig("S1", "G1", "ESO", "1", "M-S1"), asig("S1", "G1", "ESO", "1", "M-S1-bis"),
      asig("S2", "G1", "ESO", "1", ""),     asig("S2", "G9", "ESO", "1", ""),
      asig("S2", "G8", "ESO", "1", "M-S2"), asig("S2", "G7", "ESO", "1", "M-S2-tarde"),
      asig("S3", "G1", "ESO", "2", ""),     asig("S5", "G1", "BACH", "1", ""),
      asig("S6", "G5", "ESO", "1", "M-S6"), asig("S7", "G2", "ESO", "3", "M-S7"),
  };
  struct Case {
    const char* what;
    Sol row;
    const char* values;
  };
  const Case cases[] = {
      {"first rows win everywhere",
       {"P", "1", "3", "T1", "A1", "G1", "S1", "ESO", "1"},
       "G100|1|C13|D1|U1|M-S1"},
      {"task with blank subject; key 210; pass 1 blank, pass 2 blank then filled",
       {"P", "2", "10", "TB", "a2", "G1", "S2", "ESO", "1"},
       "G439|2|C210|d2|U1|M-S2"},
      {"blank task without match; room and group compared with letter case",
       {"P", "1", "3", "", "a1", "g1", "S1", "ESO", "1"},
       "G439|1|C13|||M-S1"},
      {"task kept as written; key 14 has no slot",
       {"P", "1", "4", "TX", "A1", "G1", "S1"},
       "TX|||D1|U1|M-S1"},
      {"task with a leading blank is not trimmed", {"P", "1", "3", " T1"}, " T1|1|C13|||"},
      {"day 10 hour 3 is key 103", {"P", "10", "3", "MAT", "", "", "MAT"}, "M-NOM|1|C103|||M-NOM"},
      {"pass 1 and 2 blank, pass 3",
       {"P", "1", "3", "", "", "G1", "S3", "ESO", "2"},
       "G439|1|C13||U1|S3-NOM"},
      {"every pass blank or missing",
       {"P", "1", "3", "", "", "G1", "S5", "BACH", "1"},
       "G439|1|C13||U1|"},
      {"pass 1 misses, pass 2 matches",
       {"P", "1", "3", "", "", "", "S6", "ESO", "1"},
       "G439|1|C13|||M-S6"},
      {"only the subject catalogue", {"P", "1", "3", "", "", "", "S4"}, "G439|1|C13|||S4-NOM"},
      {"pass 1 filled wins over the catalogue",
       {"P", "1", "3", "", "", "G2", "S7", "X", "X"},
       "G439|1|C13|||M-S7"},
  };
  for (const Case& c : cases) t.soluc.push_back(Soluc(c.row));
  WriteWorkTables(xtemp_, t);
  const std::vector<std::string> records = RunRecords();
  ASSERT_EQ(records.size(), std::size(cases) + 1);
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].what);
    EXPECT_EQ(records[i + 1], "  ACTIVIDAD_" + std::to_string(i + 1) + " " + cases[i].values);
  }
}

TEST_F(ImportarTest, SummaryCountsEveryUnmatchedValueOncePerActivityRecord) {
  WriteWorkTables(xtemp_, {.asignomt = {{{"COD", "T1"}, {"MATERIA", "G100"}},
                                        {{"COD", "TB"}, {"MATERIA", " "}}},
                           // Two teacher records share P: each of P's activities counts twice.
                           .proft = {Teacher("P", "1"), Teacher("Q", "2"), Teacher("P", "3")},
                           .aulat = {{{"ABREV", "A1"}, {"DEPCENTRO", "D1"}}},
                           .grupost = {{{"ABREV", "G1"}, {"UNIDAD", "U1"}}},
                           .asigt = {{{"CASIG", "S1"}, {"CGRUP", "G1"}, {"MATERIA", "M1"}}},
                           .diashorast = {{{"DIHO", "13"}, {"CODDIHO", "C13"}, {"DIA", "1"}}},
                           .soluc = {
                               Soluc({"P", "1", "3", "TX", "A9", "G1", "S1"}),
                               Soluc({"Q", "1", "3", "TX", "A1", "", "S9"}),
                               Soluc({"Q", "2", "7", "TB", "A1", "G1", "S1"}),
                               Soluc({"Q", "1", "3", "", "", "G1", "S1"}),
                               Soluc({"Q", "0", "3", "TZ", "AZ", "GZ", "SZ"}),
                               Soluc({"R", "1", "3", "TR", "AR", "GR", "SR"}),
                           }});
  const ImportSummary summary = Run();
  EXPECT_EQ(summary.teachers, 3);
  EXPECT_EQ(summary.activities, 5);
  EXPECT_THAT(summary.unmatched,
              ElementsAre(Unmatched{kTareaSinMateria, "TX", 3},
                          Unmatched{kTramoSinFila, "27", 1, "día 2, hora 7"},
                          Unmatched{kAulaSinFila, "A9", 2},  // a blank room or group is no mismatch
                          Unmatched{kAsigSinMateria, "S9", 1}));
}

// A result for an ISO-8859-1 document, byte for byte: the structure of the
// records, text from the tables' code page, a character the declared
// encoding cannot hold, markup escaped, empty value elements.
TEST_F(ImportarTest, ResultIsTheChosenDocumentWithTheNewSalidasInItsEncoding) {
  WriteWorkTables(xtemp_, {.asignomt = {{{"COD", "T1"}, {"MATERIA", "G<1>&"}}},
                           .proft = {Teacher("N\xc3\xba\xc3\xb1"
                                             "ez",
                                             "E\xe2\x82\xac"
                                             "1")},
                           .diashorast = {{{"DIHO", "13"},
                                           {"CODDIHO",
                                            "Ma\xc3\xb1"
                                            "ana"},
                                           {"DIA", "1"}}},
                           .soluc = {Soluc({"N\xc3\xba\xc3\xb1"
                                            "ez",
                                            "1", "3", "T1"})}});
  WriteBytes(result_, "un resultado anterior");
  Run();
  EXPECT_EQ(FileBytes(result_),
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
            "<SERVICIO><CABECERA>c</CABECERA><SALIDAS><ERROR>"
            "<salida dato=\"CN_ERROR\">0</salida>"
            "<salida dato=\"TE_ERROR\">Servicio finalizado Correctamente</salida></ERROR>"
            "<listasal seq=\"EMPLEADO_1\">"
            "<salida dato=\"X_EMPLEADO\">E&#8364;1</salida>"
            "<salida dato=\"F_TOMAPOS\">01/09/2020</salida>"
            "<listasal seq=\"ACTIVIDAD_1\">"
            "<salida dato=\"X_ACTIVIDAD\">G&lt;1&gt;&amp;</salida>"
            "<salida dato=\"N_DIASEMANA\">1</salida>"
            "<salida dato=\"X_TRAMO\">Ma\xf1"
            "ana</salida>"
            "<salida dato=\"X_DEPCENTRO\"/>"
            "<salida dato=\"X_UNIDAD\"/>"
            "<salida dato=\"X_MATERIAOMC\"/>"
            "</listasal></listasal></SALIDAS></SERVICIO>\n");
  EXPECT_EQ(FileBytes(chosen_), kChosenXml);
}

TEST_F(ImportarTest, RowsNeverVisitedOrWithoutADayAreNotConverted) {
  // HORA is read only for a row with a day, and DIA only for a teacher's
  // row: neither of these rows stops the import.
  WriteWorkTables(xtemp_,
                  {.proft = {Teacher("P", "1")},
                   .soluc = {Soluc({"P", "0", "x", "a"}), Soluc({"NADIE", "y", "z", "b"}),
                             Soluc({"P", " 1", "+3", "c"})}},
                  {TextField("PROF", 10), TextField("DIA", 3), TextField("HORA", 3),
                   TextField("TAREA", 10), TextField("AULA", 10), TextField("CODGRUPO", 10),
                   TextField("ASIG", 10), TextField("NIVEL", 5), TextField("CURSO", 3)});
  const ImportSummary summary = Run();
  EXPECT_EQ(summary.activities, 1);
  // A text DIA begins the key as written; HORA is written as a number.
  EXPECT_THAT(summary.unmatched,
              testing::Contains(Unmatched{kTramoSinFila, " 13", 1, "día 1, hora 3"}));
}

// Every failure: an error that says what and where, and nothing written.
TEST_F(ImportarTest, FailuresWriteNothingAndReleaseTheTables) {
  struct Case {
    std::string name;
    std::function<void()> setup;
    std::string message;
    std::string xml = kChosenXml;
  };
  const auto text_soluc = [] {
    return std::vector<FieldLayout>{
        TextField("PROF", 10),  TextField("DIA", 3),   TextField("HORA", 3),
        TextField("TAREA", 10), TextField("AULA", 10), TextField("CODGRUPO", 10),
        TextField("ASIG", 10),  TextField("NIVEL", 5), TextField("CURSO", 3)};
  };
  const WorkTables good = {.proft = {Teacher("P", "1")}, .soluc = {Soluc({"P", "1", "1", "a"})}};
  std::unique_ptr<dbf::DbfTable> held;
  const auto hold = [&](const char* name) {
    held = std::make_unique<dbf::DbfTable>(xtemp_, name);
    held->Open(dbf::Access::kExclusive);
  };
  std::vector<Case> cases = {
      // The tables are held meanwhile: the error comes before any is opened.
      {"sin SALIDAS",
       [&] {
         WriteWorkTables(xtemp_, good);
         hold("SOLUC");
       },
       "El documento no tiene elemento SALIDAS bajo la ra\xc3\xadz SERVICIO",
       "<?xml version=\"1.0\"?><SERVICIO><salidas/></SERVICIO>"},
      {"tabla retenida",
       [&] {
         WriteWorkTables(xtemp_, good);
         hold("DIASHORAST");
       },
       "DIASHORAST"},
      {"DIA no entero",
       [&] {
         WriteWorkTables(xtemp_,
                         {.proft = {Teacher("P", "1")},
                          .soluc = {Soluc({"P", "1", "1"}), Soluc({"P", "1x", "1"})}},
                         text_soluc());
       },
       "'1x' is not a valid integer value"},
      {"HORA no entera",
       [&] {
         WriteWorkTables(xtemp_, {.proft = {Teacher("P", "1")}, .soluc = {Soluc({"P", "1", ""})}},
                         text_soluc());
       },
       "'' is not a valid integer value"},
      {"campo ausente",
       [&] {
         WriteWorkTables(xtemp_, good);
         WriteTable(xtemp_, "AULAT", {TextField("ABREV", 10)}, {});
       },
       "DEPCENTRO"},
      {"documento roto", [&] { WriteWorkTables(xtemp_, good); }, "horario.xml",
       "<SERVICIO><SALIDAS>"},
  };
  for (const char* table :
       {"SOLUC", "GRUPOST", "PROFT", "AULAT", "ASIGNOMT", "DIASHORAST", "ASIGT"}) {
    cases.push_back({std::string("falta ") + table,
                     [&, table] {
                       WriteWorkTables(xtemp_, good);
                       fs::remove(dbf::TablePath(xtemp_, table));
                     },
                     table});
  }

  for (const Case& c : cases) {
    for (const bool earlier_result : {false, true}) {
      SCOPED_TRACE(c.name + (earlier_result ? ", con resultado anterior" : ""));
      fs::remove_all(xtemp_);
      fs::create_directories(xtemp_);
      WriteBytes(chosen_, c.xml);
      if (earlier_result)
        WriteBytes(result_, "resultado anterior");
      else
        fs::remove(result_);
      c.setup();
      EXPECT_THAT([&] { Run(); }, testing::ThrowsMessage<Error>(HasSubstr(c.message)));
      held.reset();
      EXPECT_EQ(FileBytes(chosen_), c.xml);
      if (earlier_result)
        EXPECT_EQ(FileBytes(result_), "resultado anterior");
      else
        EXPECT_FALSE(fs::exists(result_));
      EXPECT_EQ(std::distance(fs::directory_iterator(root_ / "datos"), fs::directory_iterator()),
                earlier_result ? 2 : 1)
          << "no temporary file is left beside the chosen one";
      // Whatever the import opened is free again.
      for (const auto& entry : fs::directory_iterator(xtemp_)) {
        dbf::DbfTable table(entry.path());
        EXPECT_NO_THROW(table.Open(dbf::Access::kExclusive)) << entry.path();
      }
    }
  }
}

TEST_F(ImportarTest, IntegerErrorNamesTableFieldAndRow) {
  WriteWorkTables(
      xtemp_,
      {.proft = {Teacher("P", "1")}, .soluc = {Soluc({"P", "1", "1"}), Soluc({"P", "2", "1.5"})}},
      {TextField("PROF", 10),
       {"DIA", 'N', 2, 0},
       TextField("HORA", 4),
       TextField("TAREA", 10),
       TextField("AULA", 10),
       TextField("CODGRUPO", 10),
       TextField("ASIG", 10),
       TextField("NIVEL", 5),
       TextField("CURSO", 3)});
  try {
    Run();
    FAIL() << "no error";
  } catch (const Error& e) {
    const std::string message = e.what();
    EXPECT_THAT(message, HasSubstr("'1.5' is not a valid integer value"));
    EXPECT_THAT(message, HasSubstr("SOLUC"));
    EXPECT_THAT(message, HasSubstr("HORA"));
    EXPECT_THAT(message, HasSubstr("2"));
  }
}

}  // namespace
}  // namespace pasahorario::import_testing
