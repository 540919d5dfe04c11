#include "base/text.h"

#include <gtest/gtest.h>

#include "base/unicode.h"

namespace pasahorario {
namespace {

TEST(TrimmedTextTest, StripsCodesUpTo32AndKeepsEverythingElse) {
  struct Case {
    std::string_view in, out;
  };
  const Case cases[] = {
      {"  M1\r\n", "M1"},
      {"\t\x01X\x1f", "X"},
      {"   ", ""},
      {"", ""},
      {"\xc2\xa0" "B", "\xc2\xa0" "B"},  // a no-break space stays
      {"Año ", "Año"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(TrimmedText(c.in), c.out);
    EXPECT_EQ(IsBlank(c.in), c.out.empty());
  }
}

TEST(EqualsIgnoringCaseTest, MatchesCapitalAndSmallLettersButNotAccents) {
  struct Case {
    std::string_view a, b;
    bool equal;
  };
  const Case cases[] = {
      {"mat1", "MAT1", true},   {"ÁLGEBRA", "álgebra", true}, {"ÑOÑO", "ñoño", true},
      {"Álgebra", "Algebra", false}, {"ŒUVRE", "œuvre", true}, {"ΑΒΓ", "αβγ", true},
      {"MAT", "MAT1", false},   {"", "", true},               {"Ü", "ü", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + std::string(c.b));
    EXPECT_EQ(EqualsIgnoringCase(c.a, c.b), c.equal);
  }
}

TEST(UnicodeTest, RoundTripsThroughUtf16AndReplacesBrokenBytes) {
  const std::string text = "Peña € 𝄞";
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
  EXPECT_EQ(Utf8ToUtf16("a\xff" "b"), u"a\uFFFDb");
  EXPECT_EQ(Utf8ToUtf16("\xc3"), u"\uFFFD");  // cut short at the end
}

}  // namespace
}  // namespace pasahorario
