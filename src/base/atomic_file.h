// Replacing a user's file safely: the new bytes go to a temporary file in
// the same directory, which is then renamed over the target. A failure at
// any step leaves the target as it was and no temporary file behind.
#pragma once
#include <filesystem>
#include <string_view>

namespace pasahorario {

// Writes `bytes` to `target`, replacing any file of that name. Throws Error
// naming `target` when the directory cannot be written or the rename fails.
void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// A temporary name beside `target` that no other file has, for staging:
// "<target>.<tag>~<counter>". The file is not created.
std::filesystem::path StagingPath(const std::filesystem::path& target, std::string_view tag);

// Renames `from` over `to` (replacing it). Throws Error naming both on failure.
void ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace pasahorario
