#include <unistd.h>

#include "cli/terminal.h"

namespace pasahorario {

bool StandardInputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

}  // namespace pasahorario
