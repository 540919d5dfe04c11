// The character sets of dBase tables: which code page a table's language
// driver names, and text conversion between UTF-8 (inside the program) and
// that single-byte code page (inside the table).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace pasahorario::dbf {

class CodePage {
 public:
  // The single-byte code page `number` (437, 850, 1252, ...), or nullptr
  // when it is not one of those held. The object lives for the program.
  static const CodePage* Find(int number);
  // Windows code page 1252, the one of the tables we write.
  static const CodePage& Windows1252();

  int number() const { return number_; }

  // `bytes` as UTF-8. A byte the page leaves undefined becomes U+FFFD.
  std::string Decode(std::string_view bytes) const;

  // `utf8` in this page, one byte per character. A letter followed by a
  // combining accent is first composed into one character when the result
  // exists. A character the page cannot hold (or an invalid UTF-8 sequence)
  // becomes '?'; `exact`, when given, tells whether none did.
  std::string Encode(std::string_view utf8, bool* exact = nullptr) const;

  CodePage(int number, const char16_t* upper);

 private:
  int number_;
  const char16_t* upper_;          // characters of bytes 0x80-0xFF
  char16_t sorted_chars_[128];     // reverse map, sorted by character
  uint8_t sorted_bytes_[128];
  int sorted_count_ = 0;
};

// Code page numbers of the multi-byte Far East pages (932, 936, 949, 950)
// that a language driver can name: such tables are refused.
bool IsMultiByteCodePage(int number);

// The code page named by language driver byte `id` (byte 29 of the header):
// the code page number, or 0 when the byte is 0 or unknown.
int CodePageOfDriverId(uint8_t id);

// The code page named by a level-7 language driver name such as "DBWINUS0"
// or "DB850DE0": the number, or 0 when the name is empty or unknown.
int CodePageOfDriverName(std::string_view name);

}  // namespace pasahorario::dbf
