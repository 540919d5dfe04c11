// Conversions between UTF-8 (inside the program) and UTF-16 (the Windows
// and MSXML boundary), and a simple case fold for the subject-code test.
#pragma once
#include <string>
#include <string_view>

namespace pasahorario {

// Invalid UTF-8 sequences become U+FFFD; nothing is dropped silently.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Appends code point `cp` to `out` as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);

// Decodes one code point at `pos` and advances `pos`; U+FFFD for a bad byte.
char32_t NextCodePoint(std::string_view utf8, size_t& pos);

// Length of the valid UTF-8 sequence of two to four bytes that starts at
// `text[pos]` (a byte above 127), or 0 when there is none: overlong forms,
// surrogates and code points beyond U+10FFFF are not valid.
size_t ValidUtf8SequenceLength(std::string_view text, size_t pos);

// Equality without regard to letter case, for Latin letters with and without
// accents (Á and á match; A and Á do not), Greek and Cyrillic.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// `text` with every letter in its small form, under the mapping of
// EqualsIgnoringCase: texts equal without regard to case give the same key.
// Invalid UTF-8 bytes become U+FFFD.
std::string CaseFoldKey(std::string_view text);

}  // namespace pasahorario
