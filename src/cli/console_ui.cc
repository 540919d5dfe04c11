#include "cli/console_ui.h"

#include <filesystem>
#include <system_error>

#include "base/error.h"
#include "base/text.h"
#include "base/utf8_path.h"
#include "cli/start_time_text.h"

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
  if (!options_.interactive) {
    out_ << "No hay terminal donde preguntar la hora de inicio de la primera clase: se toma "
            "08:00 (--hora-inicio indica otra).\n";
    return "08:00";
  }
  // The question comes back only when the last answer was refused; that
  // answer is named, and Enter keeps the time first offered.
  if (questions_++ == 0) {
    offered_ = TrimmedText(entry);
    out_ << "Debe indicar la Hora de Inicio de la primera clase en el Centro.\n";
  } else {
    out_ << "La hora '" << TrimmedText(entry)
         << "' no es válida: la hora no puede pasar de 23 ni los minutos de 59.\n";
  }
  for (;;) {
    out_ << "Hora de Inicio de la Primera Clase: (Formato HH:MM) [" << offered_
         << "]: " << std::flush;
    std::string line;
    if (!std::getline(in_, line)) {
      out_ << '\n';
      throw Error("No se ha indicado la hora de inicio de la primera clase");
    }
    if (IsBlank(line)) {
      if (std::optional<std::string> kept = StartTimeEntry(offered_)) return *kept;
      return offered_;
    }
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
