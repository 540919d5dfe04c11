// The class start time: how the export asks for it, and the loop that asks
// until the time is in range.
#pragma once
#include <functional>
#include <string>

namespace pasahorario {

// Shows the start-time dialog with the given entry text and returns the
// entry's text when it closes.
using AskStartTimeFn = std::function<std::string(const std::string& entry)>;

// Shows the start-time dialog (starting at "08:00") until its first five
// characters read as an hour up to 23 (characters 1-2, leading blanks
// allowed) and minutes up to 59 (characters 4-5); each repeat shows the
// text as the user left it (a negative part, which the entry cannot hold,
// is refused alike). Returns the text exactly as entered. A part that is
// not a whole number throws the integer conversion error, with a second
// line naming the text entered.
std::string PedirHoraInicio(const AskStartTimeFn& ask);

}  // namespace pasahorario
