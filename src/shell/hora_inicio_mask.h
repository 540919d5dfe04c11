// Editing rules of the start-time dialog's masked entry MEHora0 (mask
// "!90:00;1;_"), kept apart from the window so that they can be tested
// anywhere: what each key, deletion and paste does to the entry's text.
#pragma once
#include <string>
#include <string_view>

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

  // Typing `c` with the caret at `caret` (0..5). A digit fills the next
  // editable position at or after the caret (skipping the colon) and the
  // caret moves past it. A ":" goes on in the minutes: with the caret right
  // after a first hour digit, that digit becomes the units of the hour
  // ("7" then ":" holds " 7:"); with the caret after the first hour
  // position or at the colon, the caret moves to the first minute. Returns
  // false, changing nothing, for anything else or when no position is left.
  bool Type(int& caret, char c);
  // Typing or pasting `text` over the selection [from, to): the selected
  // positions are emptied, the caret goes to `from`, then each character is
  // typed in turn (those Type refuses are passed over) and `caret` ends
  // after the last one taken. Returns false when no character was taken.
  bool Insert(int from, int to, std::string_view text, int& caret);
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

}  // namespace pasahorario
