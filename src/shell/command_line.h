// The program's command line: splitting the Windows command-line text into
// parameters, and reading the host's window handle from the second one.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pasahorario {

// The parameters after the program path in `command_line` (UTF-8), split by
// the system's rules: blanks and control characters (codes 1 to 32)
// separate parameters; double quotes group text that holds blanks and are
// removed (a"b c"d is one parameter, ab cd; an unclosed quote runs to the
// end). A parameter that is empty once its quotes are removed ("") ends the
// list: neither it nor anything after it is returned.
std::vector<std::string> SplitCommandLine(std::string_view command_line);

// The host window handle written in `parameter`: one or more hexadecimal
// digits (either case), at most eight of them after any leading zeros, and
// nothing else (no blank, sign or prefix such as 0x). Throws
// Error("'$<parameter>' is not a valid integer value") otherwise.
uint32_t ParseHostHandle(std::string_view parameter);

}  // namespace pasahorario
