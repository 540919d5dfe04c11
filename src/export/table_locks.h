// Whether another program, such as the host, holds one of the work tables
// that an export is about to replace.
#pragma once
#include <filesystem>

namespace pasahorario {

// Throws Error when a file of one of the six work tables in `exchange_dir`
// (its .DBF or .MDX, any letter case) is held by another program: the
// message names the file and says that another program, probably Tablerix,
// has it open. Tables that do not exist, and files that cannot be opened
// for another reason, pass: the replacement reports those. Writes nothing.
void CheckTablesNotHeld(const std::filesystem::path& exchange_dir);

}  // namespace pasahorario
