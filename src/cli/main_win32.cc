// Entry of pasahorario-cli on Windows: the arguments arrive as UTF-16 and
// become UTF-8 for the rest of the program (linked with -municode).
#include <iostream>
#include <string>
#include <vector>

#include "base/unicode.h"
#include "cli/console_app.h"
#include "cli/terminal.h"

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    const std::wstring_view argument(argv[i]);
    arguments.push_back(pasahorario::Utf16ToUtf8(std::u16string(argument.begin(), argument.end())));
  }
  return pasahorario::RunConsole(arguments, std::cin, std::cout, std::cerr,
                                 pasahorario::StandardInputIsTerminal());
}
