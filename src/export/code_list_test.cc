#include "export/code_list.h"

#include <gtest/gtest.h>

#include "base/unicode.h"

namespace pasahorario {
namespace {

// The key must put together exactly the codes that EqualsIgnoringCase
// matches, or a duplicate could slip through. Checked over every pair of
// code points up to the end of Cyrillic.
TEST(CodeListTest, KeyAgreesWithTheSharedComparison) {
  constexpr char32_t kLast = 0x52F;
  std::vector<std::string> text, key;
  for (char32_t c = 0; c <= kLast; ++c) {
    std::string s;
    AppendUtf8(s, c);
    key.push_back(CaseFoldKey(s));
    text.push_back(std::move(s));
  }
  int mismatches = 0;
  for (char32_t a = 0; a <= kLast; ++a) {
    for (char32_t b = a; b <= kLast; ++b) {
      if (EqualsIgnoringCase(text[a], text[b]) != (key[a] == key[b]) && ++mismatches < 10) {
        ADD_FAILURE() << std::hex << "U+" << uint32_t(a) << " U+" << uint32_t(b);
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(CodeListTest, FindsCodesWithoutRegardToCase) {
  CodeList codes;
  codes.Add("Álg1");
  codes.Add("ñu");
  codes.Add("");
  EXPECT_TRUE(codes.Contains("Álg1"));
  EXPECT_TRUE(codes.Contains("ÁLG1"));
  EXPECT_TRUE(codes.Contains("álg1"));
  EXPECT_TRUE(codes.Contains("ÑU"));
  EXPECT_TRUE(codes.Contains(""));
  EXPECT_FALSE(codes.Contains("ALG1"));  // with and without accent differ
  EXPECT_FALSE(codes.Contains("Álg"));
  EXPECT_FALSE(codes.Contains("nu"));
}

}  // namespace
}  // namespace pasahorario
