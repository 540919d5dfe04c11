// Finding table files: names with or without ".DBF", and directory and file
// names matched regardless of ASCII letter case where the file system tells
// case apart. Two entries that differ only in letter case leave the name
// ambiguous: that is an Error naming both, so that the user decides which
// one is meant. (TablePath and DeleteTableFiles are declared in dbf_table.h.)
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

#include "base/utf8_path.h"

namespace pasahorario::dbf {

// `name` without a trailing ".DBF" in any letter case: "ASIGNOMT.DBF" and
// "ASIGNOMT" both give "ASIGNOMT".
std::string TableBaseName(std::string_view name);

// The entry of `dir` named `name` apart from ASCII letter case: the one
// spelled exactly so when it is the only one, else the only other one;
// empty when there is none. Throws Error naming both when two entries
// differ from each other only in letter case.
std::filesystem::path FindIgnoringCase(const std::filesystem::path& dir,
                                       const std::filesystem::path& name);

// `path` with each component that does not exist as written replaced by
// the entry of its parent directory that differs only in ASCII letter case.
// Components that cannot be found stay as written. The last component is
// checked for a twin that differs only in case even when it exists as
// written. Throws Error (FindIgnoringCase) when a component found or checked
// so has such a twin.
std::filesystem::path ResolveLetterCase(const std::filesystem::path& path);

}  // namespace pasahorario::dbf
