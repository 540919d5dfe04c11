// Where the work tables live when no exchange directory is given: XTEMP at
// the root of the current drive, as the host keeps it.
#pragma once
#include <filesystem>
#include <string_view>

namespace pasahorario {

// `parent` / `name`, or, when no entry of exactly that name exists, the
// first directory in `parent` whose name equals `name` apart from ASCII
// letter case (XTEMP and xtemp on file systems that tell case apart).
// `parent` / `name` as given when neither exists.
std::filesystem::path FindFolderIgnoringCase(const std::filesystem::path& parent,
                                             std::string_view name);

// "\XTEMP" on the current drive (on Windows), "/XTEMP" or its folder in any
// letter case at the root elsewhere.
std::filesystem::path DefaultExchangeDir();

}  // namespace pasahorario
