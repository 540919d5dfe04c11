// The report dialog: after "Proceso finalizado", what the command changed,
// dropped or could not match, for the user to read, copy and keep.
#pragma once
#include <windows.h>

#include <filesystem>
#include <string>

#include "base/report.h"

namespace pasahorario {

struct ReportDialogOptions {
  std::filesystem::path save_dir;  // where the save dialog opens; default: the system's choice
  std::wstring save_name;          // the file name it proposes; default: Informe.txt
};

// Shows the report modally over `owner` (disabled meanwhile; a window of
// another process too, the host's when hosted): the summary, the findings
// one per line in a read-only list that scrolls, selects and copies (Ctrl+C
// with nothing selected copies the whole report), "Guardar informe…" (a
// UTF-8 text file chosen in the standard save dialog; a failed save is
// shown in the error box and the dialog stays) and "Cerrar" (also Enter and
// Escape). Returns when the user has closed it. Throws Error only when the
// window cannot be created.
void ShowReportDialog(HINSTANCE instance, HWND owner, const Report& report,
                      const ReportDialogOptions& options);

}  // namespace pasahorario
