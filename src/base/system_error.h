// Operating-system failures in the user's words: one place that turns an
// error number or an std::error_code into a short Spanish reason, to be put
// after the name of the file it concerns ("No se pudo escribir X: <reason>").
#pragma once
#include <string>
#include <system_error>

namespace pasahorario {

// The reason for the C library error number `error` (errno): Spanish text
// for the failures users meet (full disk, read-only disk, no permission, no
// such file, a folder where a file should be or a folder not empty, a pipe
// or a device, too many links, input/output error, in use, locked, name too
// long, quota, file too large, no memory, a lost network drive);
// "error del sistema número N" for the rest.
std::string ErrnoText(int error);

// The reason behind `ec`. Errors of the generic category, and on POSIX of
// the system category, as ErrnoText. On Windows a system-category code
// users meet gets Spanish words, and any other is worded by the system (in
// its own language); the code is kept: "no hay permiso para hacerlo
// (código 5)".
std::string SystemErrorText(const std::error_code& ec);

// The reason for the calling thread's last failed system call (errno on
// POSIX, GetLastError on Windows), as SystemErrorText.
std::string LastSystemErrorText();

}  // namespace pasahorario
