// The text a front end shows for any failure. Our own errors (Error) are
// already the user's text; anything else that reaches a front end (out of
// memory, a file-system or system error from the library, a fault of ours)
// is put in Spanish, naming the operation it stopped, so that no English
// library text is ever shown alone.
#pragma once
#include <exception>
#include <string>
#include <string_view>

namespace pasahorario {

// The user's text for `e`, caught while doing `operation`, a Spanish noun
// phrase ("la exportación", "la comprobación", "guardar el informe"):
// - Error: its own text, unchanged;
// - out of memory: "No hay memoria suficiente para terminar <operation>.";
// - a file-system error: the file(s) it names and the reason in Spanish;
// - a system error: the reason in Spanish;
// - anything else: "Error interno: <its text>", then the operation.
std::string UserErrorText(const std::exception& e, std::string_view operation);

// The same for an exception that is not an std::exception at all.
std::string UnknownErrorText(std::string_view operation);

}  // namespace pasahorario
