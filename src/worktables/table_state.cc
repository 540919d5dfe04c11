#include "worktables/table_state.h"

#include <algorithm>
#include <cstdio>

#include "base/message_text.h"
#include "base/regular_file.h"
#include "base/text.h"
#include "base/unicode.h"
#include "base/utf8_path.h"
#include "worktables/field_value.h"
#include "worktables/table_path.h"
#include "worktables/text_encoding.h"

namespace pasahorario::dbf {
namespace fs = std::filesystem;

namespace {

std::string DirectoryText(const fs::path& file) {
  const fs::path dir = file.parent_path();
  return EscapedForMessage(PathToUtf8(dir.empty() ? fs::path(".") : dir));
}

// Stored rows read from the file at a time, as one window.
constexpr size_t kWindowBytes = 64 * 1024;

// The longest .cpg file read; the name it holds is a few bytes, so a
// longer one is damaged.
constexpr uint64_t kMaxCpgBytes = 1024;

std::string CodePageName(int number) {
  if (number == 1252) return "Windows-1252";
  return "la página de códigos " + std::to_string(number);
}

// Trailing blanks and NULs, which fill a text field, removed.
std::string_view WithoutFill(std::string_view raw) {
  while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\0')) raw.remove_suffix(1);
  return raw;
}

}  // namespace

std::string DbfTable::Impl::Label() const {
  return "la tabla " + NameForMessage(base_name) + " de la carpeta " + DirectoryText(file);
}

std::string DbfTable::Impl::FieldLabel(int field) const {
  const FieldLayout& f = specs[field];
  return "el campo " + NameForMessage(f.name) + " (" + EscapedForMessage(std::string(1, f.type)) +
         " " + std::to_string(f.width) + "," + std::to_string(f.decimals) + ") de " + Label();
}

std::string DbfTable::Impl::RowContext(int field) const {
  return "Tabla " + NameForMessage(base_name) + ", campo " + NameForMessage(specs[field].name) +
         ", fila " + std::to_string(current + 1) + " (carpeta " + DirectoryText(file) + ")";
}

std::string_view DbfTable::Impl::Record(size_t row) const {
  const auto length = static_cast<size_t>(record_length);
  if (row >= stored_rows)
    return std::string_view(appended).substr((row - stored_rows) * length, length);
  if (row < window_first || row >= window_first + window_rows) {
    const size_t rows = std::min(stored_rows - row, std::max<size_t>(1, kWindowBytes / length));
    const uint64_t at = static_cast<uint64_t>(header_length) + uint64_t{row} * length;
    window_rows = 0;
    // The file was held from the start, so it still holds every row the
    // header announced unless the system failed.
    if (!handle.ReadAt(at, rows * length, &window) || window.size() != rows * length) {
      throw Error("No se pudo leer la fila " + std::to_string(row + 1) + " de " + Label());
    }
    window_first = row;
    window_rows = rows;
  }
  const std::string_view record =
      std::string_view(window).substr((row - window_first) * length, length);
  if (record[0] != ' ' && record[0] != '*') {
    char byte[8];
    std::snprintf(byte, sizeof byte, "0x%02X",
                  static_cast<unsigned>(static_cast<unsigned char>(record[0])));
    throw Error("No se puede leer " + Label() + ": la fila " + std::to_string(row + 1) +
                " empieza por el byte " + byte +
                " en lugar de un espacio o un asterisco; la tabla parece dañada");
  }
  return record;
}

std::string DbfTable::Impl::Decode(std::string_view bytes) const {
  if (page != nullptr) return page->Decode(bytes);
  std::string out;
  out.reserve(bytes.size());
  for (size_t pos = 0; pos < bytes.size();) AppendUtf8(out, NextCodePoint(bytes, pos));
  return out;
}

std::string DbfTable::Impl::Encode(std::string_view utf8, bool* exact) const {
  if (page != nullptr) return page->Encode(utf8, exact);
  if (exact != nullptr) *exact = true;
  return Decode(utf8);  // the same text, with any invalid byte made U+FFFD
}

std::string DbfTable::Impl::FittedText(std::string bytes, int width) const {
  const auto size = static_cast<size_t>(width);
  if (bytes.size() > size) {
    size_t cut = size;
    // In UTF-8, back up to the start of the character that would be split.
    if (page == nullptr) {
      while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80) --cut;
    }
    bytes.resize(cut);
  }
  bytes.resize(size, ' ');
  return bytes;
}

void DbfTable::Impl::AssumeCodePage(const std::string& unknown_driver) {
  const std::string table =
      "La tabla " + NameForMessage(base_name) +
      (unknown_driver.empty()
           ? std::string(" no declara su página de códigos")
           : " declara una página de códigos que este programa no conoce (" + unknown_driver + ")");
  const fs::path dir = file.parent_path();
  const fs::path cpg = FindIgnoringCase(dir, PathFromUtf8(base_name + ".cpg"));
  if (!cpg.empty()) {
    const std::string text = ReadRegularFile(dir / cpg, kMaxCpgBytes).value_or("");
    const std::string shown = EscapedForMessage(TrimmedText(text));
    const std::optional<int> number = CodePageOfCpgText(text);
    if (number && IsMultiByteCodePage(*number)) {
      throw Error("No se puede abrir " + Label() + ": el archivo " +
                  EscapedForMessage(PathToUtf8(cpg)) +
                  " dice que su texto está en la página de códigos " + std::to_string(*number) +
                  ", de varios bytes por carácter, que este programa no lee");
    }
    if (number) {
      page = *number == kUtf8CodePage ? nullptr : CodePage::Find(*number);
      code_page_assumption =
          table + "; se lee " +
          (page == nullptr ? std::string("como UTF-8") : "en " + CodePageName(*number)) +
          ", como dice el archivo " + EscapedForMessage(PathToUtf8(cpg)) + " (\"" + shown + "\").";
      return;
    }
    code_page_assumption = table + " y el archivo " + EscapedForMessage(PathToUtf8(cpg)) +
                           " nombra una que este programa no conoce (\"" + shown + "\")";
  } else {
    code_page_assumption = table + " y no tiene al lado un archivo .cpg que la diga";
  }
  // Without a name to go by, the text tells: valid UTF-8 with characters
  // of several bytes is hardly ever anything else.
  Utf8Evidence evidence;
  for (size_t row = 0; row < stored_rows && evidence.valid(); ++row) {
    for (size_t field = 0; field < specs.size(); ++field) {
      if (specs[field].type == 'C') evidence.Add(raw(row, static_cast<int>(field)));
    }
  }
  if (evidence.valid() && evidence.multi_byte()) {
    page = nullptr;
    *code_page_assumption +=
        "; se lee como UTF-8, porque todo su texto es UTF-8 válido y tiene caracteres de varios "
        "bytes.";
  } else {
    page = &CodePage::Windows1252();
    *code_page_assumption += evidence.beyond_ascii()
                                 ? "; se lee en Windows-1252, porque su texto no es UTF-8."
                                 : "; se lee en Windows-1252 (su texto solo tiene caracteres "
                                   "ASCII, que se leen igual en cualquiera).";
  }
}

size_t DbfTable::Impl::LiveStoredRows() const {
  if (!live_stored_rows) {
    size_t live = 0;
    for (size_t row = 0; row < stored_rows; ++row) live += deleted(row) ? 0 : 1;
    live_stored_rows = live;
  }
  return *live_stored_rows;
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
  const FieldLayout& f = specs[field];
  const auto unreadable = [&](const char* kind) {
    return Error("No se puede leer " + FieldLabel(field) + ": es de tipo " + kind +
                 ", que este programa no lee");
  };
  switch (f.type) {
    case 'C':
      return Decode(WithoutFill(bytes));
    case 'N':
    case 'F': {
      if (ParseNumberText(bytes).status == StoredNumber::kBlank) return "";
      return Decode(TrimmedText(bytes));
    }
    case 'D': {
      const std::string_view date = TrimmedText(bytes);
      return date.find_first_not_of('0') == std::string_view::npos ? "" : Decode(date);
    }
    case 'L': {
      const std::optional<bool> value = ParseLogical(bytes[0]);
      return !value ? "" : *value ? "T" : "F";
    }
    case 'I':
    case '+':
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
      if (flavor == Flavor::kVisualFoxPro)
        return NumberText(DecodeLittleEndianDouble(bytes.data()));
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
  throw unreadable(("'" + EscapedForMessage(std::string(1, f.type)) + "'").c_str());
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
    throw Error("No existe el campo " + NameForMessage(filter->field) + " en " + Label() +
                " (filtro \"" + EscapedForMessage(filter_text) + "\")");
  }
  // Text fields compare stored bytes when the value converts exactly: the
  // same answer as comparing decoded text, without decoding every row.
  bool exact = false;
  filter_raw = Encode(filter->value, &exact);
  filter_raw_usable = exact && specs[filter_field].type == 'C';
  filter_ready = true;
}

void DbfTable::Impl::PostPending() {
  if (!pending) return;
  pending = false;
  ++live_appended_rows;
}

void DbfTable::Impl::Reset() {
  handle.Close();
  open = false;
  specs.clear();
  offsets.clear();
  blank_record.clear();
  window.clear();
  window.shrink_to_fit();
  window_first = window_rows = 0;
  appended.clear();
  appended.shrink_to_fit();
  stored_rows = live_appended_rows = 0;
  live_stored_rows.reset();
  page = nullptr;
  code_page_assumption.reset();
  pending = false;
  current = 0;
  filter_ready = false;
  header_length = record_length = 0;
}

}  // namespace pasahorario::dbf
