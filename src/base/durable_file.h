// The steps of a write that must survive a power cut: a file written and
// flushed to the disk, a rename that replaces, a folder whose entries are
// flushed. Every failure throws Error naming the file and giving the
// system's reason (SystemErrorText).
#pragma once
#include <filesystem>
#include <string_view>

namespace pasahorario {

// Creates `file` (emptying one of that name), writes `bytes`, flushes them
// to the disk and closes it; the close is checked too. An error names
// `shown_as` (default: `file`), such as the target of a temporary file.
void WriteFlushed(const std::filesystem::path& file, std::string_view bytes,
                  const std::filesystem::path& shown_as = {});

// Flushes to the disk what has been written to the existing `file`.
void FlushFile(const std::filesystem::path& file);

// Flushes the entries of folder `dir` (names created, renamed, removed) to
// the disk. On Windows a no-op: RenameFile already writes through.
void FlushDirectory(const std::filesystem::path& dir);

// Renames `from` to `to`, replacing a file named `to`. On Windows the rename
// is written through to the disk before it returns; elsewhere the caller
// flushes the folder. Throws Error naming both.
void RenameFile(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace pasahorario
