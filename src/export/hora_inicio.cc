#include "export/hora_inicio.h"

#include "base/error.h"
#include "export/time_text.h"

namespace pasahorario {
namespace {

constexpr int kColon = 2;
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
  if (!IsDigit(c)) return false;
  int pos = caret < 0 ? 0 : caret;
  if (pos == kColon) ++pos;
  if (pos >= kLength) return false;
  text_[pos] = c;
  caret = pos + 1 == kColon ? kColon + 1 : pos + 1;
  return true;
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

std::string PedirHoraInicio(const AskStartTimeFn& ask) {
  std::string entry = "08:00";
  for (;;) {
    entry = ask(entry);
    const std::string start = entry.substr(0, HoraInicioMask::kLength);
    try {
      // Out of range: the dialog comes back with the text as it was left.
      // A negative part cannot come from the entry and is refused alike.
      const int32_t hours = HourPart(start);
      if (hours > 23 || hours < 0) continue;
      const int32_t minutes = MinutePart(start);
      if (minutes > 59 || minutes < 0) continue;
    } catch (const Error& e) {
      throw WithContext(e, "Hora de Inicio de la primera clase: '" + start + "'");
    }
    return start;
  }
}

}  // namespace pasahorario
