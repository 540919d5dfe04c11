// The class start time: the entry's mask "!90:00;1;_" as portable editing
// logic (for the window's masked entry), and the loop that asks until the
// time is in range (for the export).
#pragma once
#include <string>
#include <string_view>

#include "export/exportar.h"

namespace pasahorario {

// Text of the refusal when the entry is left with a required digit missing.
inline constexpr std::string_view kEntradaNoValida =
    "Invalid input value.  Use escape key to abandon changes";

// Two hour positions (the first one optional), the literal ":", two minute
// positions; every position takes a digit only. The text is held with the
// literal and with a blank in each empty position ("08:00", " 8:00").
class HoraInicioMask {
 public:
  static constexpr int kLength = 5;

  explicit HoraInicioMask(std::string_view text = "08:00");

  // The entry's text: always five characters, blanks where empty.
  const std::string& text() const { return text_; }
  // What the entry shows: "_" in each empty position.
  std::string display() const;

  // Typing `c` with the caret at `caret` (0..5): a digit fills the next
  // editable position at or after the caret (skipping the colon) and the
  // caret moves past it. Returns false, changing nothing, for anything else
  // or when no position is left.
  bool Type(int& caret, char c);
  // Delete key: empties the editable positions in [from, to), or the one at
  // `from` when the range is empty.
  void Delete(int from, int to);
  // Backspace: empties the editable position before the caret and moves it.
  void Backspace(int& caret);

  // True when every required position (2nd hour digit and both minute
  // digits) holds a digit.
  bool IsComplete() const;

 private:
  std::string text_;
};

// Shows the start-time dialog (starting at "08:00") until its first five
// characters read as an hour up to 23 (characters 1-2, leading blanks
// allowed) and minutes up to 59 (characters 4-5); each repeat shows the
// text as the user left it (a negative part, which the entry cannot hold,
// is refused alike). Returns the text exactly as entered. A part that is
// not a whole number throws the integer conversion error, with a second
// line naming the text entered.
std::string PedirHoraInicio(const AskStartTimeFn& ask);

}  // namespace pasahorario
