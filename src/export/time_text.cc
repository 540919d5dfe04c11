#include "export/time_text.h"

#include "base/text.h"

namespace pasahorario {
namespace {

std::string LastTwo(int64_t value) {
  const std::string text = "00" + std::to_string(value);
  return text.substr(text.size() - 2);
}

}  // namespace

std::string TimeText(int64_t minutes) {
  return LastTwo(minutes / 60) + ":" + LastTwo(minutes % 60);
}

int32_t HourPart(std::string_view text) { return ParseInteger(text.substr(0, 2)); }

int32_t MinutePart(std::string_view text) {
  return ParseInteger(text.size() > 3 ? text.substr(3, 2) : std::string_view());
}

int64_t MinuteCount(std::string_view text) {
  return int64_t{HourPart(text)} * 60 + MinutePart(text);
}

}  // namespace pasahorario
