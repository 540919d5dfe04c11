// The main window's logic, apart from any window system: start-up in
// stand-alone or hosted mode, the export, import and help commands, and the
// host status written on close. A Ui does the showing.
#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "delphos/xml_document.h"
#include "export/exportar.h"
#include "import/importar.h"
#include "shell/host_status.h"
#include "shell/ini_file.h"
#include "shell/ui.h"

namespace pasahorario {

struct TMFormOptions {
  // The command line after the program path (SplitCommandLine).
  std::vector<std::string> parameters;
  // Default (empty): DefaultExchangeDir(), \XTEMP on the current drive.
  std::filesystem::path exchange_dir;
  // Tablerix.ini beside the executable (HostIniPath); the front-end sets it.
  // Needed only in hosted mode.
  std::filesystem::path host_ini;
  // Default: the portable line-preserving writer.
  IniWriter write_ini = WriteIniValue;
};

// How the last command ended.
enum class CommandOutcome {
  kNone,       // no command has run yet
  kCompleted,  // "Proceso finalizado" shown
  kNoFile,     // "No existe archivo" shown
  kFailed,     // an error shown in the standard error box
};

class TMForm {
 public:
  // `ui` must outlive the form.
  TMForm(Ui& ui, TMFormOptions options);
  TMForm(const TMForm&) = delete;
  TMForm& operator=(const TMForm&) = delete;

  // Handlers, named as the window's events. None of them throws: an error
  // is shown in the standard error box through the Ui.
  //
  // FormCreate: status 0; with exactly two parameters, embeds the window in
  // the host window named by the second one, removes its frame and enters
  // hosted mode. A bad handle is shown as an error and leaves the form
  // stand-alone.
  void FormCreate();
  // FormShow: with exactly two parameters, runs the import and then the
  // export when the first one, ASCII-lower-cased, names it.
  void FormShow();
  // FormClose: in hosted mode writes EstadoTransformado to the host INI.
  // A failed write is shown as an error; the close goes on.
  void FormClose();
  // The export and import commands; each runs to its end before returning.
  // Each first takes the exchange directory's lock (ExchangeDirLock), and
  // holds it to its end, file dialog and start-time dialog included; when
  // another command holds it, the command is refused in the standard error
  // box without touching anything. Under the lock it repairs an interrupted
  // export (RepairExchangeDir), showing what it repaired in a message,
  // before it touches anything else in the exchange directory.
  void BExportarClick();
  void BImportarClick();
  // The help command: the help file at its contents.
  void Button1Click();

  const std::string& FicheroXML() const { return fichero_xml_; }  // UTF-8, empty until chosen
  int32_t NumParametros() const { return num_parametros_; }
  int32_t EstadoTransformado() const { return estado_transformado_; }
  bool hosted() const { return num_parametros_ == 2; }

  // The exchange directory the commands use (the default resolved).
  std::filesystem::path exchange_dir() const;

  // How the last command ended, and what it did when it completed (empty
  // otherwise), for the console's report.
  CommandOutcome last_outcome() const { return last_outcome_; }
  const std::optional<ExportSummary>& last_export() const { return last_export_; }
  const std::optional<ImportSummary>& last_import() const { return last_import_; }

 private:
  // Runs `command`, which does `operation` (a Spanish noun phrase: "la
  // exportación"); an exception ends it, restores the normal cursor and is
  // shown in the standard error box, in Spanish whatever its kind.
  template <typename Command>
  void Run(std::string_view operation, Command command);

  // The first step of both commands: finishes or undoes an export that was
  // interrupted in the exchange directory and says what was repaired.
  void RepairExchangeDirFirst();
  // Steps shared by both commands: asks for the file; when none exists,
  // shows "No existe archivo" and, hosted, sets `status_if_missing` and
  // closes the window. True when the command goes on.
  bool ChooseExistingFile(int32_t status_if_missing);
  // Replaces DocumentoXML by FicheroXML freshly loaded.
  void LoadDocument();
  // The end of a completed command: normal cursor, status 1, the message,
  // the report when it holds findings, the buttons, and in hosted mode the
  // close.
  void Finish(const Report& report);

  Ui& ui_;
  TMFormOptions options_;
  std::string fichero_xml_;
  std::unique_ptr<delphos::XmlDocument> documento_xml_;
  int32_t num_parametros_ = 0;
  int32_t estado_transformado_ = 0;
  CommandOutcome last_outcome_ = CommandOutcome::kNone;
  std::optional<ExportSummary> last_export_;
  std::optional<ImportSummary> last_import_;
};

// The text the standard error box shows for `message`: a full stop is added
// when the last character's code is above that of the full stop.
std::string StandardErrorText(std::string_view message);

// The system's own message texts.
inline constexpr std::string_view kProcesoFinalizado = "Proceso finalizado";
inline constexpr std::string_view kNoExisteArchivo = "No existe archivo";

}  // namespace pasahorario
