#include "export/tramos.h"

#include <map>
#include <string>
#include <string_view>

#include "base/error.h"
#include "base/text.h"
#include "base/unicode.h"
#include "delphos/reading.h"
#include "export/hora_inicio.h"
#include "export/table_writer.h"
#include "export/time_text.h"
#include "worktables/dbf_table.h"

namespace pasahorario {
namespace {

// A slot code split into the day digit (the day letter's digit, or the first
// character unchanged when it is no day letter) and the slot-number
// characters (the second and third characters, as many as there are).
struct SlotCode {
  std::string day;
  std::string number;
};

std::string DayDigit(std::string_view letter) {
  static constexpr std::string_view kDayLetters = "LMXJVSD";  // Monday to Sunday
  const size_t day = letter.size() == 1 ? kDayLetters.find(letter[0]) : std::string_view::npos;
  return day == std::string_view::npos ? std::string(letter) : std::string(1, char('1' + day));
}

SlotCode SplitSlotCode(std::string_view code) {
  if (code.empty()) return {};
  size_t letter_end = 0;
  NextCodePoint(code, letter_end);
  size_t number_end = letter_end;
  for (int i = 0; i < 2 && number_end < code.size(); ++i) NextCodePoint(code, number_end);
  return {DayDigit(code.substr(0, letter_end)),
          std::string(code.substr(letter_end, number_end - letter_end))};
}

// Where a record sits, for error messages.
std::string Place(size_t index, std::string_view code, std::string_view field) {
  return "Sección TRAMOS, registro " + std::to_string(index + 1) +
         (code.empty() ? std::string(", sin código de tramo") : ", tramo " + std::string(code)) +
         ", " + std::string(field);
}

constexpr std::string_view kSlotNumber = "número del tramo";
constexpr std::string_view kMinutes = "campo MINUTOS";

// The Monday slot with a given number: its length in minutes and the record
// that gave it (the last Monday record with that number).
struct MondaySlot {
  std::string length;
  size_t record = 0;
  std::string code;
};

// Start times by slot number. Slot 1 starts at `first_start` as entered;
// each Monday slot k >= 2 with a length starts where slot k - 1 ends, which
// needs slot k - 1's start and length. Slots without a start are absent.
std::map<int32_t, std::string> StartTimes(const std::map<int32_t, MondaySlot>& monday,
                                          const std::string& first_start) {
  std::map<int32_t, std::string> starts{{1, first_start}};
  for (const auto& [number, slot] : monday) {  // increasing numbers
    if (number < 2 || slot.length.empty()) continue;
    const auto previous_start = starts.find(number - 1);
    const auto previous_slot = monday.find(number - 1);
    // The length that fails is that of the slot before, whose record is
    // named; a slot without one before it is named itself.
    const MondaySlot& blamed = previous_slot == monday.end() ? slot : previous_slot->second;
    try {
      const int32_t length =
          ParseInteger(previous_slot == monday.end() ? "" : previous_slot->second.length);
      const int64_t begin =
          MinuteCount(previous_start == starts.end() ? "" : previous_start->second);
      starts[number] = TimeText(begin + length);
    } catch (const Error& e) {
      throw WithContext(e, Place(blamed.record, blamed.code, kMinutes));
    }
  }
  return starts;
}

// The `dato` names of positions 1 and 2, read by position for Monday's
// lengths; they only settle a tie among the section's own names.
constexpr std::string_view kTramosNames[] = {"", "NOMBRE", "MINUTOS"};

}  // namespace

int ExportarTramos(const delphos::XmlDocument& doc, const std::filesystem::path& table_file,
                   const AskStartTimeFn& ask_start_time, Report& report) {
  dbf::DbfTable table(table_file);
  table.Create(
      {dbf::TextField("DIHO", 10), dbf::TextField("CODDIHO", 10), dbf::TextField("DIA", 20),
       dbf::TextField("TEXTODIA", 20), dbf::TextField("HORA", 8), dbf::TextField("TEXTOHOR", 15),
       dbf::TextField("HORADESDE", 8), dbf::TextField("HORAHASTA", 8), dbf::TextField("MINUTOS", 8),
       dbf::TextField("MARCO", 1), dbf::TextField("MARCOXML", 10)});
  const std::string first_start = PedirHoraInicio(ask_start_time);
  const std::vector<delphos::XmlNode> records = delphos::SectionRecords(doc, "TRAMOS");

  // First pass: Monday's slot lengths, by position (slot code 1, length 2).
  std::map<int32_t, MondaySlot> monday;
  for (size_t i = 0; i < records.size(); ++i) {
    const delphos::RecordValues values(records[i]);
    const std::string& code = values.At(1);
    int32_t number;
    try {
      number = ParseInteger(SplitSlotCode(code).number);
    } catch (const Error& e) {
      throw WithContext(e, Place(i, code, kSlotNumber));
    }
    if (number > 0 && code.starts_with('L')) monday[number] = {values.At(2), i, code};
  }
  const std::map<int32_t, std::string> starts = StartTimes(monday, first_start);

  // Second pass: one row per record, its values taken by `dato` name.
  table.Open();
  TableWriter out(std::move(table), "DIASHORAST", "TRAMOS", report);
  const int diho = out.Field("DIHO"), coddiho = out.Field("CODDIHO"), dia = out.Field("DIA"),
            hora = out.Field("HORA"), textohor = out.Field("TEXTOHOR"),
            horadesde = out.Field("HORADESDE"), horahasta = out.Field("HORAHASTA"),
            minutos = out.Field("MINUTOS"), marco = out.Field("MARCO");
  out.WatchKey(diho, "código de tramo");
  out.WatchKey(coddiho, "código DELPHOS de tramo",
               {.consequence = "las actividades de esos tramos irán al mismo tramo de DELPHOS"});
  const delphos::SectionNames names(records, kTramosNames);
  for (size_t i = 0; i < records.size(); ++i) {
    const delphos::RecordValues values(records[i]);
    out.CheckNames(static_cast<int>(i + 1), names, values);
    std::string code, delphos_code, length;
    for (int p = 0; p < values.count(); ++p) {
      const std::string& name = values.NameAt(p);
      if (name == "CODIGO_DELPHOS") {
        delphos_code = values.At(p);
      } else if (name == "NOMBRE" || name == "DIA") {
        code = values.At(p);
      } else if (name == "MINUTOS") {
        length = values.At(p);
      }
    }
    const SlotCode slot = SplitSlotCode(code);
    std::string start, end;
    std::string_view field = kSlotNumber;
    try {
      const auto found = starts.find(ParseInteger(slot.number));
      if (found != starts.end()) start = found->second;
      const int64_t begin = MinuteCount(start);  // none: no start for the slot's number
      field = kMinutes;
      end = TimeText(begin + ParseInteger(length));
    } catch (const Error& e) {
      throw WithContext(e, Place(i, code, field));
    }
    out.Append(static_cast<int>(i + 1));
    out.SetText(diho, slot.day + slot.number);
    out.SetText(dia, slot.day);
    out.SetText(hora, slot.number);
    out.SetText(coddiho, delphos_code);
    out.SetText(textohor, slot.number + "-" + start + "-" + end);
    out.SetText(horadesde, start);
    out.SetText(horahasta, end);
    out.SetText(minutos, length);
    out.SetText(marco, "0");
    out.Post();
  }
  return out.Close();
}

}  // namespace pasahorario
