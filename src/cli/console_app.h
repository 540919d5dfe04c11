// The console front-end: reads its arguments, runs the export or import
// command of the main window's logic behind a console Ui, prints what was
// written and tells the outcome in the exit status.
//
//   pasahorario-cli exportar FICHERO.xml [--xtemp DIR] [--hora-inicio HH:MM]
//   pasahorario-cli importar FICHERO.xml [--xtemp DIR]
#pragma once
#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace pasahorario {

// Exit statuses.
inline constexpr int kExitCompleted = 0;  // "Proceso finalizado"
inline constexpr int kExitFailed = 1;     // the error text is on standard error
inline constexpr int kExitUsage = 2;      // bad arguments
inline constexpr int kExitNoFile = 3;     // "No existe archivo"

// Runs the front-end on `arguments` (UTF-8, without the program name).
// `interactive` tells whether `in` is a terminal the start time may be
// asked on. Returns the exit status.
int RunConsole(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out,
               std::ostream& err, bool interactive);

}  // namespace pasahorario
