#include "shell/command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/error.h"

namespace pasahorario {
namespace {

using ::testing::ElementsAreArray;

TEST(SplitCommandLineTest, SplitsAtBlanksAndControlsAndGroupsByQuotes) {
  struct Case {
    std::string_view line;
    std::vector<std::string> parameters;
  };
  const Case cases[] = {
      {"", {}},
      {"Pasahorario.exe", {}},
      {R"("C:\Program Files\Tablerix\Pasahorario.exe" exportar 1a2B)", {"exportar", "1a2B"}},
      {"p.exe   exportar\t\r\n1A2B  ", {"exportar", "1A2B"}},
      {"p.exe \x01uno\x1f"
       "dos",
       {"uno", "dos"}},
      {R"(p.exe "con blancos" "")", {"con blancos"}},
      {R"(p.exe a"b c"d)", {"ab cd"}},
      {R"(p.exe exportar "" 1A2B)", {"exportar"}},  // "" ends the list
      {R"(p.exe "" exportar 1A2B)", {}},
      {R"(p.exe """" exportar)", {}},  // only quotes: empty too
      {R"(p.exe x"" y)", {"x", "y"}},  // quotes inside a word are removed
      {R"(p.exe "sin cerrar 1A2B)", {"sin cerrar 1A2B"}},
      {"p.exe export\xc3\xa1r \xc2\xa0",
       {"export\xc3\xa1r", "\xc2\xa0"}},  // bytes above 127 are text
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_THAT(SplitCommandLine(c.line), ElementsAreArray(c.parameters));
  }
}

TEST(ParseHostHandleTest, ReadsUpToEightSignificantHexDigits) {
  struct Case {
    std::string_view text;
    uint32_t value;
  };
  const Case cases[] = {
      {"1a2B", 0x1A2B},
      {"0", 0},
      {"FFFFFFFF", 0xFFFFFFFF},
      {"ffffffff", 0xFFFFFFFF},
      {"000000001A2B3C4D", 0x1A2B3C4D},  // leading zeros do not count
      {"12345678", 0x12345678},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseHostHandle(c.text), c.value);
  }
}

TEST(ParseHostHandleTest, RefusesAnythingElseNamingTheDollarText) {
  const std::string_view refused[] = {
      "", "0x1A2B", "-1A", "+1A", "123456789", "100000000", " 1A", "1A ", "$1A", "1G", "１",
  };
  for (std::string_view text : refused) {
    SCOPED_TRACE(text);
    try {
      ParseHostHandle(text);
      ADD_FAILURE() << "accepted";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), "'$" + std::string(text) + "' is not a valid integer value");
    }
  }
}

}  // namespace
}  // namespace pasahorario
