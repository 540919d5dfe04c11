// What the fuzz harnesses share: a private scratch directory per process and
// a way to put the fuzzer's bytes into a file there. Only pasahorario::Error
// is an expected outcome of damaged input; anything else escapes the harness
// and is reported by libFuzzer as a crash.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

namespace pasahorario::fuzz {

// A directory of this process's own, made on first use under TMPDIR and
// removed at exit.
const std::filesystem::path& ScratchDir();

// Writes `size` bytes at `data` to `path`, replacing it. Aborts when the
// file cannot be written: a harness that cannot set up its input is broken.
void WriteBytes(const std::filesystem::path& path, const uint8_t* data, size_t size);

// Removes everything in `dir` but leaves the directory.
void EmptyDir(const std::filesystem::path& dir);

}  // namespace pasahorario::fuzz
