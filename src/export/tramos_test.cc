#include "export/tramos.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/error.h"
#include "base/report.h"
#include "export/export_test_support.h"

namespace pasahorario {
namespace {
using namespace testing_support;
using ::testing::ElementsAre;

class TramosTest : public ExchangeDirTest {
 protected:
  // Converts `doc` answering the start-time dialog with `start`.
  TableContents Convert(const delphos::XmlDocument& doc, const std::string& start = "08:00") {
    const int rows = ExportarTramos(
        doc, file_,
        [&](const std::string& entry) {
          prompts_.push_back(entry);
          return start;
        },
        report_);
    TableContents t = ReadTable(file_);
    EXPECT_EQ(rows, static_cast<int>(t.rows.size()));
    return t;
  }
  std::string ErrorOf(const delphos::XmlDocument& doc) {
    try {
      ExportarTramos(
          doc, file_, [](const std::string&) { return std::string("08:00"); }, report_);
    } catch (const Error& e) {
      return e.what();
    }
    return "(sin error)";
  }
  void SetUp() override {
    ExchangeDirTest::SetUp();
    file_ = dir_ / "DIASHORAST.DBF";
  }
  fs::path file_;
  std::vector<std::string> prompts_;
  Report report_;
};

TEST_F(TramosTest, StartsComeFromMondayAndEndsFromTheRecordsOwnLength) {
  const TableContents t = Convert(Export({Section(
      "TRAMOS", {Slot("L1", "55", "4701"), Slot("L2", "55", "4702"), Slot("L3", "30", "4703"),
                 Slot("L4", "55", "4704"),
                 Tramo({{"CODIGO_DELPHOS", "4711"},
                        {"NOMBRE", "M3"},
                        {"MINUTOS", "30"},
                        {"DIA", "M3"},
                        {"INICIO", "12:00"},
                        {"FIN", "13:00"}}),
                 Tramo({{"NOMBRE", "X3"}, {"MINUTOS", "45"}, {"CODIGO_DELPHOS", "4712"}})})}));
  EXPECT_THAT(Layout(t.fields),
              ElementsAre("DIHO C 10 0", "CODDIHO C 10 0", "DIA C 20 0", "TEXTODIA C 20 0",
                          "HORA C 8 0", "TEXTOHOR C 15 0", "HORADESDE C 8 0", "HORAHASTA C 8 0",
                          "MINUTOS C 8 0", "MARCO C 1 0", "MARCOXML C 10 0"));
  EXPECT_THAT(t.Column("TEXTOHOR"), ElementsAre("1-08:00-08:55", "2-08:55-09:50", "3-09:50-10:20",
                                                "4-10:20-11:15", "3-09:50-10:20", "3-09:50-10:35"));
  const std::map<std::string, std::string> tuesday = {
      {"DIHO", "23"},         {"CODDIHO", "4711"},    {"DIA", "2"},
      {"TEXTODIA", ""},       {"HORA", "3"},          {"TEXTOHOR", "3-09:50-10:20"},
      {"HORADESDE", "09:50"}, {"HORAHASTA", "10:20"}, {"MINUTOS", "30"},
      {"MARCO", "0"},         {"MARCOXML", ""}};
  EXPECT_EQ(t.rows[4], tuesday);
  EXPECT_EQ(t.rows[5].at("DIHO"), "33");
  EXPECT_EQ(t.rows[5].at("CODDIHO"), "4712");
  EXPECT_THAT(prompts_, ElementsAre("08:00"));
}

TEST_F(TramosTest, DayLettersAndSlotCharactersAsTheyStand) {
  const TableContents t = Convert(Export({Section(
      "TRAMOS", {Slot("L01", "60"), Slot("L2", "60"), Slot("J01", "60"), Slot("D02x", "60"),
                 Slot("l1", "60"), Slot("S2", "60"), Slot("V1", "60")})}));
  EXPECT_THAT(t.Column("DIHO"), ElementsAre("101", "12", "401", "702", "l1", "62", "51"));
  EXPECT_THAT(t.Column("DIA"), ElementsAre("1", "1", "4", "7", "l", "6", "5"));
  EXPECT_THAT(t.Column("HORA"), ElementsAre("01", "2", "01", "02", "1", "2", "1"));
  EXPECT_THAT(t.Column("HORADESDE"),
              ElementsAre("08:00", "09:00", "08:00", "09:00", "08:00", "09:00", "08:00"));
}

TEST_F(TramosTest, TheLaterOfNombreAndDiaIsTheSlotCode) {
  const TableContents t = Convert(Export(
      {Section("TRAMOS", {Slot("L1", "60"), Slot("L2", "60"),
                          Tramo({{"NOMBRE", "M1"}, {"DIA", "M2"}, {"MINUTOS", "60"}}),
                          Tramo({{"DIA", "M2"}, {"MINUTOS", "60"}, {"NOMBRE", "M1"}}),
                          // Value elements without a name play no part.
                          "<listasal><salida>M2</salida><salida dato=\"NOMBRE\">M1</salida>"
                          "<salida>99</salida><salida dato=\"MINUTOS\">60</salida></listasal>"})}));
  EXPECT_THAT(t.Column("DIHO"), ElementsAre("11", "12", "22", "21", "21"));
}

TEST_F(TramosTest, StartTimesAreTextsOfMinuteCounts) {
  struct Case {
    std::string start;
    std::vector<std::string> lengths;  // of L1, L2, ...
    std::vector<std::string> textohor;
  };
  const Case cases[] = {
      // The entered text is kept as it stands; later starts have two digits.
      {" 8:00", {"45", "45"}, {"1- 8:00-08:45", "2-08:45-09:30"}},
      // Hours are not brought back into a day.
      {"23:00", {"90", "45"}, {"1-23:00-24:30", "2-24:30-25:15"}},
      {"00:00", {"0", "10"}, {"1-00:00-00:00", "2-00:00-00:10"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start);
    std::string xml = "<SERVICIO><SALIDAS><listasal seq=\"TRAMOS\">";
    for (size_t i = 0; i < c.lengths.size(); ++i)
      xml += Slot("L" + std::to_string(i + 1), c.lengths[i]);
    const TableContents t =
        Convert(delphos::XmlDocument::Parse(xml + "</listasal></SALIDAS></SERVICIO>"), c.start);
    EXPECT_EQ(t.Column("TEXTOHOR"), c.textohor);
  }
}

TEST_F(TramosTest, SlotNumbersHaveNoUpperLimit) {
  std::string xml = "<SERVICIO><SALIDAS><listasal seq=\"TRAMOS\">";
  for (int k = 1; k <= 25; ++k) xml += Slot("L" + std::to_string(k), "10");
  xml += Slot("V25", "30");
  const TableContents t =
      Convert(delphos::XmlDocument::Parse(xml + "</listasal></SALIDAS></SERVICIO>"));
  ASSERT_EQ(t.rows.size(), 26u);
  EXPECT_EQ(t.rows[24].at("TEXTOHOR"), "25-12:00-12:10");
  EXPECT_EQ(t.rows[25].at("TEXTOHOR"), "25-12:00-12:30");
  EXPECT_EQ(t.rows[25].at("DIHO"), "525");
}

TEST_F(TramosTest, ASlotWithoutAStartNamesTheRecord) {
  struct Case {
    std::string name;
    std::vector<std::string> records;
    std::string error;
  };
  const std::string not_integer = ":\n'' is not a valid integer value";
  const Case cases[] = {
      {"slot 0",
       {Slot("L1", "55"), Slot("M1", "55"), Slot("M0", "55")},
       "Sección TRAMOS, registro 3, tramo M0, número del tramo" + not_integer},
      {"no Monday slot",
       {Slot("L1", "55"), Slot("X2", "55")},
       "Sección TRAMOS, registro 2, tramo X2, número del tramo" + not_integer},
      // A Monday start adds the length of the slot before: that record is named.
      {"Monday slot without a length",
       {Slot("L1", "55"), Slot("L2", ""), Slot("L3", "55")},
       "Sección TRAMOS, registro 2, tramo L2, campo MINUTOS" + not_integer},
      {"bad length in Monday's first record",
       {Slot("L1", "5x"), Slot("L2", "55"), Slot("L3", "55")},
       "Sección TRAMOS, registro 1, tramo L1, campo MINUTOS:\n'5x' is not a valid integer value"},
      {"bad length of a Monday slot listed after the next one",
       {Slot("L1", "55"), Slot("L3", "55"), Slot("L2", "x")},
       "Sección TRAMOS, registro 3, tramo L2, campo MINUTOS:\n'x' is not a valid integer value"},
      {"Monday gap",
       {Slot("L1", "55"), Slot("L3", "55")},
       "Sección TRAMOS, registro 2, tramo L3, campo MINUTOS" + not_integer},
      {"slot code not a number",
       {Slot("L1", "55"), Slot("Lx", "55")},
       "Sección TRAMOS, registro 2, tramo Lx, número del tramo:\n'x' is not a valid integer value"},
      {"no slot code",
       {Slot("L1", "55"), Tramo({{"CODIGO_DELPHOS", "1"}, {"OTRO", "L1"}, {"MINUTOS", "55"}})},
       "Sección TRAMOS, registro 2, sin código de tramo, número del tramo" + not_integer},
      {"no length",
       {Slot("L1", "55"), Tramo({{"CODIGO_DELPHOS", "1"}, {"NOMBRE", "L1"}})},
       "Sección TRAMOS, registro 2, tramo L1, campo MINUTOS" + not_integer},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string xml = "<SERVICIO><SALIDAS><listasal seq=\"TRAMOS\">";
    for (const std::string& r : c.records) xml += r;
    EXPECT_EQ(ErrorOf(delphos::XmlDocument::Parse(xml + "</listasal></SALIDAS></SERVICIO>")),
              c.error);
  }
}

TEST_F(TramosTest, AsksForTheStartTimeAfterCreatingTheTableEvenWithoutTheSection) {
  std::vector<std::string> prompts;
  const int rows = ExportarTramos(
      Export({Section("AULAS", {})}), file_,
      [&](const std::string& entry) {
        EXPECT_TRUE(fs::exists(file_)) << "the table is created before the dialog";
        prompts.push_back(entry);
        return std::string(prompts.size() == 1 ? "24:00" : "07:45");
      },
      report_);
  EXPECT_EQ(rows, 0);
  EXPECT_THAT(prompts, ElementsAre("08:00", "24:00"));
  EXPECT_EQ(Layout(ReadTable(file_).fields).size(), 11u);
}

}  // namespace
}  // namespace pasahorario
