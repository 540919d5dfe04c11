// Text at the Win32 boundary: the program keeps UTF-8 inside and hands the
// W functions UTF-16.
#pragma once
#include <string>
#include <string_view>

namespace pasahorario {

std::wstring Wide(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

}  // namespace pasahorario
