// The first class start time as the console takes it: "HH:MM" or "H:MM",
// turned into the text the start-time dialog's entry would hold.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace pasahorario {

// The entry text for `typed` (blanks around it ignored): "08:30" stays,
// "8:30" becomes " 8:30" (the optional first hour digit left blank).
// Nothing when `typed` is not one or two digits, ":" and two digits. The
// range is not checked.
std::optional<std::string> StartTimeEntry(std::string_view typed);

// The entry text for the --hora-inicio option. Throws Error saying why
// when `typed` is malformed or out of range (hour above 23, minutes above 59).
std::string StartTimeOption(std::string_view typed);

}  // namespace pasahorario
