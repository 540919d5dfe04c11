// A line-preserving writer for INI files, behaving like the Windows
// private-profile writer for one value: it creates the file, the section or
// the key when missing, replaces an existing value and leaves every other
// byte of the file as it was (other sections, comments, line ends).
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace pasahorario {

// `contents` with `key`=`value` set in `section`. Section and key names are
// matched without regard to ASCII case and to blanks around them; the first
// matching section and the first matching key in it win. An existing value
// (the text after "=", past any blanks) is replaced up to the line end. A
// missing key is added after the section's last non-blank line; a missing
// section is added at the end. New lines end like the file's first line
// (CRLF when the file has none).
std::string SetIniValue(std::string_view contents, std::string_view section, std::string_view key,
                        std::string_view value);

// Sets the value in `file` (created when missing) through a temporary file
// and a rename. Returns false, leaving the file as it was, when the file
// cannot be read or written, or when it is stored in UTF-16 (which this
// writer does not edit).
bool WriteIniValue(const std::filesystem::path& file, std::string_view section,
                   std::string_view key, std::string_view value);

}  // namespace pasahorario
