#include "worktables/dbf_header.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>

#include "base/message_text.h"
#include "base/text.h"
#include "worktables/codepage.h"

namespace pasahorario::dbf {
namespace {

constexpr uint8_t kVersionDbase3 = 0x03;
constexpr uint8_t kDriverWindows1252 = 0x57;  // DBWINUS0
constexpr char kFieldListEnd = 0x0D;

unsigned Byte(std::string_view s, size_t i) { return static_cast<unsigned char>(s[i]); }
unsigned U16(std::string_view s, size_t i) { return Byte(s, i) | Byte(s, i + 1) << 8; }
uint32_t U32(std::string_view s, size_t i) {
  return Byte(s, i) | Byte(s, i + 1) << 8 | Byte(s, i + 2) << 16 | uint32_t{Byte(s, i + 3)} << 24;
}

void PutU16(std::string& s, size_t i, unsigned v) {
  s[i] = static_cast<char>(v & 0xFF);
  s[i + 1] = static_cast<char>(v >> 8 & 0xFF);
}

std::optional<Flavor> FlavorOf(uint8_t version) {
  switch (version) {
    case 0x03:
    case 0x83:
    case 0x8B:
    case 0x8E:
    case 0x43:
    case 0x63:
    case 0xCB:
    case 0xF5:
    case 0xFB:
      return Flavor::kDbase;
    case 0x30:
    case 0x31:
    case 0x32:
      return Flavor::kVisualFoxPro;
    default:
      // Level 7: version number 4 in the low bits (0x04, or 0x8C with memo).
      if ((version & 0x07) == 4 && (version & 0x70) == 0) return Flavor::kLevel7;
      return std::nullopt;
  }
}

// The code page of the text, from the driver name (level 7) or byte 29;
// 0 when neither names a page we know.
int CodePageOf(std::string_view file, Flavor flavor) {
  int page = 0;
  if (flavor == Flavor::kLevel7) page = CodePageOfDriverName(file.substr(32, 32));
  if (page == 0) page = CodePageOfDriverId(static_cast<uint8_t>(Byte(file, 29)));
  if (page != 0 && !IsMultiByteCodePage(page) && CodePage::Find(page) == nullptr) page = 0;
  return page;
}

// How the header names a code page that CodePageOf does not know: the
// level-7 driver name when there is one, else byte 29.
std::string UnknownDriver(std::string_view file, Flavor flavor) {
  if (flavor == Flavor::kLevel7 && file[32] != '\0' && file[32] != ' ') {
    std::string_view name = file.substr(32, 32);
    name = name.substr(0, name.find('\0'));
    return "el controlador de idioma '" + EscapedForMessage(TrimmedText(name)) + "'";
  }
  static constexpr char kHex[] = "0123456789ABCDEF";
  const auto byte = static_cast<uint8_t>(Byte(file, 29));
  return std::string("el byte de idioma 0x") + kHex[byte >> 4] + kHex[byte & 0x0F];
}

// Whether the header names a code page at all: a driver byte, or in level 7
// a driver name.
bool DeclaresCodePage(std::string_view file, Flavor flavor) {
  if (Byte(file, 29) != 0) return true;
  return flavor == Flavor::kLevel7 && file[32] != '\0' && file[32] != ' ';
}

// The width a field of a fixed-width type must have in this flavor, or 0
// when the type's width is free (or the type is unknown here).
int FixedWidth(Flavor flavor, char type) {
  switch (type) {
    case 'I':
    case '+':
      return 4;
    case 'O':
    case '@':
    case 'D':
      return 8;
    case 'L':
      return 1;
    case 'B':
    case 'Y':
    case 'T':
      return flavor == Flavor::kVisualFoxPro ? 8 : 0;
    default:
      return 0;
  }
}

// Bytes a header may hold between the end of the field list and the first
// record: Visual FoxPro's 263-byte backlink; in level 7 a field-properties
// block; elsewhere only filling (NUL, or a second end mark).
std::string GapProblem(Flavor flavor, std::string_view gap) {
  if (flavor == Flavor::kVisualFoxPro && gap.size() < 263) {
    return "le faltan " + std::to_string(263 - gap.size()) +
           " bytes de la zona que sigue a la lista de campos";
  }
  if (flavor == Flavor::kVisualFoxPro) gap.remove_prefix(263);
  // The smallest field-properties block is longer than this.
  if (flavor == Flavor::kLevel7 && gap.size() >= 14) return "";
  for (const char c : gap) {
    if (c != '\0' && c != '\x0D' && c != '\x1A') {
      return "la cabecera dice medir " + std::to_string(gap.size()) +
             " bytes más de lo que ocupa su lista de campos, y en ellos hay datos";
    }
  }
  return "";
}

HeaderProblem NotDbase(std::string detail) {
  return {HeaderProblem::kNotDbase, std::move(detail), 0};
}

}  // namespace

std::variant<TableHeader, HeaderProblem> ReadHeader(std::string_view file) {
  if (file.empty()) return HeaderProblem{HeaderProblem::kTruncated, "el archivo está vacío", 0};
  const std::optional<Flavor> flavor = FlavorOf(static_cast<uint8_t>(file[0]));
  if (!flavor) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", Byte(file, 0));
    return NotDbase(std::string("su primer byte (") + hex +
                    ") no es el de ninguna versión de dBase");
  }
  const size_t descriptors_at = *flavor == Flavor::kLevel7 ? 68 : 32;
  const size_t descriptor_size = *flavor == Flavor::kLevel7 ? 48 : 32;
  if (file.size() < descriptors_at) {
    return HeaderProblem{
        HeaderProblem::kTruncated,
        "el archivo tiene " + std::to_string(file.size()) + " bytes y la cabecera ocupa más", 0};
  }
  if (*flavor != Flavor::kVisualFoxPro && Byte(file, 15) != 0) {
    return HeaderProblem{HeaderProblem::kEncrypted, "", 0};
  }

  TableHeader header;
  header.flavor = *flavor;
  header.record_count = U32(file, 4);
  header.header_length = static_cast<int>(U16(file, 8));
  header.record_length = static_cast<int>(U16(file, 10));
  const size_t header_length = static_cast<size_t>(header.header_length);
  if (header_length < descriptors_at + 1) {
    return NotDbase("la cabecera dice medir " + std::to_string(header_length) + " bytes");
  }
  if (file.size() < header_length) {
    return HeaderProblem{HeaderProblem::kTruncated,
                         "la cabecera ocupa " + std::to_string(header_length) +
                             " bytes y el archivo tiene " + std::to_string(file.size()),
                         0};
  }
  header.code_page = CodePageOf(file, *flavor);
  header.code_page_declared = DeclaresCodePage(file, *flavor);
  if (header.code_page == 0) {
    if (header.code_page_declared) header.unknown_driver = UnknownDriver(file, *flavor);
    header.code_page = 1252;
  }
  if (IsMultiByteCodePage(header.code_page)) {
    return HeaderProblem{HeaderProblem::kMultiByte, "", header.code_page};
  }
  const CodePage& page = *CodePage::Find(header.code_page);

  const size_t name_size = *flavor == Flavor::kLevel7 ? 32 : 11;
  int offset = 1;
  size_t at = descriptors_at;
  for (;; at += descriptor_size) {
    if (at < header_length && file[at] == kFieldListEnd) break;
    if (at + descriptor_size > header_length) {
      return NotDbase("falta la marca de fin (0x0D) de la lista de campos");
    }
    const std::string_view d = file.substr(at, descriptor_size);
    std::string_view raw_name = d.substr(0, name_size);
    raw_name = raw_name.substr(0, raw_name.find('\0'));
    StoredField field;
    field.layout.name = std::string(TrimmedText(page.Decode(raw_name)));
    const size_t type_at = *flavor == Flavor::kLevel7 ? 32 : 11;
    field.layout.type = d[type_at];
    field.layout.width = static_cast<int>(Byte(d, type_at + (*flavor == Flavor::kLevel7 ? 1 : 5)));
    field.layout.decimals =
        static_cast<int>(Byte(d, type_at + (*flavor == Flavor::kLevel7 ? 2 : 6)));
    if (*flavor != Flavor::kLevel7 && field.layout.type == 'C') {
      // FoxPro and Clipper keep the high byte of a long text width there.
      field.layout.width += field.layout.decimals * 256;
      field.layout.decimals = 0;
    }
    const std::string label = "el campo " + NameForMessage(field.layout.name);
    if (field.layout.width == 0) return NotDbase(label + " tiene anchura 0");
    const int fixed_width = FixedWidth(*flavor, field.layout.type);
    if (fixed_width != 0 && field.layout.width != fixed_width) {
      return NotDbase(label + " es de tipo " +
                      EscapedForMessage(std::string(1, field.layout.type)) + " y tiene anchura " +
                      std::to_string(field.layout.width) + " en lugar de " +
                      std::to_string(fixed_width));
    }
    field.offset = offset;
    offset += field.layout.width;
    header.fields.push_back(std::move(field));
  }
  if (header.fields.empty()) return NotDbase("no tiene campos");
  const std::string gap = GapProblem(*flavor, file.substr(at + 1, header_length - at - 1));
  if (!gap.empty()) return HeaderProblem{HeaderProblem::kDamaged, gap, 0};
  if (offset != header.record_length) {
    return NotDbase("la longitud de registro de la cabecera (" +
                    std::to_string(header.record_length) + ") no cuadra con la de sus campos (" +
                    std::to_string(offset) + ")");
  }
  return header;
}

std::string RecordCountProblem(const TableHeader& header, uint64_t file_size) {
  const auto header_length = static_cast<uint64_t>(header.header_length);
  const uint64_t held =
      file_size <= header_length || header.record_length <= 0
          ? 0
          : (file_size - header_length) / static_cast<uint64_t>(header.record_length);
  if (held >= header.record_count) return "";
  return "la cabecera anuncia " + std::to_string(header.record_count) +
         (header.record_count == 1 ? " fila" : " filas") + " y el archivo sólo contiene " +
         std::to_string(held) + (held == 1 ? " completa" : " completas");
}

Date Today() {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);  // one thread; copied at once
  if (local == nullptr) return {};
  return {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday};
}

std::string FieldListProblem(const std::vector<FieldLayout>& fields) {
  if (fields.empty()) return "la tabla no tiene campos";
  if (fields.size() > 1000) return "la tabla tiene demasiados campos";
  int record_length = 1;
  for (size_t i = 0; i < fields.size(); ++i) {
    const FieldLayout& f = fields[i];
    bool good_name =
        !f.name.empty() && f.name.size() <= 10 &&
        ((f.name[0] >= 'A' && f.name[0] <= 'Z') || (f.name[0] >= 'a' && f.name[0] <= 'z'));
    for (const char c : f.name) {
      good_name = good_name && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                                (c >= '0' && c <= '9') || c == '_');
    }
    if (!good_name) {
      return "el nombre de campo '" + f.name +
             "' no vale (de 1 a 10 letras sin acento, cifras o '_', empezando por letra)";
    }
    for (size_t j = 0; j < i; ++j) {
      if (AsciiLower(fields[j].name) == AsciiLower(f.name)) {
        return "el campo " + f.name + " está repetido";
      }
    }
    bool good_size = false;
    switch (f.type) {
      case 'C':
        good_size = f.width >= 1 && f.width <= 254 && f.decimals == 0;
        break;
      case 'L':
        good_size = f.width == 1 && f.decimals == 0;
        break;
      case 'N':
      case 'F':
        good_size = f.width >= 1 && f.width <= 20 && f.decimals >= 0 && f.decimals <= 15 &&
                    (f.decimals == 0 || f.decimals <= f.width - 2);
        break;
      default:
        return "el campo " + f.name + " es de tipo '" + std::string(1, f.type) +
               "', que no se crea (solo C, L, N y F)";
    }
    if (!good_size) {
      return "el campo " + f.name + " de tipo " + std::string(1, f.type) + " no puede tener " +
             "anchura " + std::to_string(f.width) + " con " + std::to_string(f.decimals) +
             " decimales";
    }
    record_length += f.width;
  }
  if (record_length > 65535) return "los registros de la tabla serían demasiado largos";
  return "";
}

int RecordLength(const std::vector<FieldLayout>& fields) {
  int length = 1;
  for (const FieldLayout& f : fields) length += f.width;
  return length;
}

std::string DateAndCount(Date date, uint32_t record_count) {
  std::string bytes(7, '\0');
  bytes[0] = static_cast<char>(std::clamp(date.year - 1900, 0, 255));
  bytes[1] = static_cast<char>(date.month);
  bytes[2] = static_cast<char>(date.day);
  for (int i = 0; i < 4; ++i) bytes[3 + i] = static_cast<char>(record_count >> (8 * i) & 0xFF);
  return bytes;
}

std::string BuildHeader(const std::vector<FieldLayout>& fields, Date date) {
  const size_t header_length = 32 + 32 * fields.size() + 1;
  std::string header(header_length, '\0');
  header[0] = static_cast<char>(kVersionDbase3);
  header.replace(1, 7, DateAndCount(date, 0));
  PutU16(header, 8, static_cast<unsigned>(header_length));
  PutU16(header, 10, static_cast<unsigned>(RecordLength(fields)));
  header[29] = static_cast<char>(kDriverWindows1252);
  for (size_t i = 0; i < fields.size(); ++i) {
    const size_t at = 32 + 32 * i;
    const FieldLayout& f = fields[i];
    header.replace(at, f.name.size(), f.name);
    header[at + 11] = f.type;
    header[at + 16] = static_cast<char>(f.width);
    header[at + 17] = static_cast<char>(f.decimals);
  }
  header[header_length - 1] = kFieldListEnd;
  return header;
}

}  // namespace pasahorario::dbf
