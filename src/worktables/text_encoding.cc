#include "worktables/text_encoding.h"

#include <string>

#include "worktables/codepage.h"

namespace pasahorario::dbf {
namespace {

// Length of the valid UTF-8 sequence at `text[pos]` (a byte above 127), or
// 0: overlong forms, surrogates and code points past U+10FFFF are invalid.
size_t SequenceLength(std::string_view text, size_t pos) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned lead = byte(pos);
  size_t length = 0;
  unsigned low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (pos + length > text.size() || byte(pos + 1) < low || byte(pos + 1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (byte(pos + i) < 0x80 || byte(pos + i) > 0xBF) return 0;
  }
  return length;
}

}  // namespace

std::optional<int> CodePageOfCpgText(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  // Upper-case letters and digits only: "OEM 850", "cp-850" and "CP850"
  // all become "OEM850" or "CP850".
  std::string name;
  for (const char c : text) {
    if (c >= 'a' && c <= 'z')
      name += static_cast<char>(c - 'a' + 'A');
    else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
      name += c;
  }
  if (name == "UTF8" || name == "65001") return kUtf8CodePage;
  if (name == "ISO88591" || name == "88591" || name == "LATIN1") return 1252;
  for (const std::string_view prefix : {"WINDOWS", "ANSI", "OEM", "IBM", "DOS", "CP", "MS", ""}) {
    if (!name.starts_with(prefix)) continue;
    const std::string_view rest = std::string_view(name).substr(prefix.size());
    if (rest.empty() || rest.size() > 5 ||
        rest.find_first_not_of("0123456789") != std::string_view::npos) {
      continue;
    }
    const int number = std::stoi(std::string(rest));
    if (CodePage::Find(number) != nullptr || IsMultiByteCodePage(number)) return number;
  }
  return std::nullopt;
}

void Utf8Evidence::Add(std::string_view bytes) {
  for (size_t pos = 0; pos < bytes.size() && valid_;) {
    if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
      ++pos;
      continue;
    }
    beyond_ascii_ = true;
    const size_t length = SequenceLength(bytes, pos);
    if (length == 0) valid_ = false;
    multi_byte_ = true;
    pos += length;
  }
}

}  // namespace pasahorario::dbf
