#include "export/hora_inicio.h"

#include "base/error.h"
#include "export/time_text.h"

namespace pasahorario {
namespace {

// Characters of the entry that hold the time: "HH:MM".
constexpr size_t kStartLength = 5;

}  // namespace

std::string PedirHoraInicio(const AskStartTimeFn& ask) {
  std::string entry = "08:00";
  for (;;) {
    entry = ask(entry);
    const std::string start = entry.substr(0, kStartLength);
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
