#include "delphos/reading.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

namespace pasahorario::delphos {
namespace {
using testing::ElementsAre;

// The first value of each record of section `seq`.
std::vector<std::string> FirstValues(const XmlDocument& doc, std::string_view seq) {
  std::vector<std::string> firsts;
  for (const XmlNode& record : SectionRecords(doc, seq))
    firsts.push_back(RecordValues(record).At(0));
  return firsts;
}

TEST(SectionRecordsTest, PathsAreTheSixOfTheExport) {
  const std::string paths[] = {
      R"(/SERVICIO/SALIDAS/listasal[@seq="MATERIAS"]/listasal)",
      R"(/SERVICIO/SALIDAS/listasal[@seq="PROFESORES"]/listasal)",
      R"(/SERVICIO/SALIDAS/listasal[@seq="AULAS"]/listasal)",
      R"(/SERVICIO/SALIDAS/listasal[@seq="GRUPOS"]/listasal)",
      R"(/SERVICIO/SALIDAS/listasal[@seq="ASIGNATURAS"]/listasal)",
      R"(/SERVICIO/SALIDAS/listasal[@seq="TRAMOS"]/listasal)",
  };
  ASSERT_EQ(std::size(kSections), std::size(paths));
  for (size_t i = 0; i < std::size(paths); ++i) EXPECT_EQ(SectionPath(kSections[i]), paths[i]);
}

TEST(SectionRecordsTest, ReadsOnlySectionsDirectlyUnderSalidasInDocumentOrder) {
  const XmlDocument doc = XmlDocument::Parse(R"(<SERVICIO>
    <listasal seq="AULAS"><listasal><salida>fuera</salida></listasal></listasal>
    <SALIDAS>
      <listasal seq="GRUPOS"><listasal><salida>G1</salida></listasal><listasal><salida>G2</salida></listasal></listasal>
      <listasal seq="materias"><listasal><salida>minúsculas</salida></listasal></listasal>
      <listasal seq=" AULAS"><listasal><salida>blanco delante</salida></listasal></listasal>
      <listasal seq="AULAS "><listasal><salida>blanco detrás</salida></listasal></listasal>
      <listasal seq="MATERIAS"><listasal><salida>M1</salida></listasal><otro/><listasal/></listasal>
      <listasal seq="GRUPOS"><listasal><salida>G3</salida></listasal></listasal>
      <x><listasal seq="AULAS"><listasal><salida>hondo</salida></listasal></listasal></x>
    </SALIDAS>
  </SERVICIO>)");
  EXPECT_THAT(FirstValues(doc, "GRUPOS"), ElementsAre("G1", "G2", "G3"));
  EXPECT_THAT(FirstValues(doc, "MATERIAS"), ElementsAre("M1", ""));
  EXPECT_THAT(FirstValues(doc, "AULAS"), ElementsAre());
  EXPECT_THAT(FirstValues(doc, "TRAMOS"), ElementsAre());
}

TEST(SectionRecordsTest, DocumentsOfAnotherShapeHaveNoRecords) {
  for (const char* text :
       {"<SERVICIO/>",
        "<OTRO><SALIDAS><listasal seq=\"AULAS\"><listasal/></listasal></SALIDAS></OTRO>"}) {
    EXPECT_TRUE(SectionRecords(XmlDocument::Parse(text), "AULAS").empty()) << text;
  }
}

TEST(RecordValuesTest, PositionsCountSalidaChildrenOnlyAndValuesAreTrimmed) {
  const XmlDocument doc = XmlDocument::Parse(
      "<listasal>"
      "<salida dato=\"CODIGO\">  M1\r\n</salida>"
      "<otro>no cuenta</otro>"
      "<salida>   </salida>"
      "<salida dato=\" NOMBRE \"/>"
      "<!-- comentario --><salida>\t\r\nLengua y <b>Literatura</b>\t</salida>"
      "<salida>&#160;B </salida>"
      "<salida><![CDATA[ <x> ]]></salida>"
      "<salida>\xC3\xB1 </salida>"
      "</listasal>");
  const RecordValues values(doc.Root());
  ASSERT_EQ(values.count(), 7);
  const std::string expected[] = {"M1", "", "", "Lengua y Literatura", "\u00A0B", "<x>", "ñ"};
  for (int i = 0; i < values.count(); ++i) EXPECT_EQ(values.At(i), expected[i]) << i;
  EXPECT_EQ(values.NameAt(0), "CODIGO");
  EXPECT_EQ(values.NameAt(1), "");
  EXPECT_EQ(values.NameAt(2), " NOMBRE ");
}

TEST(RecordValuesTest, PositionsTheRecordLacksReadAsEmpty) {
  const XmlDocument doc =
      XmlDocument::Parse("<listasal><salida dato=\"DIA\">L</salida></listasal>");
  const RecordValues values(doc.Root());
  EXPECT_EQ(values.At(0), "L");
  for (int position : {1, 8, -1}) {
    EXPECT_EQ(values.At(position), "") << position;
    EXPECT_EQ(values.NameAt(position), "") << position;
  }
  EXPECT_EQ(RecordValues(XmlNode()).count(), 0);
}

TEST(SectionRecordsTest, ReadsTheBundledExample) {
  const XmlDocument doc = XmlDocument::Load(std::filesystem::path(PASAHORARIO_SOURCE_DIR) /
                                            "examples" / "delphos-exportacion.xml");
  for (std::string_view seq : kSections) {
    SCOPED_TRACE(seq);
    const std::vector<XmlNode> records = SectionRecords(doc, seq);
    ASSERT_FALSE(records.empty());
    EXPECT_FALSE(RecordValues(records.front()).At(1).empty());
  }
}

// A section as big as a large school's export: reading it must stay linear.
TEST(SectionRecordsTest, FiftyThousandRecordsAreReadQuickly) {
  constexpr int kRecords = 50000;
  std::string text = "<SERVICIO><SALIDAS><listasal seq=\"ASIGNATURAS\">\n";
  for (int i = 0; i < kRecords; ++i) {
    text += "<listasal>";
    for (int v = 0; v < 9; ++v)
      text += "<salida dato=\"D" + std::to_string(v) + "\"> " + std::to_string(i) + " </salida>";
    text += "</listasal>\n";
  }
  text += "</listasal></SALIDAS></SERVICIO>";
  const auto start = std::chrono::steady_clock::now();
  const XmlDocument doc = XmlDocument::Parse(text);
  const std::vector<XmlNode> records = SectionRecords(doc, "ASIGNATURAS");
  ASSERT_EQ(records.size(), static_cast<size_t>(kRecords));
  long long sum = 0;
  for (const XmlNode& record : records) {
    const RecordValues values(record);
    sum += std::stoll(values.At(8));
    ASSERT_EQ(values.NameAt(8), "D8");
  }
  EXPECT_EQ(sum, 1LL * kRecords * (kRecords - 1) / 2);
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  RecordProperty("seconds", std::to_string(seconds));
  EXPECT_LT(seconds, 60.0);  // a quadratic reading takes far longer
}

}  // namespace
}  // namespace pasahorario::delphos
