#include "base/message_text.h"

#include <cstdio>

namespace pasahorario {
namespace {

// Length of the valid UTF-8 sequence starting at `text[pos]` (a byte above
// 127), or 0 when there is none: overlong forms, surrogates and code points
// beyond U+10FFFF are not valid.
size_t SequenceLength(std::string_view text, size_t pos) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned lead = byte(pos);
  size_t length = 0;
  unsigned min_second = 0x80, max_second = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) min_second = 0xA0;
    if (lead == 0xED) max_second = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) min_second = 0x90;
    if (lead == 0xF4) max_second = 0x8F;
  } else {
    return 0;
  }
  if (pos + length > text.size()) return 0;
  if (byte(pos + 1) < min_second || byte(pos + 1) > max_second) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (byte(pos + i) < 0x80 || byte(pos + i) > 0xBF) return 0;
  }
  return length;
}

void AppendEscape(std::string& out, unsigned char byte) {
  char escape[8];
  std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(byte));
  out += escape;
}

}  // namespace

std::string EscapedForMessage(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte < 0x20 || byte == 0x7F) {
      AppendEscape(out, byte);
      ++pos;
    } else if (byte < 0x80) {
      out += static_cast<char>(byte);
      ++pos;
    } else if (const size_t length = SequenceLength(text, pos); length > 0) {
      out.append(text.substr(pos, length));
      pos += length;
    } else {
      AppendEscape(out, byte);
      ++pos;
    }
  }
  return out;
}

std::string NameForMessage(std::string_view name) {
  if (name.find_first_not_of(' ') == std::string_view::npos) return "''";
  return EscapedForMessage(name);
}

}  // namespace pasahorario
