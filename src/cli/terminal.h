// Whether the console front-end may ask questions: standard input must be
// someone typing, not a file, a pipe or the null device.
#pragma once

namespace pasahorario {

// True when standard input is an interactive terminal (a console window on
// Windows). False for a file, a pipe, the null device or a closed input.
bool StandardInputIsTerminal();

}  // namespace pasahorario
