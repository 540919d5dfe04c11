#include "worktables/codepage.h"

#include <gtest/gtest.h>

#include "worktables/codepage_tables.h"

namespace pasahorario::dbf {
namespace {

// Every byte a page defines decodes to one character that encodes back to
// the same byte; bytes it leaves undefined read as U+FFFD.
TEST(CodePageTest, EveryDefinedByteRoundTrips) {
  ASSERT_GE(kCodePageTableCount, 22u);
  for (size_t i = 0; i < kCodePageTableCount; ++i) {
    const CodePage* page = CodePage::Find(kCodePageTables[i].number);
    ASSERT_NE(page, nullptr);
    SCOPED_TRACE(page->number());
    for (int byte = 0x01; byte <= 0xFF; ++byte) {
      const std::string stored(1, static_cast<char>(byte));
      const std::string text = page->Decode(stored);
      if (text == "\xEF\xBF\xBD") continue;  // undefined in this page
      bool exact = false;
      EXPECT_EQ(page->Encode(text, &exact), stored) << byte;
      EXPECT_TRUE(exact);
    }
  }
  EXPECT_EQ(CodePage::Windows1252().Decode("\x81\x8D"), "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(CodePage::Find(932), nullptr);
}

TEST(CodePageTest, EncodingComposesAccentsAndMarksWhatDoesNotFit) {
  struct Case {
    int page;
    std::string in, out;
    bool exact;
  };
  const Case cases[] = {
      {1252, "a\xCC\x81" "E\xCC\x88", "\xE1\xCB", true},  // á Ë from letter + mark
      {1252, "\xCC\x81" "a", "?a", false},                  // a mark with no letter before
      {1252, "Ā€", "?\x80", false},
      {1252, "\xF0\x9F\x98\x80", "?", false},               // outside the BMP
      {850, "ñ€", "\xA4?", false},
      {1251, "Жж", "\xC6\xE6", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    bool exact = !c.exact;
    EXPECT_EQ(CodePage::Find(c.page)->Encode(c.in, &exact), c.out);
    EXPECT_EQ(exact, c.exact);
  }
}

}  // namespace
}  // namespace pasahorario::dbf
