#include "base/text.h"

#include <charconv>

#include "base/error.h"

namespace pasahorario {
namespace {

bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= 32; }

}  // namespace

std::string_view TrimmedText(std::string_view text) {
  while (!text.empty() && IsTrimmed(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsTrimmed(text.back())) text.remove_suffix(1);
  return text;
}

bool IsBlank(std::string_view text) { return TrimmedText(text).empty(); }

int32_t ParseInteger(std::string_view text) {
  std::string_view rest = text;
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  bool negative = false;
  if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
    negative = rest.front() == '-';
    rest.remove_prefix(1);
  }
  // from_chars alone would accept a second sign and stop at the first
  // non-digit, so the digits are checked here.
  bool digits_only = !rest.empty();
  for (char c : rest) digits_only = digits_only && c >= '0' && c <= '9';
  int64_t value = 0;
  if (digits_only) {
    while (rest.size() > 1 && rest.front() == '0') rest.remove_prefix(1);
    auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    digits_only = ec == std::errc() && end == rest.data() + rest.size();
  }
  if (negative) value = -value;
  if (!digits_only || value < INT32_MIN || value > INT32_MAX) {
    throw Error("'" + std::string(text) + "' is not a valid integer value");
  }
  return static_cast<int32_t>(value);
}

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

}  // namespace pasahorario
