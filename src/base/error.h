// The one failure type of the program. what() is the text the user sees:
// Spanish, or the system's own wording, naming the file, table, field or
// record involved. Thrown where a step fails, shown once by the shell.
#pragma once
#include <stdexcept>
#include <string>

namespace pasahorario {

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An Error that first says where `e` happened, in Spanish, then gives `e`'s
// own text unchanged on the next line, for example
// "Sección TRAMOS, registro 3, tramo L2, campo MINUTOS:\n'G1' is not a valid
// integer value".
Error WithContext(const Error& e, const std::string& where);

}  // namespace pasahorario
