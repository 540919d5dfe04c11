#include "base/message_text.h"

#include <cstdio>

#include "base/unicode.h"

namespace pasahorario {
namespace {

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
    } else if (const size_t length = ValidUtf8SequenceLength(text, pos); length > 0) {
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
