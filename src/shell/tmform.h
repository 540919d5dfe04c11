// The main window's logic, apart from any window system: start-up in
// stand-alone or hosted mode, the export, import and help commands, and the
// host status written on close. A Ui does the showing.
#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "delphos/xml_document.h"
#include "export/exportar.h"
#include "import/importar.h"
#include "shell/ui.h"

namespace pasahorario {

struct TMFormOptions {
  std::vector<std::string> parameters;    // the command line after the program
  std::filesystem::path exchange_dir;     // default: \XTEMP on the current drive
  std::filesystem::path host_ini;         // default: Tablerix.ini beside the executable
};

class TMForm {
 public:
  TMForm(Ui& ui, TMFormOptions options);

  // Handlers, named as the window's events.
  void FormCreate();
  void FormShow();
  void FormClose();
  void BExportarClick();
  void BImportarClick();
  void Button1Click();

  const std::string& FicheroXML() const { return fichero_xml_; }
  int32_t NumParametros() const { return num_parametros_; }
  int32_t EstadoTransformado() const { return estado_transformado_; }
  bool hosted() const { return num_parametros_ == 2; }

  // What the last completed command did, for the console's report.
  const std::optional<ExportSummary>& last_export() const { return last_export_; }
  const std::optional<ImportSummary>& last_import() const { return last_import_; }

 private:
  // Runs `command`, showing an Error in the standard error box.
  template <typename Command>
  void Run(Command command);

  Ui& ui_;
  TMFormOptions options_;
  std::string fichero_xml_;
  std::unique_ptr<delphos::XmlDocument> documento_xml_;
  int32_t num_parametros_ = 0;
  int32_t estado_transformado_ = 0;
  std::optional<ExportSummary> last_export_;
  std::optional<ImportSummary> last_import_;
};

// The text the standard error box shows for `message`: a full stop is added
// when the last character's code is above that of the full stop.
std::string StandardErrorText(std::string_view message);

}  // namespace pasahorario
