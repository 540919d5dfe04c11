// Replacing a user's file safely: the new bytes go to a temporary file in
// the same directory, flushed to the disk, which is then renamed over the
// target, and the directory is flushed. A failure at any step leaves the
// target as it was and no temporary file behind; after a power cut or a
// kill the target is either the old file or the new one.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace pasahorario {

// Writes `bytes` to `target`, replacing any file of that name. Throws Error
// naming `target`, with the system's reason in Spanish, when the directory
// cannot be written (a full disk says so), the rename or a flush fails.
void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// A temporary name beside `target` that no other file has, for staging:
// "<target>.<tag>~<counter>". The file is not created.
std::filesystem::path StagingPath(const std::filesystem::path& target, std::string_view tag);

#include <system_error>
#include <vector>

// Renames `from` over `to` (replacing it) and flushes the directory of
// `to`. Throws Error naming both on failure.
void ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace pasahorario
