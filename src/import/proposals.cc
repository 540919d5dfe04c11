#include "import/proposals.h"

#include <algorithm>

#include "base/message_text.h"
#include "base/unicode.h"

namespace pasahorario {
namespace {

// Base letters of U+00C0 to U+00FF; '\0' where the character is no
// accented letter.
constexpr char kLatin1Base[] =
    "AAAAAAACEEEEIIII\0NOOOOO\0\0UUUUY\0\0aaaaaaaceeeeiiii\0nooooo\0\0uuuuy\0y";

std::u32string CodePoints(std::string_view text) {
  std::u32string points;
  for (size_t pos = 0; pos < text.size();) points += NextCodePoint(text, pos);
  return points;
}

bool IsBlankPoint(char32_t c) { return c <= 0x20 || c == 0xA0; }

enum Difference { kCase = 1, kBlanks = 2, kAccents = 4 };

// `text` with the differences of `mask` taken away.
std::string Normal(std::string_view text, int mask) {
  std::string out = mask & kAccents ? WithoutAccents(text) : std::string(text);
  if (mask & kBlanks) {
    std::string kept;
    for (size_t pos = 0; pos < out.size();) {
      const char32_t c = NextCodePoint(out, pos);
      if (!IsBlankPoint(c)) AppendUtf8(kept, c);
    }
    out = kept;
  }
  if (mask & kCase) out = CaseFoldKey(out);
  return out;
}

std::string DifferenceText(int mask) {
  switch (mask) {
    case kCase:
      return "mayúsculas";
    case kBlanks:
      return "los espacios";
    case kAccents:
      return "las tildes";
    case kCase | kBlanks:
      return "mayúsculas y espacios";
    case kCase | kAccents:
      return "mayúsculas y tildes";
    case kBlanks | kAccents:
      return "espacios y tildes";
    default:
      return "mayúsculas, espacios y tildes";
  }
}

std::string Quote(std::string_view text) { return "'" + EscapedForMessage(text) + "'"; }

// The one candidate of the best rank; none when the best rank is shared.
// `rank` gives 0 for a candidate that does not qualify.
template <typename Rank>
std::optional<size_t> Best(size_t count, Rank rank) {
  int best = 0;
  std::optional<size_t> found;
  bool shared = false;
  for (size_t i = 0; i < count; ++i) {
    const int r = rank(i);
    if (r == 0) continue;
    if (best == 0 || r < best) {
      best = r;
      found = i;
      shared = false;
    } else if (r == best) {
      shared = true;
    }
  }
  if (shared) return std::nullopt;
  return found;
}

// The code that differs from `value` only in spelling; `ambiguous` tells
// whether two codes did at the first level where any did.
std::optional<Proposal> BySpelling(std::string_view value, const std::vector<std::string>& codes,
                                   bool& ambiguous) {
  ambiguous = false;
  // Masks in the order of preference: fewer kinds of difference first.
  constexpr int kMasks[] = {kCase,
                            kBlanks,
                            kAccents,
                            kCase | kBlanks,
                            kCase | kAccents,
                            kBlanks | kAccents,
                            kCase | kBlanks | kAccents};
  for (const int mask : kMasks) {
    const std::string key = Normal(value, mask);
    std::vector<size_t> matches;
    for (size_t i = 0; i < codes.size(); ++i) {
      if (Normal(codes[i], mask) == key) matches.push_back(i);
    }
    // Two codes that both match: looser rules would match them too.
    if (matches.size() > 1) {
      ambiguous = true;
      return std::nullopt;
    }
    if (matches.size() == 1) {
      const std::string& code = codes[matches[0]];
      return Proposal{
          code, Quote(value) + " y " + Quote(code) + " solo difieren en " + DifferenceText(mask)};
    }
  }
  return std::nullopt;
}

std::optional<Proposal> ByDistance(std::string_view value, const std::vector<std::string>& codes) {
  const size_t length = CodePoints(value).size();
  const auto found = Best(codes.size(), [&](size_t i) {
    const int d = EditDistance(value, codes[i], 2);
    const size_t longest = std::max(length, CodePoints(codes[i]).size());
    return d <= 2 && static_cast<size_t>(d) < longest ? d : 0;
  });
  if (!found) return std::nullopt;
  const int d = EditDistance(value, codes[*found], 2);
  return Proposal{codes[*found], Quote(value) + " y " + Quote(codes[*found]) +
                                     (d == 1 ? " se diferencian en un solo carácter"
                                             : " se diferencian en dos caracteres")};
}

// The words of a name, without case and accents.
std::vector<std::u32string> NameWords(std::string_view name) {
  std::vector<std::u32string> words(1);
  for (const char32_t c : CodePoints(Normal(name, kCase | kAccents))) {
    if (IsBlankPoint(c) || c == ',' || c == '.' || c == '-') {
      if (!words.back().empty()) words.emplace_back();
    } else {
      words.back() += c;
    }
  }
  if (words.back().empty()) words.pop_back();
  return words;
}

// Whether `code` is the beginnings of some of `words`, in order, at least
// two of them. Each (word, character, parts so far capped at 2) is worked
// out once, so a name of many short words cannot make it slow.
bool Abbreviates(const std::u32string& code, const std::vector<std::u32string>& words) {
  // memo[(w * (code.size() + 1) + c) * 3 + used]: 0 unknown, 1 no, 2 yes.
  std::vector<char> memo((words.size() + 1) * (code.size() + 1) * 3, 0);
  const auto fits = [&](auto& self, size_t from_word, size_t from_char, int used) -> bool {
    if (from_char == code.size()) return used >= 2;
    char& known = memo[(from_word * (code.size() + 1) + from_char) * 3 + used];
    if (known != 0) return known == 2;
    bool found = false;
    for (size_t w = from_word; w < words.size() && !found; ++w) {
      const std::u32string& word = words[w];
      for (size_t n = 1; n <= word.size() && from_char + n <= code.size() && !found; ++n) {
        if (word[n - 1] != code[from_char + n - 1]) break;
        found = self(self, w + 1, from_char + n, std::min(used + 1, 2));
      }
    }
    known = found ? 2 : 1;
    return found;
  };
  return fits(fits, 0, 0, 0);
}

}  // namespace

std::string WithoutAccents(std::string_view text) {
  std::string out;
  for (size_t pos = 0; pos < text.size();) {
    const char32_t c = NextCodePoint(text, pos);
    if (c >= 0x300 && c <= 0x36F) continue;  // a combining accent
    if (c >= 0xC0 && c <= 0xFF && kLatin1Base[c - 0xC0] != '\0') {
      out += kLatin1Base[c - 0xC0];
    } else {
      AppendUtf8(out, c);
    }
  }
  return out;
}

int EditDistance(std::string_view a_text, std::string_view b_text, int limit) {
  const std::u32string a = CodePoints(a_text), b = CodePoints(b_text);
  const size_t gap = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
  if (gap > static_cast<size_t>(limit)) return limit + 1;
  std::vector<int> previous(b.size() + 1), current(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) previous[j] = static_cast<int>(j);
  for (size_t i = 1; i <= a.size(); ++i) {
    current[0] = static_cast<int>(i);
    int row_best = current[0];
    for (size_t j = 1; j <= b.size(); ++j) {
      current[j] = std::min(
          {previous[j] + 1, current[j - 1] + 1, previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
      row_best = std::min(row_best, current[j]);
    }
    if (row_best > limit) return limit + 1;
    std::swap(previous, current);
  }
  return std::min(previous[b.size()], limit + 1);
}

std::optional<Proposal> ProposeCode(std::string_view value, const std::vector<std::string>& codes) {
  bool ambiguous = false;
  if (auto found = BySpelling(value, codes, ambiguous)) return found;
  if (ambiguous) return std::nullopt;
  return ByDistance(value, codes);
}

std::optional<Proposal> ProposeTeacher(std::string_view code,
                                       const std::vector<TeacherName>& teachers) {
  std::vector<std::string> codes;
  for (const TeacherName& t : teachers) codes.push_back(t.abrev);
  bool ambiguous = false;
  if (auto found = BySpelling(code, codes, ambiguous)) return found;
  if (ambiguous) return std::nullopt;
  const std::u32string key = CodePoints(Normal(code, kCase | kAccents | kBlanks));
  if (key.size() >= 2) {
    std::vector<size_t> fits;
    for (size_t i = 0; i < teachers.size(); ++i) {
      if (Abbreviates(key, NameWords(teachers[i].nombre))) fits.push_back(i);
    }
    if (fits.size() > 1) return std::nullopt;  // several names fit: none stands out
    if (fits.size() == 1) {
      const TeacherName& t = teachers[fits[0]];
      return Proposal{t.abrev,
                      Quote(code) + " se forma con el principio de las palabras del nombre de " +
                          Quote(t.abrev) + " en PROFT (" + EscapedForMessage(t.nombre) + ")"};
    }
  }
  return ByDistance(code, codes);
}

}  // namespace pasahorario
