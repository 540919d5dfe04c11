#include "worktables/text_encoding.h"

#include <string>

#include "base/unicode.h"
#include "worktables/codepage.h"

namespace pasahorario::dbf {

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
    const size_t length = ValidUtf8SequenceLength(bytes, pos);
    if (length == 0) valid_ = false;
    multi_byte_ = true;
    pos += length;
  }
}

}  // namespace pasahorario::dbf
