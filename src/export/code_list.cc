#include "export/code_list.h"

#include "base/unicode.h"

namespace pasahorario {
namespace {

// Small form of `c` for the scripts a school's codes use. It must agree with
// the mapping behind EqualsIgnoringCase; code_list_test.cc checks that it
// does, code point by code point.
char32_t SmallLetter(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;  // Latin-1
  if (c >= 0x100 && c <= 0x17F) {                          // Latin Extended-A
    if (c == 0x130) return 'i';
    if (c == 0x178) return 0xFF;
    const bool odd_is_capital = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (odd_is_capital) return (c % 2 == 1) ? c + 1 : c;
    if (c == 0x138 || c == 0x149 || c == 0x17F) return c;
    return (c % 2 == 0) ? c + 1 : c;
  }
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;  // Greek
  if (c >= 0x410 && c <= 0x42F) return c + 32;                // Cyrillic
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  return c;
}

}  // namespace

std::string CaseFoldKey(std::string_view code) {
  std::string key;
  key.reserve(code.size());
  for (size_t pos = 0; pos < code.size();) AppendUtf8(key, SmallLetter(NextCodePoint(code, pos)));
  return key;
}

bool CodeList::Contains(std::string_view code) const {
  const auto it = codes_.find(CaseFoldKey(code));
  if (it == codes_.end()) return false;
  // The key narrows the search; the shared comparison has the last word.
  for (const std::string& added : it->second) {
    if (EqualsIgnoringCase(added, code)) return true;
  }
  return false;
}

void CodeList::Add(std::string code) {
  std::string key = CaseFoldKey(code);
  codes_[std::move(key)].push_back(std::move(code));
}

}  // namespace pasahorario
