#include "worktables/codepage.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "base/unicode.h"
#include "worktables/codepage_tables.h"

namespace pasahorario::dbf {
namespace {

// One code page object per table entry, made on first use.
const std::vector<std::unique_ptr<CodePage>>& AllPages() {
  static const auto* pages = [] {
    auto* list = new std::vector<std::unique_ptr<CodePage>>;
    for (size_t i = 0; i < kCodePageTableCount; ++i) {
      list->push_back(std::make_unique<CodePage>(kCodePageTables[i].number,
                                                 kCodePageTables[i].upper));
    }
    return list;
  }();
  return *pages;
}

// The character that `base` and the combining `mark` compose into, or 0.
char32_t Compose(char32_t base, char32_t mark) {
  const Composition* begin = kCompositions;
  const Composition* end = kCompositions + kCompositionCount;
  const Composition* it = std::lower_bound(begin, end, std::pair(base, mark),
      [](const Composition& c, const std::pair<char32_t, char32_t>& key) {
        return std::pair<char32_t, char32_t>(c.base, c.mark) < key;
      });
  return it != end && it->base == base && it->mark == mark ? it->composed : 0;
}

bool IsCombiningMark(char32_t c) { return c >= 0x300 && c <= 0x36F; }

}  // namespace

CodePage::CodePage(int number, const char16_t* upper) : number_(number), upper_(upper) {
  std::array<std::pair<char16_t, uint8_t>, 128> pairs;
  for (int i = 0; i < 128; ++i) {
    if (upper[i] == 0xFFFD) continue;
    pairs[sorted_count_++] = {upper[i], static_cast<uint8_t>(0x80 + i)};
  }
  std::sort(pairs.begin(), pairs.begin() + sorted_count_);
  for (int i = 0; i < sorted_count_; ++i) {
    sorted_chars_[i] = pairs[i].first;
    sorted_bytes_[i] = pairs[i].second;
  }
}

const CodePage* CodePage::Find(int number) {
  for (const auto& page : AllPages()) {
    if (page->number() == number) return page.get();
  }
  return nullptr;
}

const CodePage& CodePage::Windows1252() {
  static const CodePage* page = Find(1252);
  return *page;
}

std::string CodePage::Decode(std::string_view bytes) const {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out += c;
    } else {
      AppendUtf8(out, upper_[byte - 0x80]);
    }
  }
  return out;
}

std::string CodePage::Encode(std::string_view utf8, bool* exact) const {
  std::string out;
  out.reserve(utf8.size());
  bool all_held = true;
  const char16_t* const end = sorted_chars_ + sorted_count_;
  for (size_t pos = 0; pos < utf8.size();) {
    char32_t c = NextCodePoint(utf8, pos);
    if (pos < utf8.size() && (utf8[pos] == '\xCC' || utf8[pos] == '\xCD')) {
      size_t after = pos;
      const char32_t mark = NextCodePoint(utf8, after);
      const char32_t composed = IsCombiningMark(mark) ? Compose(c, mark) : 0;
      if (composed != 0) {
        c = composed;
        pos = after;
      }
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    const char16_t* it =
        c < 0xFFFD ? std::lower_bound(sorted_chars_, end, static_cast<char16_t>(c)) : end;
    if (it != end && *it == c) {
      out += static_cast<char>(sorted_bytes_[it - sorted_chars_]);
    } else {
      out += '?';
      all_held = false;
    }
  }
  if (exact != nullptr) *exact = all_held;
  return out;
}

bool IsMultiByteCodePage(int number) {
  return number == 932 || number == 936 || number == 949 || number == 950;
}

int CodePageOfDriverId(uint8_t id) {
  switch (id) {
    case 0x01: case 0x09: case 0x0B: case 0x0D: case 0x0F: case 0x11: case 0x15:
    case 0x18: case 0x19: case 0x1B:
      return 437;
    case 0x02: case 0x0A: case 0x0E: case 0x10: case 0x12: case 0x14: case 0x16:
    case 0x1A: case 0x1D: case 0x25: case 0x37:
      return 850;
    case 0x03: case 0x57: case 0x58: case 0x59: return 1252;
    case 0x1F: case 0x22: case 0x23: case 0x40: case 0x64: case 0x87: return 852;
    case 0x26: case 0x65: return 866;
    case 0x08: case 0x17: case 0x66: return 865;
    case 0x24: return 860;
    case 0x67: return 861;
    case 0x1C: return 863;
    case 0x6A: return 737;
    case 0x6B: return 857;
    case 0x50: case 0x7C: return 874;
    case 0xC8: return 1250;
    case 0xC9: return 1251;
    case 0xCB: return 1253;
    case 0xCA: return 1254;
    case 0x7D: return 1255;
    case 0x7E: return 1256;
    case 0x04: return 10000;
    case 0x98: return 10006;
    case 0x96: return 10007;
    case 0x97: return 10029;
    case 0x13: case 0x7B: return 932;
    case 0x4D: case 0x7A: return 936;
    case 0x4E: case 0x79: return 949;
    case 0x4F: case 0x78: return 950;
    default: return 0;
  }
}

int CodePageOfDriverName(std::string_view name) {
  std::string upper;
  for (const char c : name) {
    if (c == '\0') break;
    upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  while (!upper.empty() && upper.back() == ' ') upper.pop_back();
  const auto digits_after = [&](size_t from) {
    int number = 0;
    size_t i = upper.find_first_of("0123456789", from);
    for (; i < upper.size() && upper[i] >= '0' && upper[i] <= '9' && number < 100000; ++i) {
      number = number * 10 + (upper[i] - '0');
    }
    return number;
  };
  if (upper.starts_with("DBWIN")) return 1252;
  if (upper == "DBHEBREW") return 1255;
  if (upper.size() > 2 && upper.starts_with("DB") && upper[2] >= '0' && upper[2] <= '9') {
    return digits_after(2);
  }
  if (upper.starts_with("FOX")) {
    if (upper.find("WIN", 3) != std::string::npos) return 1252;
    return digits_after(3);
  }
  if (upper == "ANCYRR") return 1251;
  return 0;
}

}  // namespace pasahorario::dbf
