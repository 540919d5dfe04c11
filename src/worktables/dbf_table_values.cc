// DbfTable: reading and writing the fields of the current row.
#include <cmath>
#include <cstring>

#include "base/error.h"
#include "base/message_text.h"
#include "base/text.h"
#include "worktables/dbf_table.h"
#include "worktables/field_value.h"
#include "worktables/table_state.h"

namespace pasahorario::dbf {
namespace {

bool IsNumericText(char type) { return type == 'N' || type == 'F'; }

}  // namespace

bool DbfTable::Impl::IsLevel7Long(int field) const {
  const char type = specs[field].type;
  return flavor == Flavor::kLevel7 && (type == 'I' || type == '+');
}

bool DbfTable::Impl::IsLevel7Double(int field) const {
  return flavor == Flavor::kLevel7 && specs[field].type == 'O';
}

// The number in the current row's `field`, when it holds a numeric type:
// nothing for a blank; Error naming the row for text that is no number.
std::optional<double> DbfTable::Impl::StoredNumberOf(int field) const {
  const Impl& t = *this;
  const std::string_view bytes = t.raw(t.current, field);
  const char type = t.specs[field].type;
  if (IsNumericText(type)) {
    const StoredNumber number = ParseNumberText(bytes);
    if (number.status == StoredNumber::kInvalid) {
      throw Error("En " + t.FieldLabel(field) + ", fila " + std::to_string(t.current + 1) +
                  ", hay '" + EscapedForMessage(t.Decode(TrimmedText(bytes))) +
                  "', que no es un número");
    }
    if (number.status == StoredNumber::kBlank) return std::nullopt;
    return number.value;
  }
  if (t.IsLevel7Long(field)) {
    const std::optional<int32_t> value = DecodeLevel7Long(bytes.data());
    if (!value) return std::nullopt;
    return *value;
  }
  if (t.IsLevel7Double(field)) return DecodeLevel7Double(bytes.data());
  if (t.flavor == Flavor::kVisualFoxPro || t.flavor == Flavor::kDbase) {
    if (type == 'I') return DecodeLittleEndianLong(bytes.data());
    if (t.flavor == Flavor::kVisualFoxPro && type == 'B')
      return DecodeLittleEndianDouble(bytes.data());
    if (t.flavor == Flavor::kVisualFoxPro && type == 'Y') return DecodeCurrency(bytes.data());
  }
  throw Error("No se puede leer como número " + t.FieldLabel(field));
}

bool DbfTable::Impl::HoldsNumber(int field) const {
  const Impl& t = *this;
  const char type = t.specs[field].type;
  return IsNumericText(type) || t.IsLevel7Long(field) || t.IsLevel7Double(field) ||
         (type == 'I' && t.flavor != Flavor::kLevel7) ||
         (t.flavor == Flavor::kVisualFoxPro && (type == 'B' || type == 'Y'));
}

void DbfTable::Impl::TooWide(int field, const std::string& number) const {
  throw Error("El número " + number + " no cabe en " + FieldLabel(field));
}

// Stores `number` (in decimal: `text`) in a numeric field.
void DbfTable::Impl::StoreNumber(int field, double number, const std::string& text) {
  Impl& t = *this;
  const FieldLayout& f = t.specs[field];
  char* out = t.raw_mutable(field);
  if (IsNumericText(f.type)) {
    std::string stored;
    if (!FormatNumber(number, f.width, f.decimals, stored)) t.TooWide(field, text);
    std::memcpy(out, stored.data(), stored.size());
  } else if (t.IsLevel7Long(field)) {
    const double whole = std::round(number);
    if (!(whole >= kLevel7LongMin && whole <= INT32_MAX)) t.TooWide(field, text);
    EncodeLevel7Long(static_cast<int32_t>(whole), out);
  } else if (t.IsLevel7Double(field)) {
    if (!std::isfinite(number)) t.TooWide(field, text);
    EncodeLevel7Double(number, out);
  } else if (f.type == 'C') {
    const std::string_view shown = TrimmedText(text);
    if (shown.size() > static_cast<size_t>(f.width)) t.TooWide(field, text);
    std::memset(out, ' ', static_cast<size_t>(f.width));
    std::memcpy(out, shown.data(), shown.size());
  } else {
    throw Error("No se puede escribir un número en " + t.FieldLabel(field));
  }
}

std::string DbfTable::Text(int field) const {
  const Impl& t = *impl_;
  t.RequireRow(field);
  return t.Reading([&] { return t.TextAt(t.current, field); });
}

int32_t DbfTable::Integer(int field) const {
  const Impl& t = *impl_;
  t.RequireRow(field);
  return t.Reading([&] { return t.IntegerAt(field); });
}

int32_t DbfTable::Impl::IntegerAt(int field) const {
  const Impl& t = *this;
  if (!t.HoldsNumber(field)) {
    const std::string text = t.TextAt(t.current, field);
    try {
      return ParseInteger(text);
    } catch (const Error& e) {
      throw WithContext(Error(EscapedForMessage(e.what())), t.RowContext(field));
    }
  }
  const std::optional<double> value = t.StoredNumberOf(field);
  if (!value) return 0;
  const double whole = std::round(*value);
  if (!(whole >= INT32_MIN && whole <= INT32_MAX)) {
    throw Error("En " + t.FieldLabel(field) + ", fila " + std::to_string(t.current + 1) + ", hay " +
                NumberText(*value) + ", que no cabe en un número entero");
  }
  return static_cast<int32_t>(whole);
}

double DbfTable::Float(int field) const {
  const Impl& t = *impl_;
  t.RequireRow(field);
  return t.Reading([&] { return t.FloatAt(field); });
}

double DbfTable::Impl::FloatAt(int field) const {
  const Impl& t = *this;
  if (t.HoldsNumber(field)) return t.StoredNumberOf(field).value_or(0);
  if (t.specs[field].type != 'C')
    throw Error("No se puede leer como número " + t.FieldLabel(field));
  const std::string text = t.TextAt(t.current, field);
  const StoredNumber number = ParseNumberText(text);
  if (number.status == StoredNumber::kInvalid) {
    throw Error("'" + EscapedForMessage(text) + "' no es un número\n" + t.RowContext(field));
  }
  return number.value;
}

std::optional<bool> DbfTable::Logical(int field) const {
  const Impl& t = *impl_;
  t.RequireRow(field);
  if (t.specs[field].type != 'L') throw Error("No es lógico " + t.FieldLabel(field));
  return ParseLogical(t.raw(t.current, field)[0]);
}

void DbfTable::SetText(int field, std::string_view utf8) {
  Impl& t = *impl_;
  t.RequireNewRow(field);
  const FieldLayout& f = t.specs[field];
  char* out = t.raw_mutable(field);
  const auto refuse = [&](const char* what) {
    throw Error("No se puede guardar '" + EscapedForMessage(utf8) + "' en " + t.FieldLabel(field) +
                ": " + what);
  };
  if (f.type == 'C') {
    const std::string bytes = t.FittedText(t.Encode(utf8), f.width);
    std::memcpy(out, bytes.data(), bytes.size());
    return;
  }
  if (f.type == 'L') {
    if (IsBlank(utf8)) {
      *out = ' ';
      return;
    }
    const std::optional<bool> value = ParseLogical(TrimmedText(utf8)[0]);
    if (!value || TrimmedText(utf8).size() != 1) refuse("no es un valor lógico (T o F)");
    *out = *value ? 'T' : 'F';
    return;
  }
  if (f.type == 'D') {
    const std::string_view date = TrimmedText(utf8);
    const bool digits =
        date.size() == 8 && date.find_first_not_of("0123456789") == std::string_view::npos;
    if (!date.empty() && !digits) refuse("no es una fecha AAAAMMDD");
    // Every date field read is 8 bytes wide (the header is refused otherwise).
    std::memset(out, ' ', static_cast<size_t>(f.width));
    std::memcpy(out, date.data(), date.size());
    return;
  }
  if (!t.HoldsNumber(field) || t.specs[field].type == 'B' || t.specs[field].type == 'Y' ||
      (t.specs[field].type == 'I' && t.flavor != Flavor::kLevel7)) {
    refuse("este tipo de campo no se escribe");
  }
  const StoredNumber number = ParseNumberText(utf8);
  if (number.status == StoredNumber::kInvalid) refuse("no es un número");
  if (number.status == StoredNumber::kBlank) {
    std::memset(out, IsNumericText(f.type) ? ' ' : '\0', static_cast<size_t>(f.width));
    return;
  }
  t.StoreNumber(field, number.value, std::string(TrimmedText(utf8)));
}

void DbfTable::SetLogical(int field, bool value) {
  Impl& t = *impl_;
  t.RequireNewRow(field);
  if (t.specs[field].type != 'L') throw Error("No es lógico " + t.FieldLabel(field));
  *t.raw_mutable(field) = value ? 'T' : 'F';
}

void DbfTable::SetInteger(int field, int64_t value) {
  Impl& t = *impl_;
  t.RequireNewRow(field);
  const FieldLayout& f = t.specs[field];
  if (IsNumericText(f.type)) {
    std::string stored;
    if (!FormatInteger(value, f.width, f.decimals, stored)) t.TooWide(field, std::to_string(value));
    std::memcpy(t.raw_mutable(field), stored.data(), stored.size());
    return;
  }
  if (t.IsLevel7Long(field) && (value < kLevel7LongMin || value > INT32_MAX)) {
    t.TooWide(field, std::to_string(value));
  }
  t.StoreNumber(field, static_cast<double>(value), std::to_string(value));
}

void DbfTable::SetFloat(int field, double value) {
  Impl& t = *impl_;
  t.RequireNewRow(field);
  t.StoreNumber(field, value, NumberText(value));
}

}  // namespace pasahorario::dbf
