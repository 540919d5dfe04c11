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

// Whether `file_name` is the name WriteFileAtomically gives its temporary
// file for a target named `target_name`: "<target_name>.nuevo~<digits>-
// <digits>", letter case as written.
bool IsTemporaryOf(std::string_view file_name, std::string_view target_name);

// Removes the temporary files that a WriteFileAtomically of `target`
// stopped by a kill or a power cut left beside it (IsTemporaryOf; regular
// files only); nothing else is touched. Returns, in Spanish, one warning
// for each one that could not be removed, naming it. Requires: no write of
// `target` under way (the caller holds whatever keeps others from it).
std::vector<std::string> RemoveLeftTemporaries(const std::filesystem::path& target);

// Whether a new name can be made in folder `dir`, as every write there
// first needs: makes an empty folder of a fresh name in it and removes it
// at once. The system's error when either step fails; none when both work.
std::error_code CreationError(const std::filesystem::path& dir);

// Renames `from` over `to` (replacing it) and flushes the directory of
// `to`. Throws Error naming both on failure.
void ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace pasahorario
