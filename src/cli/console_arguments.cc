#include "cli/console_arguments.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iterator>
#include <string_view>

namespace pasahorario {
namespace {

constexpr std::string_view kCommands = "exportar, importar o comprobar";

// The options of the commands that take a value.
constexpr std::string_view kValueOptions[] = {"--xtemp", "--hora-inicio", "--informe"};

struct Options {
  std::string file, xtemp, start_time, informe;
};

// Labels of the help text in Spanish (the parts CLI11 lets us name).
void SpanishLabels(CLI::App& app) {
  const auto formatter = app.get_formatter();
  formatter->label("Usage", "Uso");
  formatter->label("OPTIONS", "OPCIONES");
  formatter->label("SUBCOMMAND", "ORDEN");
  formatter->label("SUBCOMMANDS", "ÓRDENES");
  formatter->label("REQUIRED", "(obligatorio)");
  formatter->label("Positionals", "Argumentos");
  formatter->label("Needs", "Necesita");
  formatter->label("Excludes", "Excluye");
  formatter->column_width(28);
}

CLI::App* AddCommand(CLI::App& app, const std::string& name, const std::string& description,
                     Options& options, bool asks_start_time) {
  CLI::App* command = app.add_subcommand(name, description);
  command->group("Órdenes");
  command->ignore_case();
  command
      ->add_option("ARCHIVO", options.file,
                   "El archivo XML de DELPHOS (sin extensión se le añade .xml)")
      ->required()
      ->type_name("");
  command->get_help_ptr()->group("Opciones");
  command
      ->add_option("--xtemp", options.xtemp,
                   "Carpeta de intercambio con Tablerix (por omisión XTEMP en la raíz de la "
                   "unidad actual); se encuentra sin distinguir mayúsculas y minúsculas")
      ->type_name("CARPETA")
      ->group("Opciones");
  if (asks_start_time) {
    command
        ->add_option("--hora-inicio", options.start_time,
                     "Hora de inicio de la primera clase (HH:MM o H:MM); sin ella se pregunta "
                     "en el terminal (por omisión 08:00), o se toma 08:00 sin terminal")
        ->type_name("HH:MM")
        ->group("Opciones");
  }
  command
      ->add_option("--informe", options.informe,
                   "Escribe también el informe de avisos en este archivo de texto (UTF-8)")
      ->type_name("ARCHIVO")
      ->group("Opciones");
  return command;
}

// The option of `command` whose name opens CLI11's message, "--xtemp: ...".
const CLI::Option* OptionNamedIn(const CLI::App& command, std::string_view message) {
  for (const CLI::Option* option : command.get_options()) {
    const std::string name = option->get_name();
    if (!name.empty() && message.starts_with(name + ":")) return option;
  }
  return nullptr;
}

// The reason for a refused command line, told in Spanish from what the
// parser found rather than from its English message.
std::string UsageMessage(const CLI::App& app, const std::vector<std::string>& arguments,
                         const CLI::ParseError& e) {
  const std::vector<CLI::App*> chosen = app.get_subcommands();
  if (chosen.empty()) {
    if (arguments.empty()) return "Indique la orden: " + std::string(kCommands);
    const std::string& first = arguments.front();
    const bool command_option =
        std::any_of(std::begin(kValueOptions), std::end(kValueOptions),
                    [&first](std::string_view o) { return first.starts_with(o); });
    if (command_option) return "Indique la orden: " + std::string(kCommands);
    if (first.starts_with("-")) return "Opción desconocida: " + first;
    return "Orden desconocida: " + first + ". Las órdenes son " + std::string(kCommands);
  }
  const CLI::App& command = *chosen.front();
  const std::string name = command.get_name();
  if (dynamic_cast<const CLI::RequiredError*>(&e) != nullptr) {
    return "Falta el archivo XML de DELPHOS: " + name + " ARCHIVO.xml";
  }
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr) {
    const std::string_view message = e.what();
    if (const CLI::Option* option = OptionNamedIn(command, message)) {
      if (message.find(" missing") != std::string_view::npos) {
        return "Falta el valor de la opción " + option->get_name() + " " + option->get_type_name();
      }
      return "La opción " + option->get_name() + " se ha dado más de una vez";
    }
  }
  if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) {
    std::string unknown_options, extras;
    for (const std::string& extra : app.remaining(true)) {
      std::string& list = extra.starts_with("-") ? unknown_options : extras;
      list += " " + extra;
    }
    if (!unknown_options.empty()) {
      return "Opción desconocida para la orden " + name + ":" + unknown_options;
    }
    return "Sobran argumentos:" + extras;
  }
  return "La línea de órdenes no es válida";
}

// `arguments` with the options given before the command moved after it:
// "--xtemp X exportar f.xml" reads as "exportar f.xml --xtemp X". Anything
// else stays as it is, for the parser to judge.
std::vector<std::string> CommandFirst(const std::vector<std::string>& arguments) {
  size_t i = 0;
  std::vector<std::string> leading;
  while (i < arguments.size()) {
    const std::string& a = arguments[i];
    const auto named = [&a](std::string_view option) {
      return a == option || a.starts_with(std::string(option) + "=");
    };
    const auto option = std::find_if(std::begin(kValueOptions), std::end(kValueOptions), named);
    if (option == std::end(kValueOptions)) break;
    leading.push_back(a);
    if (a == *option && i + 1 < arguments.size()) leading.push_back(arguments[++i]);
    ++i;
  }
  if (leading.empty() || i == arguments.size() || arguments[i].starts_with("-")) return arguments;
  std::vector<std::string> reordered(arguments.begin() + static_cast<std::ptrdiff_t>(i),
                                     arguments.end());
  reordered.insert(reordered.end(), leading.begin(), leading.end());
  return reordered;
}

}  // namespace

ParsedArguments ParseConsoleArguments(const std::vector<std::string>& arguments) {
  CLI::App app(
      "Pasa los datos del horario entre DELPHOS y Tablerix: la exportación de DELPHOS "
      "a las tablas de trabajo de Tablerix, y la solución de Tablerix al documento de "
      "resultado para DELPHOS.",
      "pasahorario-cli");
  SpanishLabels(app);
  app.set_help_flag("-h,--help", "Muestra esta ayuda y termina")->group("Opciones");
  app.set_version_flag("--version", "pasahorario-cli " PASAHORARIO_VERSION,
                       "Muestra la versión y termina")
      ->group("Opciones");
  app.require_subcommand(1);
  app.footer(
      "Resultado: 0 terminado (\"Proceso finalizado\"; comprobar: nada que avisar), "
      "1 error, 2 uso incorrecto, 3 el archivo no existe (\"No existe archivo\"), "
      "4 comprobar ha encontrado avisos.");

  Options options;
  CLI::App* exportar = AddCommand(
      app, "exportar",
      "Transformar datos desde Delphos hacia Tablerix (las seis tablas de trabajo)", options, true);
  CLI::App* importar = AddCommand(
      app, "importar",
      "Transformar datos desde Tablerix hacia Delphos (ResultadoTablerix junto al archivo)",
      options, false);
  AddCommand(
      app, "comprobar",
      "Comprueba la exportación y, si la carpeta de intercambio tiene las tablas y SOLUC, la "
      "importación, sin escribir nada; muestra los avisos de ambas",
      options, true);

  ParsedArguments parsed;
  // CLI11 takes the arguments last to first.
  const std::vector<std::string> ordered = CommandFirst(arguments);
  std::vector<std::string> reversed(ordered.rbegin(), ordered.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForVersion& e) {
    parsed.help = std::string(e.what()) + "\n";
    return parsed;
  } catch (const CLI::CallForHelp&) {
    // At the top level every command is shown with its options.
    parsed.help =
        app.get_subcommands().empty() ? app.help("", CLI::AppFormatMode::All) : app.help();
    return parsed;
  } catch (const CLI::ParseError& e) {
    parsed.usage = UsageMessage(app, arguments, e);
    return parsed;
  }

  ConsoleArguments result;
  const CLI::App* command = app.get_subcommands().front();
  result.command = command == exportar   ? ConsoleCommand::kExportar
                   : command == importar ? ConsoleCommand::kImportar
                                         : ConsoleCommand::kComprobar;
  result.file = options.file;
  const auto given = [command](const char* name) {
    return command->get_option_no_throw(name) != nullptr && command->count(name) > 0;
  };
  if (given("--xtemp")) result.xtemp = options.xtemp;
  if (given("--hora-inicio")) result.start_time = options.start_time;
  if (given("--informe")) result.informe = options.informe;
  parsed.arguments = std::move(result);
  return parsed;
}

}  // namespace pasahorario
