// Values and names shown inside error messages. Text from a file can hold
// anything: control bytes that would cut or garble the message, bytes that
// are not UTF-8, or nothing at all. These make it safe to show.
#pragma once
#include <string>
#include <string_view>

namespace pasahorario {

// `text` with every control byte (codes 0-31 and 127) and every byte that is
// not part of a valid UTF-8 sequence written as a `\xNN` escape (two upper-
// case hex digits). Everything else, valid UTF-8 beyond ASCII included, is
// kept as it is.
std::string EscapedForMessage(std::string_view text);

// EscapedForMessage(`name`), or `''` when `name` is empty or only blanks, so
// that "el campo '' tiene anchura 0" says there is no name.
std::string NameForMessage(std::string_view name);

}  // namespace pasahorario
