#include "shell/command_line.h"

#include "base/error.h"

namespace pasahorario {
namespace {

bool IsSeparator(char c) { return static_cast<unsigned char>(c) <= ' '; }

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads the parameter starting at or after `pos` into `out` and leaves `pos`
// past it. False when the text holds no further parameter or the parameter
// is empty (only quotes), which both end the list.
bool NextParameter(std::string_view text, size_t& pos, std::string& out) {
  out.clear();
  while (pos < text.size() && IsSeparator(text[pos])) ++pos;
  bool quoted = false;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && IsSeparator(c)) {
      break;
    } else {
      out += c;
    }
  }
  return !out.empty();
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view command_line) {
  std::vector<std::string> parameters;
  size_t pos = 0;
  std::string parameter;
  NextParameter(command_line, pos, parameter);  // the program path
  while (NextParameter(command_line, pos, parameter)) parameters.push_back(parameter);
  return parameters;
}

uint32_t ParseHostHandle(std::string_view parameter) {
  bool valid = !parameter.empty();
  uint64_t value = 0;
  int significant = 0;  // digits after the leading zeros
  for (char c : parameter) {
    const int digit = HexDigitValue(c);
    if (digit < 0) {
      valid = false;
      break;
    }
    if (value != 0 || digit != 0) ++significant;
    value = value * 16 + static_cast<uint64_t>(digit);
    if (significant > 8) {
      valid = false;
      break;
    }
  }
  if (!valid) {
    throw Error("'$" + std::string(parameter) + "' is not a valid integer value");
  }
  return static_cast<uint32_t>(value);
}

}  // namespace pasahorario
