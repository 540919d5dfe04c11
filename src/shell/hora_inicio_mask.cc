#include "shell/hora_inicio_mask.h"

namespace pasahorario {
namespace {

constexpr int kColon = 2;
constexpr int kFirstMinute = kColon + 1;
constexpr std::string_view kEmpty = "  :  ";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

HoraInicioMask::HoraInicioMask(std::string_view text) : text_(kEmpty) {
  for (int i = 0; i < kLength && i < static_cast<int>(text.size()); ++i) {
    if (i != kColon && IsDigit(text[i])) text_[i] = text[i];
  }
}

std::string HoraInicioMask::display() const {
  std::string shown = text_;
  for (int i = 0; i < kLength; ++i) {
    if (i != kColon && shown[i] == ' ') shown[i] = '_';
  }
  return shown;
}

bool HoraInicioMask::Type(int& caret, char c) {
  if (c == ':') {
    // "7:30" as people write it: the hour has one digit, held in the units.
    if (caret < 1 || caret > kFirstMinute) return false;
    if (caret == 1 && IsDigit(text_[0])) {
      text_[1] = text_[0];
      text_[0] = ' ';
    }
    caret = kFirstMinute;
    return true;
  }
  if (!IsDigit(c)) return false;
  int pos = caret < 0 ? 0 : caret;
  if (pos == kColon) ++pos;
  if (pos >= kLength) return false;
  text_[pos] = c;
  caret = pos + 1 == kColon ? kFirstMinute : pos + 1;
  return true;
}

bool HoraInicioMask::Insert(int from, int to, std::string_view text, int& caret) {
  if (to > from) Delete(from, to);
  caret = from;
  bool taken = false;
  for (char c : text) taken = Type(caret, c) || taken;
  return taken;
}

void HoraInicioMask::Delete(int from, int to) {
  if (to <= from) to = from + 1;
  for (int i = from < 0 ? 0 : from; i < to && i < kLength; ++i) {
    if (i != kColon) text_[i] = ' ';
  }
}

void HoraInicioMask::Backspace(int& caret) {
  int pos = (caret > kLength ? kLength : caret) - 1;
  if (pos == kColon) --pos;
  if (pos < 0) return;
  text_[pos] = ' ';
  caret = pos;
}

bool HoraInicioMask::IsComplete() const {
  return IsDigit(text_[1]) && IsDigit(text_[3]) && IsDigit(text_[4]);
}

}  // namespace pasahorario
