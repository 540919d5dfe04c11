#include "export/hora_inicio.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/error.h"
#include "export/time_text.h"

namespace pasahorario {
namespace {
using ::testing::ElementsAreArray;

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
                "Hora de Inicio de la primera clase: '" + c.answer + "':\n" + c.error);
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
