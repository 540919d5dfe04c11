#include "worktables/table_state.h"
#include "base/utf8_path.h"

#include "base/text.h"
#include "worktables/field_value.h"
#include "worktables/table_path.h"

namespace pasahorario::dbf {
namespace fs = std::filesystem;

namespace {

std::string DirectoryText(const fs::path& file) {
  const fs::path dir = file.parent_path();
  return PathToUtf8(dir.empty() ? fs::path(".") : dir);
}

// Trailing blanks and NULs, which fill a text field, removed.
std::string_view WithoutFill(std::string_view raw) {
  while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\0')) raw.remove_suffix(1);
  return raw;
}

}  // namespace

std::string DbfTable::Impl::Label() const {
  return "la tabla " + base_name + " de la carpeta " + DirectoryText(file);
}

std::string DbfTable::Impl::FieldLabel(int field) const {
  const FieldSpec& f = specs[field];
  return "el campo " + f.name + " (" + std::string(1, f.type) + " " + std::to_string(f.width) +
         "," + std::to_string(f.decimals) + ") de " + Label();
}

std::string DbfTable::Impl::RowContext(int field) const {
  return "Tabla " + base_name + ", campo " + specs[field].name + ", fila " +
         std::to_string(current + 1) + " (carpeta " + DirectoryText(file) + ")";
}

void DbfTable::Impl::RequireOpen() const {
  if (!open) throw Error("No está abierta " + Label());
}

void DbfTable::Impl::RequireField(int field) const {
  RequireOpen();
  if (field < 0 || static_cast<size_t>(field) >= specs.size()) {
    throw Error("No existe el campo número " + std::to_string(field) + " en " + Label());
  }
}

void DbfTable::Impl::RequireRow(int field) const {
  RequireField(field);
  if (at_end()) {
    throw Error("No se puede leer el campo " + specs[field].name + " de " + Label() +
                ": no hay fila actual (la tabla está al final)");
  }
}

void DbfTable::Impl::RequireNewRow(int field) const {
  RequireField(field);
  if (!pending || current + 1 != row_count()) {
    throw Error("No se puede escribir el campo " + specs[field].name + " de " + Label() +
                ": solo se escriben filas nuevas, tras añadirlas");
  }
}

std::string DbfTable::Impl::TextAt(size_t row, int field) const {
  const std::string_view bytes = raw(row, field);
  const FieldSpec& f = specs[field];
  const auto unreadable = [&](const char* kind) {
    return Error("No se puede leer " + FieldLabel(field) + ": es de tipo " + kind +
                 ", que este programa no lee");
  };
  switch (f.type) {
    case 'C':
      return page->Decode(WithoutFill(bytes));
    case 'N': case 'F': {
      if (ParseNumberText(bytes).status == StoredNumber::kBlank) return "";
      return page->Decode(TrimmedText(bytes));
    }
    case 'D': {
      const std::string_view date = TrimmedText(bytes);
      return date.find_first_not_of('0') == std::string_view::npos ? "" : page->Decode(date);
    }
    case 'L': {
      const std::optional<bool> value = ParseLogical(bytes[0]);
      return !value ? "" : *value ? "T" : "F";
    }
    case 'I': case '+':
      if (flavor == Flavor::kLevel7) {
        const std::optional<int32_t> value = DecodeLevel7Long(bytes.data());
        return value ? std::to_string(*value) : "";
      }
      return std::to_string(DecodeLittleEndianLong(bytes.data()));
    case 'O':
      if (flavor != Flavor::kLevel7) break;
      if (const std::optional<double> value = DecodeLevel7Double(bytes.data())) {
        return NumberText(*value);
      }
      return "";
    case '@':
      if (flavor != Flavor::kLevel7) break;
      return DecodeLevel7Timestamp(bytes.data()).value_or("");
    case 'B':
      if (flavor == Flavor::kVisualFoxPro) return NumberText(DecodeLittleEndianDouble(bytes.data()));
      throw unreadable("B (memo binario)");
    case 'Y':
      if (flavor == Flavor::kVisualFoxPro) return NumberText(DecodeCurrency(bytes.data()));
      break;
    case 'M':
      throw unreadable("M (memo)");
    case 'G':
      throw unreadable("G (objeto OLE)");
    default:
      break;
  }
  throw unreadable(("'" + std::string(1, f.type) + "'").c_str());
}

bool DbfTable::Impl::Visible(size_t row) const {
  if (deleted(row)) return false;
  if (!filtered || !filter) return true;
  if (filter_raw_usable) return WithoutFill(raw(row, filter_field)) == filter_raw;
  return TextAt(row, filter_field) == filter->value;
}

size_t DbfTable::Impl::VisibleFrom(size_t row) const {
  const size_t rows = row_count();
  while (row < rows && !Visible(row)) ++row;
  return row;
}

void DbfTable::Impl::PrepareFilter() {
  filter_ready = false;
  if (!filter) {
    filter_ready = true;
    return;
  }
  filter_field = -1;
  const std::string wanted = AsciiLower(filter->field);
  for (size_t i = 0; i < specs.size(); ++i) {
    if (AsciiLower(specs[i].name) == wanted) filter_field = static_cast<int>(i);
  }
  if (filter_field < 0) {
    throw Error("No existe el campo " + filter->field + " en " + Label() + " (filtro \"" +
                filter_text + "\")");
  }
  // Text fields compare stored bytes when the value converts exactly: the
  // same answer as comparing decoded text, without decoding every row.
  bool exact = false;
  filter_raw = page->Encode(filter->value, &exact);
  filter_raw_usable = exact && specs[filter_field].type == 'C';
  filter_ready = true;
}

void DbfTable::Impl::PostPending() {
  if (!pending) return;
  pending = false;
  ++live_rows;
}

void DbfTable::Impl::Reset() {
  handle.Close();
  open = false;
  specs.clear();
  offsets.clear();
  blank_record.clear();
  records.clear();
  records.shrink_to_fit();
  stored_rows = live_rows = 0;
  pending = false;
  current = 0;
  filter_ready = false;
  header_length = record_length = 0;
}

}  // namespace pasahorario::dbf
