#include "base/message_text.h"

#include <gtest/gtest.h>

#include <string>

namespace pasahorario {
namespace {

TEST(MessageTextTest, ControlAndStrayBytesBecomeEscapes) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"PROF", "PROF"},
      {std::string("PR\0F", 4), "PR\\x00F"},
      {"a\tb\x1b\x7f", "a\\x09b\\x1B\\x7F"},
      {"Peña €", "Peña €"},  // valid UTF-8 stays
      {"Pe\xF1"
       "a",
       "Pe\\xF1a"},                                  // a 1252 byte on its own
      {"\xC3", "\\xC3"},                             // sequence cut at the end
      {"\xC0\xAF", "\\xC0\\xAF"},                    // overlong form
      {"\xED\xA0\x80", "\\xED\\xA0\\x80"},           // surrogate
      {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},  // beyond U+10FFFF
      {"C:\\XTEMP", "C:\\XTEMP"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.out);
    EXPECT_EQ(EscapedForMessage(c.in), c.out);
  }
}

TEST(MessageTextTest, BlankNamesAreShownAsTwoQuotes) {
  EXPECT_EQ(NameForMessage(""), "''");
  EXPECT_EQ(NameForMessage("   "), "''");
  EXPECT_EQ(NameForMessage(std::string(1, '\0')), "\\x00");
  EXPECT_EQ(NameForMessage("DIA"), "DIA");
}

}  // namespace
}  // namespace pasahorario
