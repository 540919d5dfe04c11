// The status report to the host: one value in the host's INI file beside
// the executable, written when the hosted main window closes.
#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>

namespace pasahorario {

inline constexpr std::string_view kHostIniName = "Tablerix.ini";
inline constexpr std::string_view kHostIniSection = "Transformadores";
inline constexpr std::string_view kHostIniKey = "Transformado";

// Writes `value` under [`section`] `key` in `file`, creating what is
// missing and leaving the rest of the file as it was. False when the file
// cannot be written. WriteIniValue (ini_file.h) is the portable one; the
// Windows program passes one over the system's private-profile writer.
using IniWriter = std::function<bool(const std::filesystem::path& file, std::string_view section,
                                     std::string_view key, std::string_view value)>;

// The host's INI file: the directory of `executable` (a full path) followed
// by "Tablerix.ini".
std::filesystem::path HostIniPath(const std::filesystem::path& executable);

// Writes `estado` in decimal ("1", "0", "-1") to section "Transformadores",
// key "Transformado" of `ini` through `writer`. Throws
// Error("Unable to write to <ini>") when the writer fails.
void WriteHostStatus(const std::filesystem::path& ini, int32_t estado, const IniWriter& writer);

}  // namespace pasahorario
