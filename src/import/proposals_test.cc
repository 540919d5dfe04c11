#include "import/proposals.h"

#include <gtest/gtest.h>

namespace pasahorario {
namespace {

TEST(ProposalsTest, CodeThatDiffersInSpellingOrByOneOrTwoCharacters) {
  const struct {
    const char* value;
    std::vector<std::string> codes;
    const char* code;  // "" for no proposal
    const char* why;
  } kCases[] = {
      {"lab1", {"LAB2", "LAB1", "AU07"}, "LAB1", "'lab1' y 'LAB1' solo difieren en mayúsculas"},
      {"1ESO A", {"1ESOB", "1ESOA"}, "1ESOA", "'1ESO A' y '1ESOA' solo difieren en los espacios"},
      {"JPÉR", {"JPER", "JPERE"}, "JPER", "'JPÉR' y 'JPER' solo difieren en las tildes"},
      {"MUSICA", {"MÚSICA"}, "MÚSICA", "'MUSICA' y 'MÚSICA' solo difieren en las tildes"},
      {"lab 1",
       {"LAB1", "LAB2"},
       "LAB1",
       "'lab 1' y 'LAB1' solo difieren en mayúsculas y espacios"},
      {"aula música",
       {"AULAMUSICA"},
       "AULAMUSICA",
       "'aula música' y 'AULAMUSICA' solo difieren en mayúsculas, espacios y tildes"},
      {"Ñu", {"ÑU", "NU"}, "ÑU", "'Ñu' y 'ÑU' solo difieren en mayúsculas"},
      // Spelling goes first, however close another code is.
      {"ab1", {"AB1", "ab2"}, "AB1", "'ab1' y 'AB1' solo difieren en mayúsculas"},
      {"AU7", {"AU07", "B12"}, "AU07", "'AU7' y 'AU07' se diferencian en un solo carácter"},
      {"LAB2", {"LAB3", "LIB99"}, "LAB3", "'LAB2' y 'LAB3' se diferencian en un solo carácter"},
      {"AULA9", {"AULA12", "X"}, "AULA12", "'AULA9' y 'AULA12' se diferencian en dos caracteres"},
      {"QUIM", {"QIUM", "FIS"}, "QIUM", "'QUIM' y 'QIUM' se diferencian en dos caracteres"},
      // The nearer code wins; a tie, or nothing within two, proposes nothing.
      {"AU07", {"AU17", "AX99"}, "AU17", "'AU07' y 'AU17' se diferencian en un solo carácter"},
      {"AU8", {"AU7", "AU9"}, "", ""},
      {"ab", {"AB", "Ab"}, "", ""},  // Ab is one character away, but AB fits as well
      {"ab c", {"ABC", "A BC"}, "", ""},
      {"LAB2", {"AULA"}, "", ""},
      {"XYZW", {"ABCD"}, "", ""},
      {"AULA9", {"AULA123"}, "", ""},
      {"A", {"B"}, "", ""},
      {"", {"A", "B1"}, "", ""},
      {"LAB2", {}, "", ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.value);
    const std::optional<Proposal> found = ProposeCode(c.value, c.codes);
    if (*c.code == '\0') {
      EXPECT_EQ(found, std::nullopt) << found->code;
    } else {
      EXPECT_EQ(found, (Proposal{c.code, c.why}));
    }
  }
}

TEST(ProposalsTest, TeacherWhoseNameTheCodeAbbreviates) {
  const std::vector<TeacherName> teachers = {{"JPER", "Juan Pérez Ruiz"},
                                             {"MLOG", "María López García"},
                                             {"ALOP", "Ana López"},
                                             {"LOPA", "López Alonso, Luis"}};
  const struct {
    const char* code;
    const char* abrev;  // "" for no proposal
    const char* why;
  } kCases[] = {
      {"jper", "JPER", "'jper' y 'JPER' solo difieren en mayúsculas"},
      {"JPR", "JPER",
       "'JPR' se forma con el principio de las palabras del nombre de 'JPER' en PROFT (Juan Pérez "
       "Ruiz)"},
      {"juanperez", "JPER",
       "'juanperez' se forma con el principio de las palabras del nombre de 'JPER' en PROFT (Juan "
       "Pérez Ruiz)"},
      {"MLGarcía", "MLOG",
       "'MLGarcía' se forma con el principio de las palabras del nombre de 'MLOG' en PROFT (María "
       "López García)"},
      // Ana López and López Alonso, Luis both fit "AL": nothing stands out,
      // though ALOP is two characters away.
      {"AL", "", ""},
      {"LL", "LOPA",
       "'LL' se forma con el principio de las palabras del nombre de 'LOPA' en PROFT (López "
       "Alonso, Luis)"},
      {"JPEZ", "JPER", "'JPEZ' y 'JPER' se diferencian en un solo carácter"},
      {"Z", "", ""},
      {"RPJ", "", ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.code);
    const std::optional<Proposal> found = ProposeTeacher(c.code, teachers);
    if (*c.abrev == '\0') {
      EXPECT_EQ(found, std::nullopt) << found->code;
    } else {
      EXPECT_EQ(found, (Proposal{c.abrev, c.why}));
    }
  }
}

TEST(ProposalsTest, ANameOfManyShortWordsIsQuick) {
  std::string name;
  for (int i = 0; i < 40; ++i) name += "a ";
  const std::vector<TeacherName> teachers = {{"X", name}, {"Y", name + "b"}};
  // Without remembering what was tried this takes C(40, 10) steps.
  EXPECT_EQ(ProposeTeacher("aaaaaaaaaz", teachers), std::nullopt);
  EXPECT_EQ(ProposeTeacher("aaaaaaaaab", teachers)->code, "Y");
}

TEST(ProposalsTest, EditDistanceCountsCharactersNotBytes) {
  EXPECT_EQ(EditDistance("PÉREZ", "PEREZ", 2), 1);
  EXPECT_EQ(EditDistance("", "ab", 2), 2);
  EXPECT_EQ(EditDistance("abcdef", "a", 2), 3) << "anything above the limit is limit + 1";
  EXPECT_EQ(EditDistance("abcd", "badc", 5), 3);
  EXPECT_EQ(WithoutAccents("ÁÉÍÓÚÜÑ áéíóúüñ Ç e\xCC\x81"), "AEIOUUN aeiouun C e");
}

}  // namespace
}  // namespace pasahorario
