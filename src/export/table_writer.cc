#include "export/table_writer.h"

#include <algorithm>
#include <utility>

#include "base/text.h"
#include "base/unicode.h"
#include "worktables/codepage.h"

namespace pasahorario {
namespace {

// A text value as a text field of `width` bytes keeps it.
struct Stored {
  std::string text;                  // read back: decoded, without trailing blanks
  bool cut = false;                  // more than trailing blanks did not fit
  std::vector<std::string> missing;  // characters of the kept part stored as "?"
};

bool IsCombiningMark(std::string_view utf8, size_t pos) {
  if (pos >= utf8.size()) return false;
  size_t next = pos;
  const char32_t c = NextCodePoint(utf8, next);
  return c >= 0x300 && c <= 0x36F;
}

Stored Store(std::string_view value, int width) {
  const dbf::CodePage& page = dbf::CodePage::Windows1252();
  bool exact = true;
  std::string bytes = page.Encode(value, &exact);
  const size_t kept = std::min(bytes.size(), static_cast<size_t>(width));
  Stored stored;
  stored.cut = bytes.find_last_not_of(' ') + 1 > kept;  // npos + 1 == 0
  bytes.resize(kept);
  bytes.erase(bytes.find_last_not_of(' ') + 1);
  stored.text = page.Decode(bytes);
  if (exact) return stored;

  // Character by character (a letter with its combining accents as one, as
  // the encoder composes them), up to the end of the kept part.
  size_t encoded = 0;
  for (size_t pos = 0; pos < value.size() && encoded < kept;) {
    const size_t begin = pos;
    NextCodePoint(value, pos);
    while (IsCombiningMark(value, pos)) NextCodePoint(value, pos);
    const std::string_view character = value.substr(begin, pos - begin);
    bool held = true;
    encoded += page.Encode(character, &held).size();
    if (!held && std::ranges::find(stored.missing, character) == stored.missing.end()) {
      stored.missing.emplace_back(character);
    }
  }
  return stored;
}

std::string Quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

// "1", "1 y 2", "1, 2 y 3"; past `limit` items, the first ones and "y N más".
std::string JoinedList(const std::vector<std::string>& items, size_t limit = 10) {
  std::string text;
  const size_t shown = items.size() > limit ? limit : items.size();
  for (size_t i = 0; i < shown; ++i) {
    if (i > 0) text += i + 1 == shown && shown == items.size() ? " y " : ", ";
    text += items[i];
  }
  if (shown < items.size()) text += " y " + std::to_string(items.size() - shown) + " más";
  return text;
}

std::string Characters(int n) { return std::to_string(n) + (n == 1 ? " carácter" : " caracteres"); }

}  // namespace

TableWriter::TableWriter(dbf::DbfTable table, std::string table_name, std::string section,
                         Report& report)
    : table_(std::move(table)),
      table_name_(std::move(table_name)),
      section_(std::move(section)),
      report_(report) {
  for (const auto& field : table_.fields()) {
    fields_.push_back({field.name, field.width, field.type == 'C'});
  }
}

void TableWriter::WatchKey(int field, std::string what, KeyRules rules) {
  keys_.push_back({field, std::move(what), std::move(rules), {}, {}});
}

void TableWriter::CheckNames(int record, const delphos::SectionNames& names,
                             const delphos::RecordValues& values) {
  const std::optional<delphos::NameMismatch> wrong = names.Check(values);
  if (!wrong) return;
  const std::string position = std::to_string(wrong->position + 1);
  std::string text = "Los valores no están en el orden de los demás registros: en la posición " +
                     position + " se esperaba " + Quoted(wrong->expected) + " y " +
                     (wrong->absent          ? std::string("no hay ningún valor")
                      : wrong->found.empty() ? std::string("hay un valor sin nombre")
                                             : "está " + Quoted(wrong->found));
  if (wrong->others > 0) {
    text += " (y " + std::to_string(wrong->others) +
            (wrong->others == 1 ? " posición más no coincide)" : " posiciones más no coinciden)");
  }
  text +=
      ". Los valores se toman por su posición, así que pueden haber ido a campos "
      "equivocados de " +
      table_name_ + "; revise ese registro en DELPHOS.";
  report_.Add({FindingKind::kMisplacedValues, section_, record, wrong->found, text});
}

void TableWriter::Append(int record) {
  table_.Append();
  record_ = record;
}

namespace {

// What to do about a value cut to its field. The codes DELPHOS gives its
// records (employee, subject, room, group, time slot) are not the school's
// to shorten, and the import sends them back as the table holds them.
std::string CutAdvice(std::string_view field) {
  for (std::string_view code : {"X_EMPLEADO", "MATERIA", "DEPCENTRO", "UNIDAD", "MARCOXML"}) {
    if (field == code) {
      return "; es un código de DELPHOS, que no se puede acortar allí: la importación lo "
             "devolverá recortado y DELPHOS no lo reconocerá. Consulte al servicio de ayuda de "
             "DELPHOS.";
    }
  }
  return "; si así no sirve, acórtelo en DELPHOS.";
}

}  // namespace

void TableWriter::SetText(int field, std::string_view value) {
  const FieldInfo& layout = fields_.at(static_cast<size_t>(field));
  if (layout.text) {
    const Stored stored = Store(value, layout.width);
    if (stored.cut) {
      report_.Add({FindingKind::kCut, section_, record_, std::string(value),
                   "El valor " + Quoted(value) + " no cabe en el " + FieldLabel(field) + " (" +
                       Characters(layout.width) + ") y se ha recortado a " + Quoted(stored.text) +
                       CutAdvice(layout.name)});
    }
    if (!stored.missing.empty()) {
      std::vector<std::string> shown;
      for (const std::string& c : stored.missing) shown.push_back(Quoted(c));
      report_.Add({FindingKind::kReplaced, section_, record_, std::string(value),
                   "El valor " + Quoted(value) + " del " + FieldLabel(field) +
                       " tiene caracteres que la tabla (Windows-1252) no puede guardar (" +
                       JoinedList(shown) + ") y se ha guardado como " + Quoted(stored.text) +
                       "; si así no sirve, cámbielos en DELPHOS."});
    }
  }
  table_.SetText(field, value);
  NoteKey(field, value, true);
  for (const Key& key : keys_) {
    if (key.field != field || !IsBlank(value)) continue;
    report_.Add({FindingKind::kBlankKey, section_, record_, std::string(value),
                 "El " + FieldLabel(field) + " (" + key.what +
                     ") queda en blanco: la importación no podrá relacionar esta fila con el "
                     "horario de Tablerix. Complete ese dato en DELPHOS y exporte de nuevo."});
  }
}

void TableWriter::Post() {
  table_.Post();
  ++rows_;
}

void TableWriter::Skip(int record, const std::string& reason) {
  auto it = std::ranges::find(skipped_, reason, &SkipReason::reason);
  if (it == skipped_.end()) {
    skipped_.push_back(SkipReason{reason, {}});
    it = skipped_.end() - 1;
  }
  it->records.push_back(record);
}

void TableWriter::Skip(int record, const std::string& reason, int field,
                       std::string_view key_value) {
  Skip(record, reason);
  const int current = record_;
  record_ = record;
  NoteKey(field, key_value, false);
  record_ = current;
}

void TableWriter::NoteKey(int field, std::string_view value, bool written) {
  for (Key& key : keys_) {
    if (key.field != field) continue;
    std::string stored = Store(value, fields_.at(static_cast<size_t>(field)).width).text;
    const std::string text = key.rules.ignoring_case ? CaseFoldKey(stored) : stored;
    auto [it, added] = key.by_text.try_emplace(text, key.groups.size());
    if (added) key.groups.push_back({std::move(stored), {}});
    key.groups[it->second].entries.push_back({record_, std::string(value), written});
  }
}

int TableWriter::Close() {
  table_.Close();
  for (const Key& key : keys_) {
    for (const KeyGroup& group : key.groups) {
      if (group.entries.size() > 1) ReportKey(key, group);
    }
  }
  if (!skipped_.empty()) {
    size_t total = 0;
    std::vector<std::string> parts;
    for (const SkipReason& s : skipped_) {
      total += s.records.size();
      std::vector<std::string> numbers;
      for (int r : s.records) numbers.push_back(std::to_string(r));
      parts.push_back((s.records.size() == 1 ? "el " : "los ") + JoinedList(numbers) + " (con " +
                      s.reason + ")");
    }
    const bool one = total == 1;
    std::string text = std::to_string(total) + (one ? " registro de " : " registros de ") +
                       section_ + (one ? " no se ha pasado a " : " no se han pasado a ") +
                       table_name_ + ": ";
    for (size_t i = 0; i < parts.size(); ++i) text += (i > 0 ? "; " : "") + parts[i];
    text += ". Revise esos registros en DELPHOS si debían pasar.";
    report_.Add({FindingKind::kSkipped, section_, 0, "", text});
  }
  return rows_;
}

void TableWriter::ReportKey(const Key& key, const KeyGroup& group) {
  const std::vector<KeyEntry>& entries = group.entries;
  const auto same = [&](const std::string& a, const std::string& b) {
    return key.rules.ignoring_case ? CaseFoldKey(a) == CaseFoldKey(b) : a == b;
  };
  const bool repeated = std::ranges::all_of(
      entries, [&](const KeyEntry& e) { return same(e.value, entries[0].value); });
  const bool all_spelled_alike =
      std::ranges::all_of(entries, [&](const KeyEntry& e) { return e.value == entries[0].value; });
  const bool all_written = std::ranges::all_of(entries, &KeyEntry::written);

  // "2 y 5"; when the spellings differ, "2 ('ÁLG') y 5 ('álg')".
  std::vector<std::string> records, spelled;
  for (const KeyEntry& e : entries) {
    records.push_back(std::to_string(e.record));
    spelled.push_back(std::to_string(e.record) + " (" + Quoted(e.value) + ")");
  }
  std::string text;
  if (repeated) {
    text = (entries[0].value.empty() ? std::string("El valor vacío")
                                     : "El valor " + Quoted(entries[0].value)) +
           " se repite en el " + FieldLabel(key.field) + " (" + key.what + ")" +
           (all_spelled_alike ? "" : ", sin distinguir mayúsculas de minúsculas,") +
           " en los registros " + JoinedList(all_spelled_alike ? records : spelled) + " de " +
           section_;
  } else {
    text = "Los registros " + JoinedList(spelled, entries.size()) + " de " + section_ +
           " quedan iguales en el " + FieldLabel(key.field) + " (" + key.what +
           "), donde se guardan como " + Quoted(group.stored) + " (" +
           Characters(fields_.at(static_cast<size_t>(key.field)).width) + ")";
  }
  if (!all_written) {
    std::vector<std::string> kept;
    for (const KeyEntry& e : entries) {
      if (e.written) kept.push_back(std::to_string(e.record));
    }
    text += "; solo " + std::string(kept.size() == 1 ? "el registro " : "los registros ") +
            JoinedList(kept) + (kept.size() == 1 ? " se ha pasado a " : " se han pasado a ") +
            table_name_;
  } else {
    text += "; " + key.rules.consequence;
  }
  text += repeated ? ". Cambie en DELPHOS los registros repetidos para que ninguno coincida."
                   : ". Cambie en DELPHOS esos valores para que se distingan en lo que cabe.";
  report_.Add({repeated ? FindingKind::kDuplicateKey : FindingKind::kCutCollision, section_, 0,
               entries[0].value, text});
}

std::string TableWriter::FieldLabel(int field) const {
  return "campo " + fields_.at(static_cast<size_t>(field)).name + " de " + table_name_;
}

}  // namespace pasahorario
