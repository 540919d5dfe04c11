// The plain whole-number conversion as the shell and the converters rely on
// it (the function lives in base/text.h).
#include <gtest/gtest.h>

#include "base/error.h"
#include "base/text.h"

namespace pasahorario {
namespace {

TEST(ParseIntegerTest, AcceptsLeadingBlanksAndOneSign) {
  struct Case {
    std::string_view text;
    int32_t value;
  };
  const Case cases[] = {
      {"0", 0},
      {"42", 42},
      {"  7", 7},
      {"-5", -5},
      {"+5", 5},
      {"  -0012", -12},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"0000000000000000000001", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseInteger(c.text), c.value);
  }
}

TEST(ParseIntegerTest, RefusesEverythingElseWithTheConversionError) {
  const std::string_view refused[] = {
      "",           " ",           "1 ",
      "+-1",        "--1",         "- 1",
      "2147483648", "-2147483649", "99999999999999999999",
      "0x10",       "$10",         "1.5",
      "1e3",        "\t1",         "１" /* full-width one */,
      "+",          "-",
  };
  for (std::string_view text : refused) {
    SCOPED_TRACE(text);
    try {
      ParseInteger(text);
      ADD_FAILURE() << "accepted";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), "'" + std::string(text) + "' is not a valid integer value");
    }
  }
}

}  // namespace
}  // namespace pasahorario
