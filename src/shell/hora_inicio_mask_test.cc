#include "shell/hora_inicio_mask.h"

#include <gtest/gtest.h>

namespace pasahorario {
namespace {

// Plays `keys` on a mask holding `initial` with the caret at 0: a digit,
// letter or ':' is typed, '<' is Backspace, '~' is Delete at the caret, '!'
// clears everything (select all, Delete), '>' puts the caret at the end.
// Returns the keys that were refused.
std::string Play(HoraInicioMask& mask, std::string_view keys) {
  int caret = 0;
  std::string refused;
  for (char k : keys) {
    if (k == '<') {
      mask.Backspace(caret);
    } else if (k == '~') {
      mask.Delete(caret, caret);
    } else if (k == '!') {
      mask.Delete(0, HoraInicioMask::kLength);
      caret = 0;
    } else if (k == '>') {
      caret = HoraInicioMask::kLength;
    } else if (!mask.Type(caret, k)) {
      refused += k;
    }
  }
  return refused;
}

TEST(HoraInicioMaskTest, KeysAndDeletionsGiveTheEntryText) {
  struct Case {
    std::string_view initial, keys, text, display, refused;
    bool complete;
  };
  const Case cases[] = {
      {"08:00", "", "08:00", "08:00", "", true},
      {"08:00", "0930", "09:30", "09:30", "", true},
      {"08:00", "1a2:34", "12:34", "12:34", "a", true},  // the colon at the colon is passed over
      {"08:00", "12345", "12:34", "12:34", "5", true},   // no position left
      {"08:00", "~", " 8:00", "_8:00", "", true},        // the first hour digit is optional
      {"08:00", "!", "  :  ", "__:__", "", false},
      {"08:00", "!8", "8 :  ", "8_:__", "", false},
      {"08:00", "!~~830", "83:0 ", "83:0_", "", false},
      {"08:00", "><", "08:0 ", "08:0_", "", false},
      {"08:00", "><<<", "0 :  ", "0_:__", "", false},  // Backspace steps over the colon
      {"08:00", "><<<<<<", "  :  ", "__:__", "", false},
      {"07:15", "><<<815", "08:15", "08:15", "", true},
      {"", "", "  :  ", "__:__", "", false},
      {" 9:05", "", " 9:05", "_9:05", "", true},
      // A colon after one hour digit makes it the units of the hour.
      {"08:00", "!7:30", " 7:30", "_7:30", "", true},
      {"08:00", "7:30", " 7:30", "_7:30", "", true},  // typed over the old hour
      {"08:00", "!7:", " 7:  ", "_7:__", "", false},
      {"08:00", "!7::45", " 7:45", "_7:45", "", true},
      {"08:00", ":", "08:00", "08:00", ":", true},       // no hour digit before the caret
      {"08:00", "!7:30:", " 7:30", "_7:30", ":", true},  // nor in the minutes
      {"08:00", "!7.30", "73:0 ", "73:0_", ".", false},  // only the colon does it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.initial) + " + " + std::string(c.keys));
    HoraInicioMask mask(c.initial);
    EXPECT_EQ(Play(mask, c.keys), c.refused);
    EXPECT_EQ(mask.text(), c.text);
    EXPECT_EQ(mask.display(), c.display);
    EXPECT_EQ(mask.IsComplete(), c.complete);
  }
}

TEST(HoraInicioMaskTest, TypingMovesTheCaretPastTheColon) {
  struct Case {
    std::string_view initial;
    int caret;
    char key;
    std::string_view text;
    int caret_after;
  };
  const Case cases[] = {
      {"08:00", 1, '9', "09:00", 3}, {"09:00", 2, '4', "09:40", 4},  // on the colon: the digit goes
                                                                     // to the first minute
      {"08:00", 1, ':', " 0:00", 3},  // the digit before the caret is the hour
      {" 9:05", 1, ':', " 9:05", 3}, {"12:00", 2, ':', "12:00", 3}, {"12:00", 3, ':', "12:00", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.initial) + " at " + std::to_string(c.caret) + ": " + c.key);
    HoraInicioMask mask(c.initial);
    int caret = c.caret;
    EXPECT_TRUE(mask.Type(caret, c.key));
    EXPECT_EQ(mask.text(), c.text);
    EXPECT_EQ(caret, c.caret_after);
  }
}

TEST(HoraInicioMaskTest, PastedTextIsTypedOverTheSelection) {
  struct Case {
    std::string_view initial;
    int from, to;
    std::string_view pasted, text;
    int caret;
    bool taken;
  };
  const Case cases[] = {
      {"08:00", 0, 5, "7:30", " 7:30", 5, true},
      {"08:00", 0, 0, "7:30", " 7:30", 5, true},
      {"08:00", 0, 5, "12:30", "12:30", 5, true},
      {"08:00", 0, 5, "hora: 9:15 h", " 9:15", 5, true},
      {"08:00", 3, 5, "4", "08:4 ", 4, true},
      {"08:00", 0, 5, "abc", "  :  ", 0, false},  // the selection is emptied all the same
      {"08:00", 1, 1, "", "08:00", 1, false},
      {"08:00", 0, 5, "7:30\xc2\xa0", " 7:30", 5,
       true},  // bytes of other characters are passed over
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.initial) + " <- " + std::string(c.pasted));
    HoraInicioMask mask(c.initial);
    int caret = -1;
    EXPECT_EQ(mask.Insert(c.from, c.to, c.pasted, caret), c.taken);
    EXPECT_EQ(mask.text(), c.text);
    EXPECT_EQ(caret, c.caret);
  }
}

}  // namespace
}  // namespace pasahorario
