// Entry of pasahorario-cli where the system hands the arguments over as
// UTF-8 bytes.
#include <iostream>
#include <string>
#include <vector>

#include "cli/console_app.h"
#include "cli/terminal.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  return pasahorario::RunConsole(arguments, std::cin, std::cout, std::cerr,
                                 pasahorario::StandardInputIsTerminal());
}
