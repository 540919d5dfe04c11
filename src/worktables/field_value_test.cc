#include "worktables/field_value.h"

#include <gtest/gtest.h>

namespace pasahorario::dbf {
namespace {

TEST(FieldValueTest, NumbersAreRightAlignedAndNeverLoseDigits) {
  struct Case {
    double value;
    int width, decimals;
    const char* stored;  // nullptr: does not fit
  };
  const Case cases[] = {
      {2.5, 20, 4, "              2.5000"},
      {-0.00001, 8, 4, "  0.0000"},  // no "-0.0000"
      {0.83333333, 6, 2, "  0.83"},
      {12345.678, 8, 2, "12345.68"},
      {12345.678, 7, 2, nullptr},
      {-9, 2, 0, "-9"},
      {-10, 2, 0, nullptr},
      {1e300, 20, 4, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    std::string out;
    const bool fits = FormatNumber(c.value, c.width, c.decimals, out);
    EXPECT_EQ(fits, c.stored != nullptr);
    if (c.stored != nullptr) {
      EXPECT_EQ(out, c.stored);
    }
  }
  std::string out;
  EXPECT_TRUE(FormatInteger(-2147483648LL, 11, 0, out));
  EXPECT_EQ(out, "-2147483648");
  EXPECT_TRUE(FormatInteger(7, 20, 4, out));
  EXPECT_EQ(out, "              7.0000");
  EXPECT_FALSE(FormatInteger(123456789012LL, 11, 0, out));
}

TEST(FieldValueTest, Level7NumbersEncodeAsTheyDecode) {
  char bytes[8];
  // -2147483648 would be stored as four zero bytes, the empty value, so the
  // smallest is -2147483647.
  for (const int32_t value : {0, 1, -1, 2147483647, -2147483647}) {
    EncodeLevel7Long(value, bytes);
    EXPECT_EQ(DecodeLevel7Long(bytes), value);
  }
  EncodeLevel7Long(1, bytes);
  EXPECT_EQ(std::string(bytes, 4), std::string("\x80\x00\x00\x01", 4));
  for (const double value : {0.0, 1.0, -2.5, 1e-300, -1e300}) {
    EncodeLevel7Double(value, bytes);
    EXPECT_EQ(DecodeLevel7Double(bytes), value);
  }
  EncodeLevel7Double(-2.5, bytes);
  EXPECT_EQ(std::string(bytes, 8), std::string("\x3F\xFB\xFF\xFF\xFF\xFF\xFF\xFF", 8));
}

}  // namespace
}  // namespace pasahorario::dbf
