// What the commands need from a user interface. Implemented by the Win32
// window, by the console front-end and by a scripted double in the tests.
// Text is UTF-8.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/report.h"

namespace pasahorario {

class Ui {
 public:
  virtual ~Ui() = default;

  // The file dialog OpenDialogXML. The full path of the confirmed file
  // (which need not exist), or nothing when the user cancels.
  virtual std::optional<std::string> ChooseXmlFile() = 0;

  // A message box with `text`, an OK button, no icon, caption Pasahorario.
  // Returns when the user has dismissed it.
  virtual void ShowMessage(std::string_view text) = 0;

  // After "Proceso finalizado", when the command's report holds findings:
  // shows them (the report dialog, owned by the host's window when hosted).
  // Returns when the user has closed it.
  virtual void ShowReport(const Report& report) = 0;

  // The standard error box; `text` already ends as the box shows it.
  virtual void ShowError(std::string_view text) = 0;

  // Shows the start-time dialog modally with the entry holding `entry`
  // ("08:00" the first time) and returns the entry's text when it closes.
  virtual std::string AskStartTime(std::string_view entry) = 0;

  // Hourglass (true) or normal cursor (false).
  virtual void SetBusy(bool busy) = 0;

  // Disables both direction buttons, BExportar then BImportar.
  virtual void DisableDirectionButtons() = 0;

  // Closes the main window; the close handler runs before this returns.
  virtual void CloseMainWindow() = 0;

  // Makes the main window a child of the host window `handle` (0: stays
  // top-level), then removes its frame.
  virtual void EmbedIn(uint32_t handle) = 0;
  virtual void RemoveFrame() = 0;

  // Opens the help file at its contents.
  virtual void ShowHelpContents() = 0;
};

}  // namespace pasahorario
