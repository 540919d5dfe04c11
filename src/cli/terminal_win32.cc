#include <windows.h>

#include "cli/terminal.h"

namespace pasahorario {

// The C library's isatty answers yes for any character device, the NUL
// device included, so a scheduled task started with "< NUL" would be asked
// a question nobody can answer. Only a console input buffer has a console
// mode.
bool StandardInputIsTerminal() {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (input == nullptr || input == INVALID_HANDLE_VALUE) return false;
  DWORD mode = 0;
  return GetConsoleMode(input, &mode) != 0;
}

}  // namespace pasahorario
