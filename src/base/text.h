// Small text rules shared by every subsystem: trimming, blank test, the
// plain whole-number conversion and ASCII lower-casing. Text is UTF-8.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace pasahorario {

// `text` without leading and trailing bytes with codes 0 to 32. Bytes above
// 127 (a no-break space, accented letters) are never removed.
std::string_view TrimmedText(std::string_view text);

// True when nothing is left of `text` once trimmed.
bool IsBlank(std::string_view text);

// The plain integer conversion: leading blanks, then an optional sign, then
// decimal digits and nothing else, within 32 bits. Anything else, the empty
// text included, throws Error("'<text>' is not a valid integer value").
int32_t ParseInteger(std::string_view text);

// `text` with only the ASCII letters A-Z lower-cased.
std::string AsciiLower(std::string_view text);

}  // namespace pasahorario
