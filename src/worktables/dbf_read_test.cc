// Reading tables other programs wrote: level 7, Visual FoxPro, language
// drivers, deleted rows, wrong record counts and damaged files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <variant>

#include "base/error.h"
#include "base/utf8_path.h"
#include "worktables/dbf_header.h"
#include "worktables/dbf_table.h"
#include "worktables/dbf_test_util.h"
#include "worktables/table_path.h"

namespace pasahorario::dbf {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing_util::DbaseBytes;
using testing_util::FixtureField;
using testing_util::Level7Bytes;
using testing_util::U16;
using testing_util::U32;
using testing_util::WriteBytes;

class DbfReadTest : public testing_util::TempDirTest {
 protected:
  // Writes `bytes` as <dir>/T.DBF and opens it.
  DbfTable OpenBytes(const std::string& bytes) {
    WriteBytes(dir_ / "T.DBF", bytes);
    DbfTable table(dir_, "T");
    table.Open();
    return table;
  }

  // Every visited row, its fields' texts joined by "|".
  static std::vector<std::string> Rows(DbfTable& table) {
    std::vector<std::string> rows;
    for (table.First(); !table.Eof(); table.Next()) {
      std::string row;
      for (size_t i = 0; i < table.fields().size(); ++i) {
        if (i > 0) row += '|';
        row += table.Text(static_cast<int>(i));
      }
      rows.push_back(row);
    }
    return rows;
  }
};

TEST_F(DbfReadTest, Level7IntegersDoublesAndAutoIncrements) {
  const std::vector<FixtureField> fields = {
      {"PROFESOR_CON_NOMBRE_LARGO", 'C', 4}, {"DIA", 'I', 4}, {"HORAS", 'O', 8}, {"ID", '+', 4}};
  const std::string records =
      std::string(" ana ") + std::string("\x80\x00\x00\x03", 4) +
      std::string("\xBF\xF0\x00\x00\x00\x00\x00\x00", 8) + std::string("\x80\x00\x00\x01", 4) +
      std::string(" ") + "b   " + std::string("\x7F\xFF\xFF\xFF", 4) +
      std::string("\x3F\xFB\xFF\xFF\xFF\xFF\xFF\xFF", 8) + std::string("\x80\x00\x00\x02", 4) +
      std::string(" ") + "c   " + std::string(4, '\0') + std::string(8, '\0') +
      std::string("\x80\x00\x00\x00", 4);
  DbfTable table =
      OpenBytes(Level7Bytes("DBWINUS0", 0, fields,
                            {records.substr(0, 21), records.substr(21, 21), records.substr(42, 21)},
                            std::string(40, '\x01')));  // a field-properties block
  EXPECT_THAT(Rows(table), ElementsAre("ana|3|1|1", "b|-1|-2.5|2", "c|||0"));
  table.First();
  EXPECT_EQ(table.FieldIndex("profesor_con_nombre_largo"), 0);
  EXPECT_EQ(table.Integer(1), 3);
  EXPECT_DOUBLE_EQ(table.Float(2), 1.0);
  table.Next();
  EXPECT_EQ(table.Integer(1), -1);
  EXPECT_EQ(table.Integer(2), -3);  // -2.5 rounded away from zero
  table.Next();
  EXPECT_EQ(table.Integer(1), 0);  // empty
  EXPECT_EQ(table.Float(2), 0.0);
}

TEST_F(DbfReadTest, RowsAppendedToALevel7TableKeepItsEncoding) {
  const std::string old_row = std::string(" ab\x80\0\0\x05", 7) + std::string(8, '\0');
  DbfTable table = OpenBytes(
      Level7Bytes("DBWINUS0", 0, {{"C", 'C', 2}, {"I", 'I', 4}, {"O", 'O', 8}}, {old_row}));
  table.Close();
  table.Open(Access::kExclusive);
  table.Append();
  table.SetText(0, "ñ");
  EXPECT_THROW(table.SetInteger(1, -2147483648LL), Error);  // would read back empty
  table.SetInteger(1, -1);
  table.SetFloat(2, -2.5);
  table.Post();
  table.Append();  // blank: zero bytes in the binary fields
  table.Post();
  table.Close();
  const std::string bytes = testing_util::ReadBytes(dir_ / "T.DBF");
  const size_t header_length = 68 + 3 * 48 + 1;
  EXPECT_EQ(bytes.substr(4, 4), U32(3));
  EXPECT_EQ(bytes.substr(header_length),
            old_row + std::string(" \xF1 \x7F\xFF\xFF\xFF\x3F\xFB\xFF\xFF\xFF\xFF\xFF\xFF", 15) +
                "   " + std::string(12, '\0') + "\x1A");
  table.Open();
  EXPECT_THAT(Rows(table), ElementsAre("ab|5|", "ñ|-1|-2.5", "||"));
}

TEST_F(DbfReadTest, Level7DatesTimeStampsAndLogicals) {
  // 2024-03-05 10:30:00 as milliseconds from day 1 = 0001-01-01.
  const double ms = 738950.0 * 86400000.0 + 37800000.0;
  uint64_t bits;
  std::memcpy(&bits, &ms, 8);
  std::string plain, sortable;
  for (int i = 7; i >= 0; --i) plain += char(bits >> (8 * i) & 0xFF);
  sortable = plain;
  sortable[0] = char(sortable[0] | 0x80);
  const std::vector<FixtureField> fields = {{"D", 'D', 8}, {"TS", '@', 8}, {"L", 'L', 1}};
  DbfTable table = OpenBytes(Level7Bytes("DBWINUS0", 0, fields,
                                         {" 20240305" + plain + "T", " 00000000" + sortable + "?",
                                          "         " + std::string(8, '\0') + "n"}));
  EXPECT_THAT(Rows(table),
              ElementsAre("20240305|2024-03-05 10:30:00|T", "|2024-03-05 10:30:00|", "||F"));
}

TEST_F(DbfReadTest, VisualFoxProTableWithBacklink) {
  const std::vector<FixtureField> fields = {
      {"NOMBRE", 'C', 5}, {"CUENTA", 'I', 4}, {"PRECIO", 'N', 8, 2}, {"PESO", 'B', 8}};
  double peso = -1.25;
  std::string peso_bytes(8, '\0');
  std::memcpy(peso_bytes.data(), &peso, 8);  // little-endian machines only, as both targets are
  DbfTable table =
      OpenBytes(DbaseBytes(0x30, 0x03, fields,
                           {" Pe\xF1"
                            "a " +
                            std::string("\xFE\xFF\xFF\xFF", 4) + "   12.50" + peso_bytes},
                           1, ""));  // FoxPro writes no end mark
  EXPECT_THAT(Rows(table), ElementsAre("Pe\xC3\xB1"
                                       "a|-2|12.50|-1.25"));
}

TEST_F(DbfReadTest, TextIsDecodedByTheLanguageDriver) {
  struct Case {
    uint8_t driver;
    std::string stored, text;
  };
  const Case cases[] = {
      {0x00, "\x80\xF1", "€ñ"},  // no driver: Windows 1252
      {0x57, "\x80\xF1", "€ñ"},      {0x59, "\xD1", "Ñ"},
      {0x03, "\x9C", "œ"},           {0x99, "\x80", "€"},  // unknown driver: 1252
      {0x14, "\xA4\xA5\xA0", "ñÑá"},                       // 850, Spanish OEM
      {0x18, "\xA4\x87\x9E", "ñç₧"},                       // 437, Spanish OEM
      {0x02, "\xD5", "ı"},                                 // 850
      {0x64, "\xA5\xE6", "ąŠ"},                            // 852
      {0x87, "\xA5", "ą"},                                 // 852
      {0x65, "\x80\xE0", "Ар"},                            // 866
      {0x66, "\x9B", "ø"},                                 // 865
      {0x24, "\x84", "ã"},                                 // 860
      {0x67, "\x8B", "Ð"},                                 // 861
      {0x1C, "\x84", "Â"},                                 // 863
      {0x6A, "\x80", "Α"},                                 // 737
      {0x6B, "\x8D", "ı"},                                 // 857
      {0x50, "\xA1", "ก"},                                 // 874
      {0xC8, "\x8A\xB9", "Šą"},                            // 1250
      {0xC9, "\xC0\xFF", "Ая"},                            // 1251
      {0xCB, "\xC1", "Α"},                                 // 1253
      {0xCA, "\xF0", "ğ"},                                 // 1254
      {0x7D, "\xE0", "א"},                                 // 1255
      {0x7E, "\xC7", "ا"},                                 // 1256
      {0x04, "\x8E", "é"},                                 // Macintosh
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "driver 0x" << std::hex << int(c.driver));
    const std::string padded = c.stored + std::string(4 - c.stored.size(), ' ');
    DbfTable table = OpenBytes(DbaseBytes(0x03, c.driver, {{"C", 'C', 4}}, {" " + padded}, 1));
    EXPECT_EQ(table.Text(0), c.text);
  }
}

TEST_F(DbfReadTest, Level7DriverNamesGiveTheCodePage) {
  struct Case {
    std::string name;
    uint8_t byte29;
    std::string text;
  };
  const Case cases[] = {
      {"DBWINUS0", 0, "€"}, {"DBWINWE0", 0, "€"}, {"DB437US0", 0, "Ç"}, {"DB850ES1", 0, "Ç"},
      {"db866ru0", 0, "А"}, {"DBHEBREW", 0, "€"}, {"ancyrr", 0, "Ђ"},   {"", 0x65, "А"},
      {"RARO", 0, "€"},     {"", 0, "€"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DbfTable table = OpenBytes(Level7Bytes(c.name, c.byte29, {{"C", 'C', 1}}, {" \x80"}));
    EXPECT_EQ(table.Text(0), c.text);
  }
}

// Which fields hold numbers depends on the header kind: B is a memo block
// in dBase and a double in Visual FoxPro, O exists only in level 7.
TEST_F(DbfReadTest, HoldsNumberFollowsTheHeaderKind) {
  const std::vector<FixtureField> fields = {
      {"C", 'C', 1}, {"N", 'N', 2}, {"F", 'F', 2}, {"I", 'I', 4}, {"L", 'L', 1}};
  struct Case {
    std::string name, bytes;
    std::vector<bool> holds;  // C N F I L, then the header kind's own field
  };
  const std::string plain = std::string(" a 1 2", 6) + std::string(4, '\0') + "T";
  const Case cases[] = {
      {"dBase III, B memo",
       DbaseBytes(0x83, 0x57,
                  {fields[0], fields[1], fields[2], fields[3], fields[4], {"B", 'B', 10}},
                  {plain + "         1"}, 1),
       {false, true, true, true, false, false}},
      {"Visual FoxPro, B double",
       DbaseBytes(0x30, 0x03,
                  {fields[0], fields[1], fields[2], fields[3], fields[4], {"B", 'B', 8}},
                  {plain + std::string(8, '\0')}, 1, ""),
       {false, true, true, true, false, true}},
      {"level 7, O double",
       Level7Bytes("DBWINUS0", 0,
                   {fields[0], fields[1], fields[2], fields[3], fields[4], {"O", 'O', 8}},
                   {plain + std::string(8, '\0')}),
       {false, true, true, true, false, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DbfTable table = OpenBytes(c.bytes);
    std::vector<bool> holds;
    for (size_t i = 0; i < table.fields().size(); ++i)
      holds.push_back(table.HoldsNumber(static_cast<int>(i)));
    EXPECT_EQ(holds, c.holds);
  }
}

TEST_F(DbfReadTest, MultiByteCodePagesAreRefused) {
  for (const uint8_t driver : {0x13, 0x4D, 0x4E, 0x4F, 0x78, 0x79, 0x7A, 0x7B}) {
    WriteBytes(dir_ / "T.DBF", DbaseBytes(0x03, driver, {{"C", 'C', 1}}, {" a"}, 1));
    DbfTable table(dir_, "T");
    EXPECT_THAT([&] { table.Open(); },
                ::testing::ThrowsMessage<Error>(HasSubstr("de varios bytes por carácter")))
        << int(driver);
  }
  WriteBytes(dir_ / "T.DBF", Level7Bytes("DB932JP0", 0, {{"C", 'C', 1}}, {" a"}));
  DbfTable table(dir_, "T");
  EXPECT_THAT([&] { table.Open(); }, ::testing::ThrowsMessage<Error>(HasSubstr("932")));
}

TEST_F(DbfReadTest, DeletedRowsAreNeverVisited) {
  DbfTable table =
      OpenBytes(DbaseBytes(0x03, 0x57, {{"C", 'C', 2}}, {"*x ", " a ", "*y ", " b ", "*z "}, 5));
  EXPECT_THAT(Rows(table), ElementsAre("a", "b"));
  EXPECT_EQ(table.RowCount(), 2u);
  table.SetFilter("C= 'y'");
  table.SetFiltered(true);
  EXPECT_TRUE(table.Eof());
}

TEST_F(DbfReadTest, BytesAfterTheAnnouncedRecordsAreIgnored) {
  struct Case {
    uint32_t count;
    std::string tail;
    std::vector<std::string> rows;
  };
  const Case cases[] = {
      {3, "\x1A", {"a", "b", "c"}},
      {3, "", {"a", "b", "c"}},    // no end mark
      {3, " d", {"a", "b", "c"}},  // a half record at the end
      {2, "\x1A", {"a", "b"}},     // a lower count is kept
      {0, "\x1A", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    DbfTable table =
        OpenBytes(DbaseBytes(0x03, 0x57, {{"C", 'C', 2}}, {" a ", " b ", " c "}, c.count, c.tail));
    EXPECT_EQ(Rows(table), c.rows);
  }
}

// Damage that a reader could take for data: each case is refused with a
// message naming the table and what is wrong, whether it shows on opening
// or when the damaged row is reached.
TEST_F(DbfReadTest, DamagedTablesAreRefusedNamingWhatIsWrong) {
  const std::vector<FixtureField> two = {{"PROF", 'C', 4}, {"N", 'N', 3}};
  const std::vector<std::string> rows = {" ANA   1", " LUIS  2", " PEPA  3"};
  const std::string good = DbaseBytes(0x03, 0x00, two, rows, 3);
  const size_t header = 32 + 2 * 32 + 1;
  const auto with_header_length = [](std::string bytes, unsigned length) {
    bytes.replace(8, 2, U16(length));
    return bytes;
  };
  const std::string fox = DbaseBytes(0x30, 0x03, two, rows, 3, "");
  const std::string level7 = Level7Bytes("DBWINUS0", 0, two, rows);
  const auto width = [](uint8_t version, char type, int width) {
    const std::string filler(static_cast<size_t>(width), '\0');
    return version == 4 ? Level7Bytes("DBWINUS0", 0, {{"X", type, width}}, {" " + filler})
                        : DbaseBytes(version, 0x03, {{"X", type, width}}, {" " + filler}, 1, "");
  };
  std::string second_row_bad = good;
  second_row_bad[header + 8] = 'L';  // "LLUIS": as if shifted by one byte
  std::string nul_flag = good;
  nul_flag[header] = '\0';
  struct Case {
    std::string name, bytes, message;
  };
  const Case cases[] = {
      {"short by a record", good.substr(0, header + 2 * 8),
       "está incompleta (la cabecera anuncia 3 filas y el archivo sólo contiene 2 completas)"},
      {"cut inside a record", good.substr(0, header + 2 * 8 + 4),
       "la cabecera anuncia 3 filas y el archivo sólo contiene 2 completas"},
      {"one record, none there", DbaseBytes(0x03, 0x57, two, {}, 1, ""),
       "la cabecera anuncia 1 fila y el archivo sólo contiene 0 completas"},
      {"header one byte long", with_header_length(good, header + 1), "la tabla parece dañada ("},
      {"header one byte short", with_header_length(good, header - 1),
       "falta la marca de fin (0x0D)"},
      {"FoxPro header one byte long", with_header_length(fox, header + 263 + 1),
       "la tabla parece dañada ("},
      {"FoxPro header one byte short", with_header_length(fox, header + 263 - 1),
       "la tabla parece dañada (le faltan 1 bytes"},
      {"level-7 header one byte long", with_header_length(level7, 68 + 2 * 48 + 2),
       "la tabla parece dañada ("},
      {"level-7 header one byte short", with_header_length(level7, 68 + 2 * 48),
       "falta la marca de fin (0x0D)"},
      {"bad first byte, second row", second_row_bad,
       "la fila 2 empieza por el byte 0x4C en lugar de un espacio o un asterisco; la tabla "
       "parece dañada"},
      {"NUL first byte", nul_flag, "la fila 1 empieza por el byte 0x00"},
      {"dBase III I", width(0x03, 'I', 1),
       "el campo X es de tipo I y tiene anchura 1 en lugar de 4"},
      {"dBase III +", width(0x03, '+', 8),
       "el campo X es de tipo + y tiene anchura 8 en lugar de 4"},
      {"dBase III D", width(0x03, 'D', 6),
       "el campo X es de tipo D y tiene anchura 6 en lugar de 8"},
      {"dBase III L", width(0x03, 'L', 2),
       "el campo X es de tipo L y tiene anchura 2 en lugar de 1"},
      {"dBase III O", width(0x03, 'O', 4),
       "el campo X es de tipo O y tiene anchura 4 en lugar de 8"},
      {"level-7 @", width(4, '@', 4), "el campo X es de tipo @ y tiene anchura 4 en lugar de 8"},
      {"level-7 D", width(4, 'D', 10), "el campo X es de tipo D y tiene anchura 10 en lugar de 8"},
      {"level-7 L", width(4, 'L', 4), "el campo X es de tipo L y tiene anchura 4 en lugar de 1"},
      {"FoxPro B", width(0x30, 'B', 4), "el campo X es de tipo B y tiene anchura 4 en lugar de 8"},
      {"FoxPro T", width(0x30, 'T', 6), "el campo X es de tipo T y tiene anchura 6 en lugar de 8"},
      {"FoxPro Y", width(0x30, 'Y', 4), "el campo X es de tipo Y y tiene anchura 4 en lugar de 8"},
      {"FoxPro I", width(0x30, 'I', 2), "el campo X es de tipo I y tiene anchura 2 en lugar de 4"},
      {"blank field name", DbaseBytes(0x03, 0x57, {{"", 'C', 0}}, {" "}, 1),
       "el campo '' tiene anchura 0"},
      {"control byte in a name",
       DbaseBytes(0x03, 0x57,
                  {{"A\x01"
                    "B",
                    'C', 0}},
                  {" "}, 1),
       "el campo A\\x01B tiene anchura 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(dir_ / "T.DBF", c.bytes);
    DbfTable table(dir_, "T");
    const auto read_all = [&] {
      table.Open();
      for (; !table.Eof(); table.Next()) {
        for (size_t f = 0; f < table.fields().size(); ++f) table.Text(static_cast<int>(f));
      }
    };
    EXPECT_THAT(read_all, ::testing::ThrowsMessage<Error>(::testing::AllOf(
                              HasSubstr("la tabla T de la carpeta " + PathToUtf8(dir_) + ": "),
                              HasSubstr(c.message))));
    table.Close();
    EXPECT_EQ(testing_util::ReadBytes(dir_ / "T.DBF"), c.bytes);
  }
}

TEST_F(DbfReadTest, TolerantNumbersAndClearErrorsForOthers) {
  DbfTable table =
      OpenBytes(DbaseBytes(0x03, 0x57, {{"N", 'N', 6, 2}},
                           {"   1.50", "   1,50", " ******", std::string(" \0\0\0\0\0\0", 7),
                            "  1.E+2", "   +3  ", "    abc"},
                           7));
  std::vector<double> values;
  for (int i = 0; i < 6; ++i, table.Next()) values.push_back(table.Float(0));
  EXPECT_THAT(values, ElementsAre(1.5, 1.5, 0, 0, 100, 3));
  EXPECT_EQ(table.Text(0), "abc");
  EXPECT_THAT([&] { table.Float(0); },
              ::testing::ThrowsMessage<Error>(
                  ::testing::StrEq("En el campo N (N 6,2) de la tabla T de la carpeta " +
                                   PathToUtf8(dir_) + ", fila 7, hay 'abc', que no es un número")));
  EXPECT_THROW(table.Integer(0), Error);
}

TEST_F(DbfReadTest, DamagedFilesGiveErrorsNamingTheTable) {
  const std::string good = DbaseBytes(0x03, 0x57, {{"C", 'C', 2}, {"N", 'N', 3}}, {" ab  1"}, 1);
  std::string no_terminator = good;
  no_terminator[32 + 64] = 'X';
  std::string short_record = good;
  short_record.replace(10, 2, U16(5));
  std::string zero_width = good;
  zero_width[32 + 16] = 0;
  std::string huge_header = good;
  huge_header.replace(8, 2, U16(5000));
  std::string tiny_header = good;
  tiny_header.replace(8, 2, U16(20));
  std::string bad_level7 = Level7Bytes("DBWINUS0", 0, {{"I", 'I', 2}}, {" ab"});
  struct Case {
    std::string name, bytes, message;
  };
  const Case cases[] = {
      {"empty", "", "está incompleta (el archivo está vacío)"},
      {"text", "hola, mundo",
       "no es una tabla dBase (su primer byte (0x68) no es el de ninguna versión"},
      {"cut header", good.substr(0, 50),
       "está incompleta (la cabecera ocupa 97 bytes y el archivo tiene 50)"},
      {"cut first bytes", good.substr(0, 20), "está incompleta"},
      {"no terminator", no_terminator, "no es una tabla dBase (falta la marca de fin (0x0D)"},
      {"record length", short_record,
       "no es una tabla dBase (la longitud de registro de la cabecera (5) no cuadra con la de sus "
       "campos (6))"},
      {"zero width", zero_width, "no es una tabla dBase (el campo C tiene anchura 0)"},
      {"header past end", huge_header, "está incompleta"},
      {"header too small", tiny_header, "no es una tabla dBase (la cabecera dice medir 20 bytes)"},
      {"level-7 width", bad_level7, "el campo I es de tipo I y tiene anchura 2 en lugar de 4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(dir_ / "T.DBF", c.bytes);
    DbfTable table(dir_, "T");
    EXPECT_THAT(
        [&] { table.Open(); },
        ::testing::ThrowsMessage<Error>(::testing::AllOf(
            HasSubstr("No se puede abrir la tabla T de la carpeta " + PathToUtf8(dir_) + ": "),
            HasSubstr(c.message))));
    EXPECT_FALSE(table.is_open());
  }
}

TEST_F(DbfReadTest, MemoAndUnknownFieldsOpenButCannotBeRead) {
  DbfTable table = OpenBytes(DbaseBytes(
      0x83, 0x57, {{"C", 'C', 1}, {"NOTA", 'M', 10}, {"X", 'Q', 2}}, {" a        12xx"}, 1));
  EXPECT_EQ(table.Text(0), "a");
  EXPECT_THAT([&] { table.Text(1); },
              ::testing::ThrowsMessage<Error>(HasSubstr("es de tipo M (memo)")));
  EXPECT_THAT([&] { table.Text(2); }, ::testing::ThrowsMessage<Error>(HasSubstr("es de tipo 'Q'")));
}

// Random damage to a good table never crashes, hangs or reads outside the
// file: every outcome is a value or an Error. Headers are damaged many times
// in memory, whole tables fewer times through files (file writes are slow).
TEST_F(DbfReadTest, RandomDamageGivesValuesOrErrors) {
  const std::string good = Level7Bytes(
      "DBWINUS0", 0,
      {{"C", 'C', 3}, {"I", 'I', 4}, {"O", 'O', 8}, {"N", 'N', 4, 1}, {"L", 'L', 1}, {"D", '@', 8}},
      {std::string(" abc\x80\0\0\x01\xBF\xF0\0\0\0\0\0\0 1.5T", 21) + std::string(8, '\x41'),
       std::string("*xyz", 4) + std::string(25, '\0')});
  std::mt19937 random(12345);
  const auto damaged = [&] {
    std::string bytes = good;
    const int damage = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < damage; ++i) bytes[random() % bytes.size()] = static_cast<char>(random());
    if (random() % 4 == 0) bytes.resize(random() % bytes.size());
    if (random() % 3 == 0 && !bytes.empty()) bytes[0] = "\x03\x04\x30\x8C"[random() % 4];
    return bytes;
  };
  for (int round = 0; round < 30000; ++round) {
    const std::string bytes = damaged();
    const auto read = ReadHeader(bytes);
    if (const auto* header = std::get_if<TableHeader>(&read)) {
      ASSERT_LE(static_cast<size_t>(header->header_length), bytes.size());
      for (const StoredField& f : header->fields) {
        ASSERT_LE(f.offset + f.layout.width, header->record_length);
      }
      if (RecordCountProblem(*header, bytes.size()).empty()) {
        ASSERT_LE(header->header_length +
                      uint64_t{header->record_count} * static_cast<uint64_t>(header->record_length),
                  bytes.size());
      }
    }
  }
  for (int round = 0; round < 300; ++round) {
    WriteBytes(dir_ / "T.DBF", damaged());
    DbfTable table(dir_, "T");
    try {
      table.Open();
      for (; !table.Eof(); table.Next()) {
        for (size_t f = 0; f < table.fields().size(); ++f) {
          try {
            table.Text(static_cast<int>(f));
            table.Float(static_cast<int>(f));
          } catch (const Error&) {
          }
        }
      }
    } catch (const Error&) {
    }
  }
}

}  // namespace
}  // namespace pasahorario::dbf
