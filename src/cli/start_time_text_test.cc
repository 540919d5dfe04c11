#include "cli/start_time_text.h"

#include <gtest/gtest.h>

#include "base/error.h"

namespace pasahorario {
namespace {

TEST(StartTimeTextTest, TakesTheTwoWrittenFormsAsTheEntryWouldHoldThem) {
  struct Case {
    std::string_view typed, entry;
  };
  const Case cases[] = {
      {"08:00", "08:00"}, {"8:00", " 8:00"},  {"  9:15 ", " 9:15"},
      {"23:59", "23:59"}, {"00:00", "00:00"}, {"0:05", " 0:05"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    EXPECT_EQ(StartTimeEntry(c.typed), c.entry);
    EXPECT_EQ(StartTimeOption(c.typed), c.entry);
  }
}

TEST(StartTimeTextTest, RefusesMalformedAndOutOfRangeTimesWithTheReason) {
  struct Case {
    std::string_view typed, reason;
  };
  const Case cases[] = {
      {"", "HH:MM"},
      {"8", "HH:MM"},
      {"800", "HH:MM"},
      {"08.00", "HH:MM"},
      {"08:0", "HH:MM"},
      {"008:00", "HH:MM"},
      {"-1:00", "HH:MM"},
      {"8:0a", "HH:MM"},
      {"08:00:00", "HH:MM"},
      {"０8:00", "HH:MM"},
      {"24:00", "la hora no puede pasar de 23"},
      {"99:00", "la hora no puede pasar de 23"},
      {"08:60", "los minutos no pueden pasar de 59"},
      {"9:99", "los minutos no pueden pasar de 59"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    if (c.reason == "HH:MM") {
      EXPECT_FALSE(StartTimeEntry(c.typed).has_value());
    }
    try {
      StartTimeOption(c.typed);
      ADD_FAILURE() << "accepted";
    } catch (const Error& e) {
      const std::string message = e.what();
      EXPECT_NE(message.find("'" + std::string(c.typed) + "'"), std::string::npos) << message;
      EXPECT_NE(message.find(c.reason), std::string::npos) << message;
    }
  }
}

}  // namespace
}  // namespace pasahorario
