#include "import/equivalencias.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/error.h"
#include "support/test_files.h"

namespace pasahorario {
void PrintTo(const Equivalence& e, std::ostream* out) {
  *out << "{" << EquivalenceLine(e) << ", línea " << e.line << "}";
}

namespace {
namespace fs = std::filesystem;
using testing::AllOf;
using testing::HasSubstr;
using testing::StartsWith;
using testing_support::FileBytes;
using testing_support::WriteBytes;

constexpr char kBom[] = "\xEF\xBB\xBF";

Equivalence Make(EquivalenceKind kind, std::string from, std::string to, int32_t from_hour = 0,
                 int32_t to_hour = 0) {
  Equivalence e;
  e.kind = kind;
  e.from = std::move(from);
  e.to = std::move(to);
  e.from_hour = from_hour;
  e.to_hour = to_hour;
  return e;
}

Equivalence Ignore(EquivalenceKind kind, std::string from) {
  Equivalence e = Make(kind, std::move(from), "");
  e.none = true;
  return e;
}

// Values a dBase text field can hold that the file must carry unchanged.
const char* const kTrickyValues[] = {
    "",         " A", "A ",    "  ",        "a\"b",      "\"",        "\"\"",   "a=b",
    "=",        "#x", "a#",    "-",         "--",        "-1",        "Pérez",  "ÑANDÚ ñ",
    "a\\b",     "\\", "\\x41", "\"\\x41\"", "tab\there", "\x01",      "x\r\ny", "\x7F",
    "\xC2\xA0", "'",  "AULA",  "1ESO A",    "# no",      "a = b # c", "€ ‰",    "\\\"",
};

TEST(EquivalenciasTest, EveryValueRoundTripsOnEitherSideOfEveryKind) {
  for (const char* value : kTrickyValues) {
    for (const EquivalenceKind kind :
         {EquivalenceKind::kAula, EquivalenceKind::kProfesor, EquivalenceKind::kTramo}) {
      const bool tramo = kind == EquivalenceKind::kTramo;
      const Equivalence e = Make(kind, value, value, tramo ? 9 : 0, tramo ? 8 : 0);
      const std::string line = EquivalenceLine(e);
      SCOPED_TRACE(line);
      EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
      const Equivalencias parsed = Equivalencias::Parse(line, "E.TXT");
      ASSERT_EQ(parsed.entries().size(), 1u);
      Equivalence expected = e;
      expected.line = 1;
      EXPECT_EQ(parsed.entries()[0], expected);
    }
  }
  // A whole file: every value once on the left, so none is repeated.
  std::vector<Equivalence> entries;
  for (const char* value : kTrickyValues) {
    entries.push_back(Make(EquivalenceKind::kGrupo, value, value));
    entries.back().line = static_cast<int>(entries.size()) + 6;  // after the header's 6 lines
  }
  entries.push_back(Ignore(EquivalenceKind::kAsignatura, "-"));
  entries.back().line = static_cast<int>(entries.size()) + 6;
  const std::string text = EquivalenciasText(entries);
  EXPECT_THAT(text, StartsWith(kBom));
  EXPECT_EQ(Equivalencias::Parse(text, "E.TXT").entries(), entries);
}

TEST(EquivalenciasTest, BareValuesAreWrittenAsTheyAre) {
  EXPECT_EQ(EquivalenceLine(Make(EquivalenceKind::kAula, "LAB2", "AU07")), "AULA LAB2 = AU07");
  EXPECT_EQ(EquivalenceLine(Make(EquivalenceKind::kGrupo, "1ESO A", "1A")),
            "GRUPO \"1ESO A\" = 1A");
  EXPECT_EQ(EquivalenceLine(Make(EquivalenceKind::kProfesor, "JPÉR", "a\\b")),
            "PROFESOR JPÉR = a\\b");
  EXPECT_EQ(EquivalenceLine(Make(EquivalenceKind::kTramo, "1", "1", 9, 8)), "TRAMO 1 9 = 1 8");
  EXPECT_EQ(EquivalenceLine(Ignore(EquivalenceKind::kAula, "GUARDIA")), "AULA GUARDIA = -");
  EXPECT_EQ(EquivalenceLine(Make(EquivalenceKind::kAula, "-", "-")), "AULA \"-\" = \"-\"");
  EXPECT_EQ(EquivalenceLine(Make(EquivalenceKind::kTarea, "a\"b\\c\n", "")),
            "TAREA \"a\"\"b\\\\c\\x0A\" = \"\"");
}

TEST(EquivalenciasTest, ReadsWhatAPersonWrites) {
  const struct {
    const char* name;
    std::string bytes;
    std::vector<Equivalence> entries;  // lines numbered below
    std::vector<int> lines;
  } kCases[] = {
      {"the example, CRLF, BOM",
       std::string(kBom) + "# AULA | GRUPO | ...\r\nAULA LAB2 = AU07\r\nGRUPO \"1ESO A\" = 1A\r\n"
                           "PROFESOR JPÉR = JPER\r\nTRAMO 1 9 = 1 8\r\nAULA GUARDIA = -\r\n",
       {Make(EquivalenceKind::kAula, "LAB2", "AU07"), Make(EquivalenceKind::kGrupo, "1ESO A", "1A"),
        Make(EquivalenceKind::kProfesor, "JPÉR", "JPER"),
        Make(EquivalenceKind::kTramo, "1", "1", 9, 8), Ignore(EquivalenceKind::kAula, "GUARDIA")},
       {2, 3, 4, 5, 6}},
      {"blank lines, comments after values, tabs, kinds in small letters, no last line end",
       "\n  \t\n# x\naula\tLAB2=AU07 # laboratorio\n   tarea \"G 1\"  =  \"-\"#\nAsignatura X = -",
       {Make(EquivalenceKind::kAula, "LAB2", "AU07"), Make(EquivalenceKind::kTarea, "G 1", "-"),
        Ignore(EquivalenceKind::kAsignatura, "X")},
       {4, 5, 6}},
      {"Windows-1252",
       "PROFESOR JP\xC9R = JPER\r\nAULA M\xFAs = M\xDAS\r\n",
       {Make(EquivalenceKind::kProfesor, "JPÉR", "JPER"),
        Make(EquivalenceKind::kAula, "Mús", "MÚS")},
       {1, 2}},
      {"the same value in two kinds, two hours of one day",
       "AULA X = A\nGRUPO X = G\nTRAMO 1 9 = 1 8\nTRAMO 1 10 = 1 8\n",
       {Make(EquivalenceKind::kAula, "X", "A"), Make(EquivalenceKind::kGrupo, "X", "G"),
        Make(EquivalenceKind::kTramo, "1", "1", 9, 8),
        Make(EquivalenceKind::kTramo, "1", "1", 10, 8)},
       {1, 2, 3, 4}},
      {"empty", "", {}, {}},
      {"only the mark and comments", std::string(kBom) + "# nada\r\n", {}, {}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    std::vector<Equivalence> expected = c.entries;
    for (size_t i = 0; i < expected.size(); ++i) expected[i].line = c.lines[i];
    const Equivalencias parsed = Equivalencias::Parse(c.bytes, "E.TXT");
    EXPECT_EQ(parsed.entries(), expected);
  }
  const Equivalencias parsed = Equivalencias::Parse("AULA X = A\nTRAMO 2 3 = 2 4\n", "E.TXT");
  ASSERT_NE(parsed.Find(EquivalenceKind::kAula, "X"), nullptr);
  EXPECT_EQ(parsed.Find(EquivalenceKind::kAula, "X")->to, "A");
  EXPECT_EQ(parsed.Find(EquivalenceKind::kGrupo, "X"), nullptr);
  EXPECT_EQ(parsed.Find(EquivalenceKind::kAula, "x"), nullptr) << "values are exact";
  EXPECT_NE(parsed.Find(EquivalenceKind::kTramo, "2", 3), nullptr);
  EXPECT_EQ(parsed.Find(EquivalenceKind::kTramo, "2", 4), nullptr);
}

TEST(EquivalenciasTest, ALineThatCannotBeReadIsRefusedNamingFileLineAndReason) {
  const struct {
    std::string text;
    int line;
    const char* reason;
  } kCases[] = {
      {"# x\nSALA LAB2 = AU07\n", 2,
       "el tipo 'SALA' no existe (los tipos son AULA, GRUPO, PROFESOR, TAREA, ASIGNATURA y TRAMO)"},
      {"AULA LAB2 AU07\n", 1, "se esperaba '=' tras el valor de la solución, y sigue 'AU07'"},
      {"AULA 1ESO A = 1A\n", 1, "se esperaba '='"},
      {"AULA LAB2 =\n", 1, "falta el valor de las tablas"},
      {"AULA = AU07\n", 1, "falta el valor de la solución antes de '='"},
      {"AULA\n", 1, "falta el valor de la solución"},
      {"AULA LAB2\n", 1, "falta '=' y el valor de las tablas"},
      {"AULA \"LAB2 = AU07\n", 1, "falta la comilla que cierra el valor de la solución"},
      {"AULA \"A\"B = C\n", 1, "falta un espacio tras la comilla"},
      {"AULA LAB2 = AU 07\n", 1, "sobra '07' al final"},
      {"AULA LAB2 = - X\n", 1, "sobra 'X' al final"},
      {"AULA \"a\\qb\" = X\n", 1, "barra invertida sin sentido"},
      {"AULA \"a\\x41\" = X\n", 1, "barra invertida sin sentido"},
      {"TRAMO 1 nueve = 1 8\n", 1, "la hora de la solución 'nueve' no es un número entero"},
      {"TRAMO 1 9 = 1\n", 1, "falta la hora de las tablas"},
      {"AULA LAB2 = AU07\n\nGRUPO LAB2 = G\nAULA LAB2 = AU08\n", 4,
       "AULA 'LAB2' ya tiene equivalencia en la línea 1"},
      {"TRAMO 1 9 = 1 8\r\nTRAMO 1 09 = 1 7\r\n", 2, "TRAMO '1' 9 ya tiene equivalencia"},
      {"AULA \x01 = B\n", 1, "carácter inesperado '\\x01' en el valor de la solución"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    try {
      Equivalencias::Parse(c.text, "/x/EQUIVALENCIAS.TXT");
      ADD_FAILURE() << "accepted";
    } catch (const Error& e) {
      EXPECT_THAT(e.what(), AllOf(StartsWith("En /x/EQUIVALENCIAS.TXT, línea " +
                                             std::to_string(c.line) + ": "),
                                  HasSubstr(c.reason), HasSubstr("No se ha importado nada")));
    }
  }
}

class EquivalenciasFileTest : public testing::Test {
 protected:
  testing_support::TempDir temp_{"equivalencias"};
  fs::path dir_ = temp_.path();
};

TEST_F(EquivalenciasFileTest, FoundInAnyLetterCaseAndOnlyWhenItIsARegularFile) {
  EXPECT_TRUE(ReadEquivalencias(dir_).empty()) << "no file: no correspondences";
  WriteBytes(dir_ / "Equivalencias.txt", "AULA A = B\n");
  EXPECT_EQ(ReadEquivalencias(dir_).entries().size(), 1u);
  fs::remove(dir_ / "Equivalencias.txt");

  fs::create_directory(dir_ / "EQUIVALENCIAS.TXT");
  EXPECT_THROW(
      {
        try {
          ReadEquivalencias(dir_);
        } catch (const Error& e) {
          EXPECT_THAT(e.what(), HasSubstr("no es un archivo normal"));
          throw;
        }
      },
      Error);
  fs::remove(dir_ / "EQUIVALENCIAS.TXT");

  WriteBytes(dir_ / "EQUIVALENCIAS.TXT", std::string(kEquivalenciasMaxBytes + 1, '#'));
  EXPECT_THROW(ReadEquivalencias(dir_), Error);
  WriteBytes(dir_ / "EQUIVALENCIAS.TXT", "AULA A = B\nAULA A = C\n");
  try {
    ReadEquivalencias(dir_);
    ADD_FAILURE() << "accepted";
  } catch (const Error& e) {
    EXPECT_THAT(e.what(), HasSubstr((dir_ / "EQUIVALENCIAS.TXT").string() + ", línea 2"));
  }
}

TEST_F(EquivalenciasFileTest, AddingALineKeepsWhatThePersonWrote) {
  const fs::path file = dir_ / "EQUIVALENCIAS.TXT";
  AddEquivalence(dir_, Make(EquivalenceKind::kAula, "LAB2", "AU07"));
  EXPECT_EQ(FileBytes(file), EquivalenciasText({Make(EquivalenceKind::kAula, "LAB2", "AU07")}));

  // A file of the person's, LF and Windows-1252, found in another case.
  fs::remove(file);
  const fs::path own = dir_ / "equivalencias.txt";
  WriteBytes(own, "# m\xEDo\nAULA X = Y");
  AddEquivalence(dir_, Make(EquivalenceKind::kGrupo, "1ESO A", "1A"));
  EXPECT_EQ(FileBytes(own), std::string(kBom) + "# mío\nAULA X = Y\nGRUPO \"1ESO A\" = 1A\n");

  // A second line for a value, or a broken file, is refused; the file stays.
  const std::string before = FileBytes(own);
  EXPECT_THROW(AddEquivalence(dir_, Ignore(EquivalenceKind::kAula, "X")), Error);
  EXPECT_EQ(FileBytes(own), before);
  WriteBytes(own, "AULA X Y\r\n");
  EXPECT_THROW(AddEquivalence(dir_, Ignore(EquivalenceKind::kAula, "Z")), Error);
  EXPECT_EQ(FileBytes(own), "AULA X Y\r\n");
  EXPECT_EQ(testing_support::Snapshot(dir_).size(), 1u) << "no temporary file left";
}

}  // namespace
}  // namespace pasahorario
