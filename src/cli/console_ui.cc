#include "cli/console_ui.h"

#include <filesystem>
#include <system_error>

#include "base/error.h"
#include "base/text.h"
#include "cli/start_time_text.h"
#include "base/utf8_path.h"

namespace pasahorario {
namespace fs = std::filesystem;

ConsoleUi::ConsoleUi(ConsoleUiOptions options, std::istream& in, std::ostream& out,
                     std::ostream& err)
    : options_(std::move(options)), in_(in), out_(out), err_(err) {}

std::optional<std::string> ConsoleUi::ChooseXmlFile() {
  fs::path path = PathFromUtf8(options_.file);
  if (!path.has_extension()) path += ".xml";
  std::error_code ec;
  const fs::path absolute = fs::absolute(path, ec);
  return PathToUtf8(ec ? path : absolute);
}

void ConsoleUi::ShowMessage(std::string_view text) { out_ << text << '\n' << std::flush; }

void ConsoleUi::ShowError(std::string_view text) { err_ << text << '\n' << std::flush; }

std::string ConsoleUi::AskStartTime(std::string_view entry) {
  if (options_.start_time) return *options_.start_time;
  if (!options_.interactive) return "08:00";
  if (questions_++ == 0) {
    out_ << "Debe indicar la Hora de Inicio de la primera clase en el Centro.\n";
  } else {
    out_ << "La hora '" << TrimmedText(entry)
         << "' no es válida: la hora no puede pasar de 23 ni los minutos de 59.\n";
  }
  for (;;) {
    out_ << "Hora de Inicio de la Primera Clase: (Formato HH:MM) [" << TrimmedText(entry)
         << "]: " << std::flush;
    std::string line;
    if (!std::getline(in_, line)) {
      out_ << '\n';
      throw Error("No se ha indicado la hora de inicio de la primera clase");
    }
    if (IsBlank(line)) return std::string(entry);
    if (std::optional<std::string> typed = StartTimeEntry(line)) return *typed;
    out_ << "Escriba la hora como HH:MM o H:MM, por ejemplo 08:00.\n";
  }
}

void ConsoleUi::CloseMainWindow() {
  if (form_ != nullptr) form_->FormClose();
}

void ConsoleUi::ShowHelpContents() {
  out_ << "La ayuda está en el archivo DELPHOS.chm, junto al programa de Windows.\n";
}

}  // namespace pasahorario
