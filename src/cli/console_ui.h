// The Ui of the console front-end: the file comes from the command line,
// messages go to standard output, errors to standard error, and the start
// time comes from the option or is asked on the terminal.
#pragma once
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "shell/tmform.h"
#include "shell/ui.h"

namespace pasahorario {

struct ConsoleUiOptions {
  std::string file;                       // as given on the command line (UTF-8)
  std::optional<std::string> start_time;  // entry text from --hora-inicio, already checked
  bool interactive = false;               // standard input is a terminal
};

class ConsoleUi : public Ui {
 public:
  // The streams must outlive the Ui.
  ConsoleUi(ConsoleUiOptions options, std::istream& in, std::ostream& out, std::ostream& err);

  // The form whose close handler CloseMainWindow runs.
  void set_form(TMForm* form) { form_ = form; }

  // The given file made absolute, with ".xml" added to a name without
  // extension, as the file dialog's default extension does.
  std::optional<std::string> ChooseXmlFile() override;
  void ShowMessage(std::string_view text) override;
  void ShowError(std::string_view text) override;
  // Nothing here: the console prints the report after its summary lines.
  void ShowReport(const Report&) override {}
  // The option's time; else, on a terminal, asks until a time of the form
  // HH:MM or H:MM is typed (an empty answer keeps the time offered the first
  // time, never one that was refused); else "08:00", saying so.
  // Throws Error when the terminal's input ends.
  std::string AskStartTime(std::string_view entry) override;
  void SetBusy(bool) override {}
  void DisableDirectionButtons() override {}
  void CloseMainWindow() override;
  void EmbedIn(uint32_t) override {}
  void RemoveFrame() override {}
  void ShowHelpContents() override;

 private:
  ConsoleUiOptions options_;
  std::istream& in_;
  std::ostream& out_;
  std::ostream& err_;
  TMForm* form_ = nullptr;
  int questions_ = 0;
  std::string offered_;  // the entry of the first question, trimmed
};

}  // namespace pasahorario
