#include "cli/start_time_text.h"

#include "base/error.h"
#include "base/text.h"

namespace pasahorario {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int TwoDigits(std::string_view text) {
  return (text[0] == ' ' ? 0 : text[0] - '0') * 10 + (text[1] - '0');
}

}  // namespace

std::optional<std::string> StartTimeEntry(std::string_view typed) {
  typed = TrimmedText(typed);
  if (typed.size() != 4 && typed.size() != 5) return std::nullopt;
  std::string entry(5 - typed.size(), ' ');  // a left-out first hour digit is a blank
  entry.append(typed);
  const bool well_formed = (entry[0] == ' ' || IsDigit(entry[0])) && IsDigit(entry[1]) &&
                           entry[2] == ':' && IsDigit(entry[3]) && IsDigit(entry[4]);
  if (!well_formed) return std::nullopt;
  return entry;
}

std::string StartTimeOption(std::string_view typed) {
  const std::optional<std::string> entry = StartTimeEntry(typed);
  std::string quoted(1, '\'');
  quoted.append(typed).push_back('\'');
  if (!entry) {
    throw Error("La hora de inicio " + quoted +
                " no es válida: escríbala como HH:MM o H:MM, por ejemplo 08:00");
  }
  if (TwoDigits(*entry) > 23) {
    throw Error("La hora de inicio " + quoted + " no es válida: la hora no puede pasar de 23");
  }
  if (TwoDigits(std::string_view(*entry).substr(3)) > 59) {
    throw Error("La hora de inicio " + quoted + " no es válida: los minutos no pueden pasar de 59");
  }
  return *entry;
}

}  // namespace pasahorario
