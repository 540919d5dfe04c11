#include "delphos/xml_charset.h"

#include <cassert>

#include "base/text.h"

namespace pasahorario::delphos {
namespace {

// windows-1252 bytes 0x80 to 0x9F; 0 marks the unassigned ones.
// clang-format off
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
// clang-format on

// The eight places where ISO-8859-15 differs from ISO-8859-1.
struct Latin9Change {
  unsigned char byte;
  char16_t cp;
};
constexpr Latin9Change kLatin9Changes[] = {{0xA4, 0x20AC}, {0xA6, 0x0160}, {0xA8, 0x0161},
                                           {0xB4, 0x017D}, {0xB8, 0x017E}, {0xBC, 0x0152},
                                           {0xBD, 0x0153}, {0xBE, 0x0178}};

struct Alias {
  std::string_view name;  // lower case
  Charset charset;
};
constexpr Alias kAliases[] = {
    {"utf-8", Charset::kUtf8},         {"utf8", Charset::kUtf8},
    {"utf-16", Charset::kUtf16},       {"utf16", Charset::kUtf16},
    {"utf-16le", Charset::kUtf16},     {"utf-16be", Charset::kUtf16},
    {"iso-8859-1", Charset::kLatin1},  {"iso8859-1", Charset::kLatin1},
    {"iso_8859-1", Charset::kLatin1},  {"latin1", Charset::kLatin1},
    {"latin-1", Charset::kLatin1},     {"iso-8859-15", Charset::kLatin9},
    {"iso8859-15", Charset::kLatin9},  {"iso_8859-15", Charset::kLatin9},
    {"latin-9", Charset::kLatin9},     {"windows-1252", Charset::kWindows1252},
    {"cp1252", Charset::kWindows1252}, {"x-cp1252", Charset::kWindows1252},
};

}  // namespace

std::optional<Charset> CharsetByName(std::string_view name) {
  const std::string lower = AsciiLower(name);
  for (const Alias& alias : kAliases) {
    if (alias.name == lower) return alias.charset;
  }
  return std::nullopt;
}

bool IsSingleByte(Charset charset) {
  return charset == Charset::kLatin1 || charset == Charset::kLatin9 ||
         charset == Charset::kWindows1252;
}

char32_t DecodeByte(Charset charset, unsigned char byte) {
  assert(IsSingleByte(charset));
  if (charset == Charset::kWindows1252 && byte >= 0x80 && byte <= 0x9F) {
    const char16_t cp = kWindows1252High[byte - 0x80];
    return cp != 0 ? cp : byte;
  }
  if (charset == Charset::kLatin9) {
    for (const Latin9Change& change : kLatin9Changes) {
      if (change.byte == byte) return change.cp;
    }
  }
  return byte;
}

int EncodeByte(Charset charset, char32_t cp) {
  assert(IsSingleByte(charset));
  if (cp < 0x80) return static_cast<int>(cp);
  if (charset == Charset::kWindows1252) {
    for (int i = 0; i < 32; ++i) {
      if (kWindows1252High[i] == cp) return 0x80 + i;
    }
    if (cp >= 0x80 && cp <= 0x9F && kWindows1252High[cp - 0x80] == 0) return static_cast<int>(cp);
    return cp >= 0xA0 && cp <= 0xFF ? static_cast<int>(cp) : -1;
  }
  if (charset == Charset::kLatin9) {
    for (const Latin9Change& change : kLatin9Changes) {
      if (change.cp == cp) return change.byte;
      if (change.byte == cp) return -1;  // the Latin-1 character that byte no longer holds
    }
  }
  return cp <= 0xFF ? static_cast<int>(cp) : -1;
}

}  // namespace pasahorario::delphos
