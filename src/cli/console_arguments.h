// The command line of pasahorario-cli read into a command and its options,
// or into the Spanish reason it was refused, or into the help text.
//
//   pasahorario-cli exportar ARCHIVO.xml [--xtemp CARPETA] [--hora-inicio HH:MM] [--informe ARCHIVO]
//   pasahorario-cli importar ARCHIVO.xml [--xtemp CARPETA] [--informe ARCHIVO]
//   pasahorario-cli comprobar ARCHIVO.xml [--xtemp CARPETA] [--hora-inicio HH:MM] [--informe ARCHIVO]
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace pasahorario {

enum class ConsoleCommand { kExportar, kImportar, kComprobar };

struct ConsoleArguments {
  ConsoleCommand command = ConsoleCommand::kExportar;
  std::string file;                       // ARCHIVO as given (UTF-8)
  std::optional<std::string> xtemp;       // --xtemp; default: XTEMP at the drive's root
  std::optional<std::string> start_time;  // --hora-inicio as typed, not yet checked
  std::optional<std::string> informe;     // --informe; default: no report file
};

// Exactly one of the three is set.
struct ParsedArguments {
  std::optional<ConsoleArguments> arguments;
  std::optional<std::string> help;   // --help or --version asked: the text to print
  std::optional<std::string> usage;  // refused: the reason, one Spanish line
};

// Reads `arguments` (without the program name). The command word is
// accepted in any letter case. Top-level --help lists every command with
// all its options.
ParsedArguments ParseConsoleArguments(const std::vector<std::string>& arguments);

}  // namespace pasahorario
