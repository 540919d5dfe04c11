// The console front-end: reads its arguments, runs the export or import
// command of the main window's logic behind a console Ui, or the dry run
// that checks both without writing, prints what was written and the
// findings, and tells the outcome in the exit status. The command line is
// described in console_arguments.h.
#pragma once
#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace pasahorario {

// Exit statuses.
inline constexpr int kExitCompleted = 0;  // "Proceso finalizado"; comprobar: nothing to tell
inline constexpr int kExitFailed = 1;     // the error text is on standard error
inline constexpr int kExitUsage = 2;      // bad arguments
inline constexpr int kExitNoFile = 3;     // "No existe archivo"
inline constexpr int kExitFindings = 4;   // comprobar: findings to tell, nothing would fail

// Runs the front-end on `arguments` (UTF-8, without the program name).
// `interactive` tells whether `in` is a terminal the start time may be
// asked on. Returns the exit status; a completed command whose lines could
// not be written to `out` gives kExitFailed.
int RunConsole(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out,
               std::ostream& err, bool interactive);

}  // namespace pasahorario
