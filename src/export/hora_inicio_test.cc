#include "export/hora_inicio.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/error.h"
#include "export/time_text.h"

namespace pasahorario {
namespace {
using ::testing::ElementsAreArray;

// Plays `keys` on a mask holding `initial` with the caret at 0: a digit or
// letter is typed, '<' is Backspace, '~' is Delete at the caret, '!' clears
// everything (select all, Delete), '>' puts the caret at the end. Returns
// the keys that were refused.
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
      {"08:00", "1a2:34", "12:34", "12:34", "a:", true},  // the colon is skipped, not typed
      {"08:00", "12345", "12:34", "12:34", "5", true},    // no position left
      {"08:00", "~", " 8:00", "_8:00", "", true},         // the first hour digit is optional
      {"08:00", "!", "  :  ", "__:__", "", false},
      {"08:00", "!8", "8 :  ", "8_:__", "", false},
      {"08:00", "!~~830", "83:0 ", "83:0_", "", false},
      {"08:00", "><", "08:0 ", "08:0_", "", false},
      {"08:00", "><<<", "0 :  ", "0_:__", "", false},  // Backspace steps over the colon
      {"08:00", "><<<<<<", "  :  ", "__:__", "", false},
      {"07:15", "><<<815", "08:15", "08:15", "", true},
      {"", "", "  :  ", "__:__", "", false},
      {" 9:05", "", " 9:05", "_9:05", "", true},
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
  HoraInicioMask mask;
  int caret = 1;
  EXPECT_TRUE(mask.Type(caret, '9'));
  EXPECT_EQ(caret, 3);
  caret = 2;  // on the colon: the digit goes to the first minute
  EXPECT_TRUE(mask.Type(caret, '4'));
  EXPECT_EQ(mask.text(), "09:40");
  EXPECT_EQ(caret, 4);
}

TEST(PedirHoraInicioTest, AsksAgainUntilHourAndMinutesAreInRange) {
  struct Case {
    std::vector<std::string> answers;
    std::string result;
    std::vector<std::string> prompts;
  };
  const Case cases[] = {
      {{"08:00"}, "08:00", {"08:00"}},
      {{" 8:00"}, " 8:00", {"08:00"}},
      {{"23:59"}, "23:59", {"08:00"}},
      {{"00:00"}, "00:00", {"08:00"}},
      {{"24:00", "23:00"}, "23:00", {"08:00", "24:00"}},
      {{"08:60", "99:99", "08:59"}, "08:59", {"08:00", "08:60", "99:99"}},
      {{"25:xx", "07:30"}, "07:30", {"08:00", "25:xx"}},  // minutes are not read then
      {{"09:15 y algo"}, "09:15", {"08:00"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers.front());
    std::vector<std::string> prompts;
    const std::string result = PedirHoraInicio([&](const std::string& entry) {
      prompts.push_back(entry);
      return c.answers.at(prompts.size() - 1);
    });
    EXPECT_EQ(result, c.result);
    EXPECT_THAT(prompts, ElementsAreArray(c.prompts));
  }
}

TEST(PedirHoraInicioTest, APartThatIsNoNumberIsTheConversionError) {
  struct Case {
    std::string answer, error;
  };
  const Case cases[] = {
      {"ab:00", "'ab' is not a valid integer value"},
      {"08:5x", "'5x' is not a valid integer value"},
      {"8:00", "'8:' is not a valid integer value"},
      {"08", "'' is not a valid integer value"},
  };
  for (const Case& c : cases) {
    try {
      PedirHoraInicio([&](const std::string&) { return c.answer; });
      ADD_FAILURE() << c.answer << ": no error";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()),
                c.error + "\nHora de Inicio de la primera clase: '" + c.answer + "'");
    }
  }
}

TEST(TimeTextTest, MinuteCountsAndBack) {
  struct Case {
    int64_t minutes;
    std::string_view text;
  };
  const Case cases[] = {{0, "00:00"},    {480, "08:00"},  {535, "08:55"},  {1439, "23:59"},
                        {1470, "24:30"}, {5999, "99:59"}, {6000, "00:00"}, {6061, "01:01"}};
  for (const Case& c : cases) {
    EXPECT_EQ(TimeText(c.minutes), c.text) << c.minutes;
  }
  EXPECT_EQ(MinuteCount("08:55"), 535);
  EXPECT_EQ(MinuteCount(" 8:05"), 485);
  EXPECT_EQ(MinuteCount("24:30"), 1470);
  EXPECT_THROW(MinuteCount(""), Error);
}

}  // namespace
}  // namespace pasahorario
