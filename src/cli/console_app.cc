#include "cli/console_app.h"

#include <cerrno>

#include <CLI/CLI.hpp>
#include <optional>
#include <system_error>

#include "base/error.h"
#include "base/system_error.h"
#include "cli/console_ui.h"
#include "cli/report.h"
#include "cli/start_time_text.h"
#include "shell/tmform.h"
#include "base/utf8_path.h"

namespace pasahorario {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kProgram = "pasahorario-cli";

struct Arguments {
  std::string file;
  std::string xtemp;
  std::string start_time;
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
                     Arguments& args) {
  CLI::App* command = app.add_subcommand(name, description);
  command->group("Órdenes");
  command->ignore_case();
  command
      ->add_option("FICHERO", args.file,
                   "El archivo XML de DELPHOS (sin extensión se le añade .xml)")
      ->required()
      ->type_name("");
  command->get_help_ptr()->group("Opciones");
  command
      ->add_option("--xtemp", args.xtemp,
                   "Carpeta de intercambio con Tablerix (por omisión XTEMP en la raíz de la "
                   "unidad actual)")
      ->type_name("CARPETA")
      ->group("Opciones");
  return command;
}

// The reason for a refused command line, in Spanish where we can tell it.
std::string UsageMessage(const CLI::App& app, const CLI::ParseError& e) {
  if (dynamic_cast<const CLI::RequiredError*>(&e) != nullptr) {
    if (app.get_subcommands().empty()) return "Indique la orden: exportar o importar";
    return "Indique el archivo XML de DELPHOS (FICHERO.xml)";
  }
  if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) {
    std::string extras;
    for (const std::string& extra : app.remaining(true)) extras += " " + extra;
    return "Sobran argumentos:" + extras;
  }
  return "Argumentos no válidos (" + std::string(e.what()) + ")";
}

int UsageError(std::ostream& err, const std::string& reason) {
  err << kProgram << ": " << reason << "\nConsulte: " << kProgram << " --help\n";
  return kExitUsage;
}

}  // namespace

int RunConsole(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out,
               std::ostream& err, bool interactive) {
  CLI::App app(
      "Pasa los datos del horario entre DELPHOS y Tablerix: la exportación de DELPHOS "
      "a las tablas de trabajo de Tablerix, y la solución de Tablerix al documento de "
      "resultado para DELPHOS.",
      std::string(kProgram));
  SpanishLabels(app);
  app.set_help_flag("-h,--help", "Muestra esta ayuda y termina")->group("Opciones");
  app.require_subcommand(1);
  app.footer(
      "Resultado: 0 terminado (\"Proceso finalizado\"), 1 error, 2 uso incorrecto, "
      "3 el archivo no existe (\"No existe archivo\").");

  Arguments args;
  CLI::App* exportar = AddCommand(
      app, "exportar",
      "Transformar datos desde Delphos hacia Tablerix (las seis tablas de trabajo)", args);
  CLI::Option* start_time =
      exportar
          ->add_option("--hora-inicio", args.start_time,
                       "Hora de inicio de la primera clase (HH:MM o H:MM); sin ella se pregunta "
                       "en el terminal (por omisión 08:00), o se toma 08:00 sin terminal")
          ->type_name("HH:MM")
          ->group("Opciones");
  CLI::App* importar = AddCommand(
      app, "importar",
      "Transformar datos desde Tablerix hacia Delphos (ResultadoTablerix junto al archivo)", args);

  // CLI11 takes the arguments last to first.
  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
      app.exit(e, out, err);  // --help
      return kExitCompleted;
    }
    return UsageError(err, UsageMessage(app, e));
  }

  ConsoleUiOptions ui_options;
  ui_options.file = args.file;
  ui_options.interactive = interactive;
  if (start_time->count() > 0) {
    try {
      ui_options.start_time = StartTimeOption(args.start_time);
    } catch (const Error& e) {
      return UsageError(err, e.what());
    }
  }
  TMFormOptions form_options;  // no parameters: always stand-alone
  if (exportar->get_option("--xtemp")->count() + importar->get_option("--xtemp")->count() > 0) {
    if (args.xtemp.empty()) {
      return UsageError(err, "La carpeta de intercambio (--xtemp) está vacía");
    }
    std::error_code ec;
    const fs::path xtemp = PathFromUtf8(args.xtemp);
    const fs::path absolute = fs::absolute(xtemp, ec);
    form_options.exchange_dir = ec ? xtemp : absolute;
  }

  ConsoleUi ui(ui_options, in, out, err);
  TMForm form(ui, form_options);
  ui.set_form(&form);
  form.FormCreate();
  form.FormShow();
  if (exportar->parsed()) {
    form.BExportarClick();
  } else {
    form.BImportarClick();
  }
  form.FormClose();

  switch (form.last_outcome()) {
    case CommandOutcome::kCompleted:
      if (form.last_export()) PrintExportReport(*form.last_export(), form.exchange_dir(), out);
      if (form.last_import()) PrintImportReport(*form.last_import(), out);
      errno = 0;
      out.flush();
      if (!out) {
        // The command did its work, but the user was not told what it did.
        err << kProgram << ": no se pudo escribir el informe en la salida estándar"
            << (errno != 0 ? ": " + ErrnoText(errno) : std::string()) << '\n';
        return kExitFailed;
      }
      return kExitCompleted;
    case CommandOutcome::kNoFile:
      err << kProgram << ": no se encuentra " << form.FicheroXML() << '\n';
      return kExitNoFile;
    case CommandOutcome::kNone:
    case CommandOutcome::kFailed:
      break;
  }
  return kExitFailed;
}

}  // namespace pasahorario
