// The portable part of regular_file: the errors, for the platform files of
// regular_file only.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>

namespace pasahorario {

// Throw Error naming `file`.
[[noreturn]] void FailReading(const std::filesystem::path& file, const std::string& reason);
[[noreturn]] void FailNotRegular(const std::filesystem::path& file, bool folder);
[[noreturn]] void FailTooLarge(const std::filesystem::path& file, uint64_t size, uint64_t limit);

}  // namespace pasahorario
