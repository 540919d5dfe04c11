#include "shell/tmform.h"

#include <exception>
#include <system_error>
#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "base/utf8_path.h"
#include "export/recovery.h"
#include "shell/command_line.h"
#include "shell/error_text.h"
#include "shell/exchange_dir.h"
#include "shell/exchange_lock.h"

namespace pasahorario {
namespace fs = std::filesystem;

namespace {

constexpr int32_t kHostedParameterCount = 2;

bool FileExists(const std::string& utf8_path) {
  if (utf8_path.empty()) return false;
  std::error_code ec;
  return fs::is_regular_file(PathFromUtf8(utf8_path), ec);
}

}  // namespace

std::string StandardErrorText(std::string_view message) {
  std::string text(message);
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  return text;
}

TMForm::TMForm(Ui& ui, TMFormOptions options) : ui_(ui), options_(std::move(options)) {}

fs::path TMForm::exchange_dir() const {
  return options_.exchange_dir.empty() ? DefaultExchangeDir() : options_.exchange_dir;
}

template <typename Command>
void TMForm::Run(std::string_view operation, Command command) {
  std::string error;
  try {
    command();
    return;
  } catch (const std::exception& e) {
    error = UserErrorText(e, operation);
  } catch (...) {
    error = UnknownErrorText(operation);
  }
  last_outcome_ = CommandOutcome::kFailed;
  ui_.SetBusy(false);
  ui_.ShowError(StandardErrorText(error));
}

void TMForm::FormCreate() {
  estado_transformado_ = 0;
  if (options_.parameters.size() != kHostedParameterCount) return;
  try {
    const uint32_t handle = ParseHostHandle(options_.parameters[1]);
    ui_.EmbedIn(handle);
    ui_.RemoveFrame();
    num_parametros_ = kHostedParameterCount;
  } catch (const std::exception& e) {
    ui_.ShowError(StandardErrorText(UserErrorText(e, "la entrada en la ventana de Tablerix")));
  }
}

void TMForm::FormShow() {
  // The parameter count decides, not NumParametros: after a bad handle the
  // named command still runs, stand-alone.
  if (options_.parameters.size() != kHostedParameterCount) return;
  if (AsciiLower(options_.parameters[0]) == "importar") BImportarClick();
  if (AsciiLower(options_.parameters[0]) == "exportar") BExportarClick();
}

void TMForm::FormClose() {
  if (!hosted()) return;
  try {
    WriteHostStatus(options_.host_ini, estado_transformado_, options_.write_ini);
  } catch (const std::exception& e) {
    ui_.ShowError(StandardErrorText(
        UserErrorText(e, "la escritura del estado en " + PathToUtf8(options_.host_ini))));
  }
}

void TMForm::RepairExchangeDirFirst() {
  const std::string repaired = RepairExchangeDir(exchange_dir());
  if (!repaired.empty()) ui_.ShowMessage(repaired);
}

bool TMForm::ChooseExistingFile(int32_t status_if_missing) {
  if (std::optional<std::string> chosen = ui_.ChooseXmlFile()) fichero_xml_ = std::move(*chosen);
  if (FileExists(fichero_xml_)) return true;
  last_outcome_ = CommandOutcome::kNoFile;
  ui_.ShowMessage(kNoExisteArchivo);
  if (hosted()) {
    estado_transformado_ = status_if_missing;
    ui_.CloseMainWindow();
  }
  return false;
}

void TMForm::LoadDocument() {
  documento_xml_.reset();
  documento_xml_ = std::make_unique<delphos::XmlDocument>(
      delphos::XmlDocument::Load(PathFromUtf8(fichero_xml_)));
}

void TMForm::Finish(const Report& report) {
  ui_.SetBusy(false);
  estado_transformado_ = 1;
  last_outcome_ = CommandOutcome::kCompleted;
  ui_.ShowMessage(kProcesoFinalizado);
  if (!report.empty()) ui_.ShowReport(report);
  ui_.DisableDirectionButtons();
  if (hosted()) ui_.CloseMainWindow();
}

void TMForm::BExportarClick() {
  last_export_.reset();
  last_import_.reset();
  Run("la exportación", [this] {
    // Held to the end of the command: the repair, the questions asked and
    // every write happen under it.
    const ExchangeDirLock lock = ExchangeDirLock::ForCommand(exchange_dir());
    RepairExchangeDirFirst();
    if (!ChooseExistingFile(-1)) return;
    LoadDocument();
    ui_.SetBusy(true);
    ExportSummary summary =
        ExportarTodo(*documento_xml_, exchange_dir(),
                     [this](const std::string& entry) { return ui_.AskStartTime(entry); });
    last_export_ = std::move(summary);
    Finish(last_export_->report);
  });
}

void TMForm::BImportarClick() {
  last_export_.reset();
  last_import_.reset();
  Run("la importación", [this] {
    // Held to the end of the command: the repair, the questions asked and
    // every write happen under it.
    const ExchangeDirLock lock = ExchangeDirLock::ForCommand(exchange_dir());
    RepairExchangeDirFirst();
    if (!ChooseExistingFile(0)) return;
    ui_.SetBusy(true);
    LoadDocument();
    last_import_ = Importar(*documento_xml_, PathFromUtf8(fichero_xml_), exchange_dir());
    Finish(last_import_->report);
  });
}

void TMForm::Button1Click() {
  Run("la apertura de la ayuda", [this] { ui_.ShowHelpContents(); });
}

}  // namespace pasahorario
