// File-system paths to and from the program's UTF-8 text, the same on every
// platform (a plain std::string would go through the ANSI code page on
// Windows).
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace pasahorario {

std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string PathToUtf8(const std::filesystem::path& path);

}  // namespace pasahorario
