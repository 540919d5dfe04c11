// Tables whose header declares no code page: a .cpg file beside them, or
// their text, decides how it is read.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "base/error.h"
#include "worktables/dbf_table.h"
#include "worktables/dbf_test_util.h"
#include "worktables/text_encoding.h"

namespace pasahorario::dbf {
namespace {

using ::testing::HasSubstr;
using testing_util::DbaseBytes;
using testing_util::Level7Bytes;
using testing_util::WriteBytes;

class CodePageChoiceTest : public testing_util::TempDirTest {};

TEST_F(CodePageChoiceTest, CpgFileThenTextDecideWhenTheHeaderIsSilent) {
  struct Case {
    const char* name;
    uint8_t driver;
    std::optional<std::string> cpg;  // the .cpg beside the table, if any
    const char* cpg_file;
    std::string stored;  // the first row's text, 4 bytes
    std::string text;
    const char* assumption;  // nullptr: none, the header declares one
  };
  const Case cases[] = {
      {"UTF-8 by its text", 0, std::nullopt, "", "Pe\xC3\xB1", "Peñ",
       "se lee como UTF-8, porque todo su texto es UTF-8 válido"},
      {"1252 by its text", 0, std::nullopt, "",
       "Pe\xF1"
       "a",
       "Peña", "se lee en Windows-1252, porque su texto no es UTF-8"},
      {"ASCII only", 0, std::nullopt, "", "Pepa", "Pepa", "solo tiene caracteres ASCII"},
      {"cpg UTF-8", 0, "UTF-8", "T.cpg", "Pe\xC3\xB1", "Peñ",
       "se lee como UTF-8, como dice el archivo T.cpg (\"UTF-8\")"},
      {"cpg 850, upper-case name", 0, "850\r\n", "T.CPG",
       "Pe\xA4"
       "a",
       "Peña", "se lee en la página de códigos 850, como dice el archivo T.CPG"},
      {"cpg OEM 850", 0, "OEM 850", "t.cpg",
       "Pe\xA4"
       "a",
       "Peña", "850"},
      {"cpg CP850", 0, "CP850", "T.cpg",
       "Pe\xA4"
       "a",
       "Peña", "850"},
      {"cpg ANSI 1252", 0, "ANSI 1252", "T.cpg",
       "Pe\xF1"
       "a",
       "Peña", "Windows-1252"},
      {"cpg CP1252 over UTF-8-looking text", 0, "CP1252", "T.cpg", "Pe\xC3\xB1", "PeÃ±",
       "Windows-1252, como dice"},
      {"cpg ISO-8859-1", 0, "ISO-8859-1", "T.cpg", "\x80\xF1  ", "€ñ", "Windows-1252"},
      {"cpg unknown, text decides", 0, "KOI8-R", "T.cpg", "Pe\xC3\xB1", "Peñ",
       "nombra una que este programa no conoce (\"KOI8-R\"); se lee como UTF-8"},
      {"declared page wins over cpg", 0x57, "UTF-8", "T.cpg", "Pe\xC3\xB1", "PeÃ±", nullptr},
      {"declared page wins over text", 0x02, std::nullopt, "", "Pe\xC3\xB1", "Pe├▒", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    // The second row is ASCII: the choice looks at every row.
    WriteBytes(dir_ / "T.DBF", DbaseBytes(0x03, c.driver, {{"C", 'C', 4}, {"N", 'N', 2}},
                                          {" " + c.stored + " 1", " abcd 2"}, 2));
    if (c.cpg) WriteBytes(dir_ / c.cpg_file, *c.cpg);
    DbfTable table(dir_, "T");
    table.Open();
    EXPECT_EQ(table.Text(0), c.text);
    EXPECT_EQ(table.Text(1), "1");
    if (c.assumption == nullptr) {
      EXPECT_EQ(table.code_page_assumption(), std::nullopt);
    } else {
      ASSERT_TRUE(table.code_page_assumption().has_value());
      EXPECT_THAT(
          *table.code_page_assumption(),
          ::testing::AllOf(::testing::StartsWith("La tabla T no declara su página de códigos"),
                           HasSubstr(c.assumption)));
    }
    table.Close();
    EXPECT_EQ(table.code_page_assumption(), std::nullopt);
  }
}

TEST_F(CodePageChoiceTest, AHeaderNamingAnUnknownCodePageIsReadAsASilentOneAndSaysSo) {
  struct Case {
    const char* name;
    std::string table;               // the .DBF's bytes
    std::optional<std::string> cpg;  // T.cpg beside it, if any
    std::string text;                // the first row's text as read
    std::string assumption;          // its start, then what decides
  };
  const auto dbase = [](uint8_t driver, const std::string& stored) {
    return DbaseBytes(0x03, driver, {{"C", 'C', 4}}, {" " + stored}, 1);
  };
  const std::string pena =
      "Pe\xF1"
      "a";
  const Case cases[] = {
      {"0xF0, read as Windows-1252", dbase(0xF0, pena), std::nullopt, "Peña",
       "La tabla T declara una página de códigos que este programa no conoce (el byte de idioma "
       "0xF0) y no tiene al lado un archivo .cpg que la diga; se lee en Windows-1252, porque su "
       "texto no es UTF-8."},
      {"0xAB, UTF-8 by its text", dbase(0xAB, "Pe\xC3\xB1"), std::nullopt, "Peñ",
       "La tabla T declara una página de códigos que este programa no conoce (el byte de idioma "
       "0xAB) y no tiene al lado un archivo .cpg que la diga; se lee como UTF-8"},
      {"0xF0 with a .cpg",
       dbase(0xF0,
             "Pe\xA4"
             "a"),
       "850", "Peña",
       "La tabla T declara una página de códigos que este programa no conoce (el byte de idioma "
       "0xF0); se lee en la página de códigos 850, como dice el archivo T.cpg"},
      {"level 7, unknown driver name", Level7Bytes("DBXYZZY0", 0, {{"C", 'C', 4}}, {" " + pena}),
       std::nullopt, "Peña",
       "La tabla T declara una página de códigos que este programa no conoce (el controlador de "
       "idioma 'DBXYZZY0')"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    WriteBytes(dir_ / "T.DBF", c.table);
    if (c.cpg) WriteBytes(dir_ / "T.cpg", *c.cpg);
    DbfTable table(dir_, "T");
    table.Open();
    EXPECT_EQ(table.Text(0), c.text);
    ASSERT_TRUE(table.code_page_assumption().has_value());
    EXPECT_THAT(*table.code_page_assumption(), ::testing::StartsWith(c.assumption));
    table.Close();
  }
}

TEST_F(CodePageChoiceTest, Level7DriverNameCountsAsADeclaration) {
  WriteBytes(dir_ / "T.DBF", Level7Bytes("DBWINUS0", 0, {{"C", 'C', 2}}, {" \xC3\xB1"}));
  DbfTable table(dir_, "T");
  table.Open();
  EXPECT_EQ(table.Text(0), "Ã±");
  EXPECT_EQ(table.code_page_assumption(), std::nullopt);
}

TEST_F(CodePageChoiceTest, RowsAppendedToAUtf8TableStayUtf8AndWhole) {
  WriteBytes(dir_ / "T.DBF", DbaseBytes(0x03, 0, {{"C", 'C', 3}}, {" \xC3\xB1 "}, 1));
  DbfTable table(dir_, "T");
  table.Open();
  table.Append();
  table.SetText(0, "ñño");  // 5 bytes in UTF-8: the second ñ would be split
  table.Post();
  table.Close();
  EXPECT_EQ(testing_util::ReadBytes(dir_ / "T.DBF").substr(32 + 32 + 1),
            " \xC3\xB1  \xC3\xB1 \x1A");
  table.Open();
  table.Next();
  EXPECT_EQ(table.Text(0), "ñ");
}

TEST_F(CodePageChoiceTest, MultiByteCpgIsRefused) {
  WriteBytes(dir_ / "T.DBF", DbaseBytes(0x03, 0, {{"C", 'C', 1}}, {" a"}, 1));
  WriteBytes(dir_ / "T.cpg", "932");
  DbfTable table(dir_, "T");
  EXPECT_THAT([&] { table.Open(); },
              ::testing::ThrowsMessage<Error>(HasSubstr("el archivo T.cpg dice que su texto está "
                                                        "en la página de códigos 932")));
}

TEST(CpgTextTest, NamesToolsWrite) {
  struct Case {
    const char* text;
    std::optional<int> page;
  };
  const Case cases[] = {
      {"UTF-8", kUtf8CodePage},
      {"utf8\n", kUtf8CodePage},
      {"\xEF\xBB\xBF"
       "UTF-8",
       kUtf8CodePage},
      {"65001", kUtf8CodePage},
      {"1252", 1252},
      {"CP1252", 1252},
      {"ANSI 1252", 1252},
      {"windows-1252", 1252},
      {"ISO-8859-1", 1252},
      {"850", 850},
      {"OEM 850", 850},
      {"IBM850", 850},
      {"cp437", 437},
      {"1251", 1251},
      {"936", 936},
      {"KOI8-R", std::nullopt},
      {"", std::nullopt},
      {"12", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(CodePageOfCpgText(c.text), c.page);
  }
}

}  // namespace
}  // namespace pasahorario::dbf
