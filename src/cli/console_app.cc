#include "cli/console_app.h"

#include <cerrno>
#include <filesystem>
#include <optional>
#include <system_error>

#include "base/atomic_file.h"
#include "base/error.h"
#include "base/system_error.h"
#include "base/utf8_path.h"
#include "shell/comprobar.h"
#include "cli/console_arguments.h"
#include "cli/console_ui.h"
#include "cli/report.h"
#include "cli/start_time_text.h"
#include "shell/error_text.h"
#include "shell/exchange_dir.h"
#include "shell/tmform.h"
#include "worktables/table_path.h"

namespace pasahorario {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kProgram = "pasahorario-cli";

int UsageError(std::ostream& err, std::string_view reason) {
  err << kProgram << ": " << reason << "\nConsulte: " << kProgram << " --help\n";
  return kExitUsage;
}

// `utf8` made absolute (as it stands when that fails).
fs::path Absolute(const std::string& utf8) {
  const fs::path path = PathFromUtf8(utf8);
  std::error_code ec;
  const fs::path absolute = fs::absolute(path, ec);
  return ec ? path : absolute;
}

// What the options resolve to once checked.
struct Settings {
  ConsoleUiOptions ui;
  fs::path exchange_dir;  // empty: the default
  std::optional<fs::path> informe;
};

// Checks the options' values. The reason, for a usage error, when one is
// refused.
std::optional<std::string> Resolve(const ConsoleArguments& args, bool interactive,
                                   Settings& settings) {
  settings.ui.file = args.file;
  settings.ui.interactive = interactive;
  if (args.start_time) {
    try {
      settings.ui.start_time = StartTimeOption(*args.start_time);
    } catch (const Error& e) {
      return e.what();
    }
  }
  if (args.xtemp) {
    if (args.xtemp->empty()) return "La carpeta de intercambio (--xtemp) está vacía";
    // Found in any letter case, as the tables inside it are.
    settings.exchange_dir = dbf::ResolveLetterCase(Absolute(*args.xtemp));
  }
  if (args.informe) {
    if (args.informe->empty()) return "El archivo del informe (--informe) está vacío";
    settings.informe = Absolute(*args.informe);
    std::error_code ec;
    if (fs::is_directory(*settings.informe, ec)) {
      return "El informe (--informe) es una carpeta, " + PathToUtf8(*settings.informe) +
             "; indique un archivo dentro de ella";
    }
    // The report never replaces the DELPHOS document it is about.
    fs::path chosen = Absolute(args.file);
    if (!chosen.has_extension()) chosen += ".xml";
    const bool same = fs::equivalent(*settings.informe, chosen, ec);
    if (same || settings.informe->lexically_normal() == chosen.lexically_normal()) {
      return "El informe (--informe) no puede escribirse sobre el archivo XML elegido";
    }
  }
  return std::nullopt;
}

// Why the chosen file `utf8_path` cannot be read as one: missing, or a folder.
std::string NotFound(const std::string& utf8_path) {
  std::error_code ec;
  if (fs::is_directory(PathFromUtf8(utf8_path), ec)) {
    return utf8_path + " es una carpeta; indique el archivo XML de DELPHOS que hay dentro";
  }
  return "no se encuentra " + utf8_path;
}

// Writes the report file when --informe asked for one. False, with the
// error on `err`, when it cannot be written.
bool WriteReportFile(const Settings& settings, std::string_view command,
                     const fs::path& chosen_file, const fs::path& exchange_dir,
                     const std::vector<ReportPart>& parts, std::ostream& err) {
  if (!settings.informe) return true;
  try {
    WriteFileAtomically(*settings.informe,
                        ReportFileText(command, chosen_file, exchange_dir, parts));
    return true;
  } catch (const std::exception& e) {
    err << StandardErrorText(UserErrorText(e, "la escritura del informe " +
                                                  PathToUtf8(*settings.informe)))
        << '\n';
    return false;
  }
}

int RunExportOrImport(bool exportar, const Settings& settings, std::istream& in, std::ostream& out,
                      std::ostream& err) {
  TMFormOptions form_options;  // no parameters: always stand-alone
  form_options.exchange_dir = settings.exchange_dir;
  ConsoleUi ui(settings.ui, in, out, err);
  TMForm form(ui, form_options);
  ui.set_form(&form);
  form.FormCreate();
  form.FormShow();
  if (exportar) {
    form.BExportarClick();
  } else {
    form.BImportarClick();
  }
  form.FormClose();

  switch (form.last_outcome()) {
    case CommandOutcome::kCompleted: {
      const Report* report = nullptr;
      if (form.last_export()) {
        PrintExportReport(*form.last_export(), form.exchange_dir(), out);
        report = &form.last_export()->report;
      }
      if (form.last_import()) {
        PrintImportReport(*form.last_import(), out);
        report = &form.last_import()->report;
      }
      if (report == nullptr) return kExitFailed;
      PrintFindings(*report, out);
      const bool written = WriteReportFile(
          settings, exportar ? "exportar" : "importar", PathFromUtf8(form.FicheroXML()),
          form.exchange_dir(), {{exportar ? "Exportación" : "Importación", report, ""}}, err);
      return written ? kExitCompleted : kExitFailed;
    }
    case CommandOutcome::kNoFile:
      err << kProgram << ": " << NotFound(form.FicheroXML()) << '\n';
      return kExitNoFile;
    case CommandOutcome::kNone:
    case CommandOutcome::kFailed:
      break;
  }
  return kExitFailed;
}

int RunComprobar(const Settings& settings, std::istream& in, std::ostream& out, std::ostream& err) {
  ConsoleUi ui(settings.ui, in, out, err);
  const std::string chosen_utf8 = ui.ChooseXmlFile().value_or("");
  const fs::path chosen = PathFromUtf8(chosen_utf8);
  std::error_code ec;
  if (!fs::is_regular_file(chosen, ec)) {
    ui.ShowMessage(kNoExisteArchivo);
    err << kProgram << ": " << NotFound(chosen_utf8) << '\n';
    return kExitNoFile;
  }
  const fs::path exchange_dir =
      settings.exchange_dir.empty() ? DefaultExchangeDir() : settings.exchange_dir;

  std::optional<delphos::XmlDocument> doc;
  DryRun run;
  try {
    doc.emplace(delphos::XmlDocument::Load(chosen));
    run = Comprobar(*doc, chosen, exchange_dir,
                    [&ui](const std::string& entry) { return ui.AskStartTime(entry); });
  } catch (const std::exception& e) {
    err << StandardErrorText(UserErrorText(e, "la comprobación")) << '\n';
    return kExitFailed;
  }

  std::vector<ReportPart> parts;
  if (run.export_summary) {
    PrintExportTables(*run.export_summary,
                      "Exportación comprobada; no se ha escrito ninguna tabla en " +
                          PathToUtf8(exchange_dir) + ". Se escribirían:",
                      out);
    PrintFindings(run.export_summary->report, out);
    parts.push_back({"Exportación", &run.export_summary->report, ""});
  } else {
    const std::string note = "La exportación fallaría: " + StandardErrorText(run.export_error);
    err << note << '\n';
    parts.push_back({"Exportación", nullptr, note});
  }

  std::string import_note;
  if (!run.pending_repair.empty()) {
    import_note = "La carpeta de intercambio " + PathToUtf8(exchange_dir) +
                  " tiene una exportación interrumpida, que la próxima exportación o "
                  "importación completará o deshará (" +
                  run.pending_repair + "); no se comprueba la importación.";
  } else if (!run.import_missing.empty()) {
    import_note = "No se comprueba la importación: faltan en " + PathToUtf8(exchange_dir) + ":";
    for (const std::string& table : run.import_missing) import_note += " " + table;
  }
  if (!import_note.empty()) {
    out << import_note << '\n';
    parts.push_back({"Importación", nullptr, import_note});
  } else if (run.import_summary) {
    out << "Importación comprobada; no se ha escrito el resultado.\n";
    PrintImportCounts(*run.import_summary, out);
    PrintFindings(run.import_summary->report, out);
    parts.push_back({"Importación", &run.import_summary->report, ""});
  } else {
    const std::string note = "La importación fallaría: " + StandardErrorText(run.import_error);
    err << note << '\n';
    parts.push_back({"Importación", nullptr, note});
  }

  if (!WriteReportFile(settings, "comprobar", chosen, exchange_dir, parts, err)) return kExitFailed;
  if (run.failed()) return kExitFailed;
  return run.has_findings() ? kExitFindings : kExitCompleted;
}

int RunParsed(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out,
              std::ostream& err, bool interactive) {
  const ParsedArguments parsed = ParseConsoleArguments(arguments);
  if (parsed.help) {
    out << *parsed.help;
    return kExitCompleted;
  }
  if (parsed.usage) return UsageError(err, *parsed.usage);
  const ConsoleArguments& args = *parsed.arguments;
  Settings settings;
  if (std::optional<std::string> refused = Resolve(args, interactive, settings)) {
    return UsageError(err, *refused);
  }
  switch (args.command) {
    case ConsoleCommand::kExportar:
      return RunExportOrImport(true, settings, in, out, err);
    case ConsoleCommand::kImportar:
      return RunExportOrImport(false, settings, in, out, err);
    case ConsoleCommand::kComprobar:
      return RunComprobar(settings, in, out, err);
  }
  return kExitFailed;
}

}  // namespace

int RunConsole(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out,
               std::ostream& err, bool interactive) {
  int status = kExitFailed;
  try {
    status = RunParsed(arguments, in, out, err, interactive);
  } catch (const std::exception& e) {
    // Whatever no step caught still reaches the user in Spanish.
    err << kProgram << ": " << StandardErrorText(UserErrorText(e, "la orden")) << '\n';
  } catch (...) {
    err << kProgram << ": " << StandardErrorText(UnknownErrorText("la orden")) << '\n';
  }
  // Lines that never reached the user are a failure, not a completed run.
  errno = 0;
  out.flush();
  if (!out && (status == kExitCompleted || status == kExitFindings)) {
    err << kProgram << ": no se ha podido escribir en la salida estándar"
        << (errno != 0 ? ": " + ErrnoText(errno) : std::string()) << '\n';
    return kExitFailed;
  }
  return status;
}

}  // namespace pasahorario
