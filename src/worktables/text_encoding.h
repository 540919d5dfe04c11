// Which encoding the text of a table is in when its header does not say:
// the names of code pages that .cpg files beside tables hold, and a test
// for text that can only be UTF-8.
#pragma once
#include <optional>
#include <string_view>

namespace pasahorario::dbf {

// The code page number that "UTF-8" and the like stand for.
constexpr int kUtf8CodePage = 65001;

// The code page named by the text of a .cpg file, as the tools that write
// them spell it: "UTF-8", "1252", "850", "CP1252", "ANSI 1252", "OEM 850",
// "ISO-8859-1" (read as 1252, which only adds characters where ISO-8859-1
// has control codes), "WINDOWS-1252", "IBM850"; letter case, blanks, a
// byte-order mark and a final line end do not matter. kUtf8CodePage for
// UTF-8. Nothing when the text names no code page this program knows by
// number (the caller tells a multi-byte one apart with IsMultiByteCodePage).
std::optional<int> CodePageOfCpgText(std::string_view text);

// Tracks, over many pieces of text, whether all of them are valid UTF-8 and
// whether any holds a character of more than one byte.
class Utf8Evidence {
 public:
  void Add(std::string_view bytes);
  bool valid() const { return valid_; }
  bool multi_byte() const { return multi_byte_; }
  // Whether any byte above 127 was seen.
  bool beyond_ascii() const { return beyond_ascii_; }

 private:
  bool valid_ = true;
  bool multi_byte_ = false;
  bool beyond_ascii_ = false;
};

}  // namespace pasahorario::dbf
