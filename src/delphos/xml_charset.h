// The character encodings a DELPHOS document may be written in, and the
// byte mapping of the single-byte ones. Shared by both XML backends, which
// only ever see UTF-8 text.
#pragma once
#include <optional>
#include <string_view>

namespace pasahorario::delphos {

enum class Charset {
  kUtf8,
  kUtf16,   // little-endian with a byte-order mark when written
  kLatin1,  // ISO-8859-1
  kLatin9,  // ISO-8859-15
  kWindows1252,
};

// The charset an XML declaration's encoding name stands for, compared
// without regard to letter case ("ISO-8859-1", "latin1", "windows-1252",
// "cp1252", "UTF-8", "UTF-16"...). Nothing for a name the program cannot read.
std::optional<Charset> CharsetByName(std::string_view name);

// True for the charsets that hold one character per byte.
bool IsSingleByte(Charset charset);

// The character that `byte` stands for in a single-byte charset. The five
// bytes windows-1252 leaves unassigned map to the control characters of the
// same value, as Windows does.
// Requires: IsSingleByte(charset).
char32_t DecodeByte(Charset charset, unsigned char byte);

// The byte that holds `cp` in a single-byte charset, or -1 when the charset
// has no byte for it.
// Requires: IsSingleByte(charset).
int EncodeByte(Charset charset, char32_t cp);

}  // namespace pasahorario::delphos
