// Finding table files: names with or without ".DBF", and directory and file
// names matched regardless of ASCII letter case where the file system tells
// case apart. (TablePath and DeleteTableFiles are declared in dbf_table.h.)
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

#include "base/utf8_path.h"

namespace pasahorario::dbf {

// `name` without a trailing ".DBF" in any letter case: "ASIGNOMT.DBF" and
// "ASIGNOMT" both give "ASIGNOMT".
std::string TableBaseName(std::string_view name);

// `path` with each component that does not exist as written replaced by
// the entry of its parent directory that differs only in ASCII letter case
// (the first in name order when several do). Components that cannot be
// found stay as written.
std::filesystem::path ResolveLetterCase(const std::filesystem::path& path);

}  // namespace pasahorario::dbf
