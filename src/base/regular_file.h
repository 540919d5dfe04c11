// Reading a small file that others may have put in its place: only a
// regular file is read, without ever waiting on it (a pipe or a device of
// that name is refused at once, not read until it ends), and never more
// than a limit, so a huge or endless file cannot use up the memory.
#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace pasahorario {

// The whole of `file`, or nothing when there is no file of that name.
// Throws Error naming the file when it is a folder ("es una carpeta, no un
// archivo"), a pipe or a device ("no es un archivo normal"), longer than
// `limit` bytes ("es demasiado grande ...: está dañado"), or cannot be read
// (the system's reason in Spanish).
std::optional<std::string> ReadRegularFile(const std::filesystem::path& file, uint64_t limit);

}  // namespace pasahorario
