// Helpers for the work-table tests: a private temporary directory, whole
// files as bytes, and builders of .DBF bytes written independently of the
// engine (so the tests do not check the engine against itself).
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/test_files.h"

namespace pasahorario::dbf::testing_util {

namespace fs = std::filesystem;

// A fresh directory for one test, removed at the end.
class TempDirTest : public ::testing::Test {
 protected:
  testing_support::TempDir temp_{"dbf"};
  const fs::path dir_ = temp_.path();
};

inline std::string ReadBytes(const fs::path& path) { return testing_support::FileBytes(path); }
using testing_support::WriteBytes;

inline std::string U16(unsigned v) { return {char(v & 0xFF), char(v >> 8 & 0xFF)}; }
inline std::string U32(uint32_t v) { return U16(v & 0xFFFF) + U16(v >> 16); }

struct FixtureField {
  std::string name;
  char type;
  int width;
  int decimals = 0;
};

// A dBase III/IV (or, with `version` 0x30, Visual FoxPro) table: 32-byte
// header, 32-byte descriptors, 0x0D, the backlink area for FoxPro, the
// records as given (each starting with its delete flag), then `tail`.
inline std::string DbaseBytes(uint8_t version, uint8_t driver,
                              const std::vector<FixtureField>& fields,
                              const std::vector<std::string>& records, uint32_t count,
                              const std::string& tail = "\x1A") {
  const bool fox = version == 0x30 || version == 0x31 || version == 0x32;
  int record_length = 1;
  for (const FixtureField& f : fields) record_length += f.width;
  const unsigned header_length =
      32 + 32 * static_cast<unsigned>(fields.size()) + 1 + (fox ? 263 : 0);
  std::string out;
  out += char(version);
  out += "\x7E\x05\x11";  // 2026-05-17
  out += U32(count) + U16(header_length) + U16(static_cast<unsigned>(record_length));
  out += std::string(17, '\0');
  out += char(driver);
  out += std::string(2, '\0');
  for (const FixtureField& f : fields) {
    std::string d(32, '\0');
    d.replace(0, f.name.size(), f.name);
    d[11] = f.type;
    d[16] = char(f.width & 0xFF);
    d[17] = char(f.decimals);
    out += d;
  }
  out += '\x0D';
  if (fox) out += std::string(263, '\0');
  for (const std::string& r : records) out += r;
  return out + tail;
}

// A level-7 table: 68-byte header with the driver name at 32-63, 48-byte
// descriptors, 0x0D, then `extra_header` (a field-properties block, say),
// the records and 0x1A.
inline std::string Level7Bytes(const std::string& driver_name, uint8_t driver_byte,
                               const std::vector<FixtureField>& fields,
                               const std::vector<std::string>& records,
                               const std::string& extra_header = "") {
  int record_length = 1;
  for (const FixtureField& f : fields) record_length += f.width;
  const unsigned header_length = 68 + 48 * static_cast<unsigned>(fields.size()) + 1 +
                                 static_cast<unsigned>(extra_header.size());
  std::string out;
  out += '\x04';
  out += "\x7E\x05\x11";
  out += U32(static_cast<uint32_t>(records.size())) + U16(header_length) +
         U16(static_cast<unsigned>(record_length));
  out += std::string(17, '\0');
  out += char(driver_byte);
  out += std::string(2, '\0');
  std::string name(32, '\0');
  name.replace(0, driver_name.size(), driver_name);
  out += name + std::string(4, '\0');
  for (const FixtureField& f : fields) {
    std::string d(48, '\0');
    d.replace(0, f.name.size(), f.name);
    d[32] = f.type;
    d[33] = char(f.width);
    d[34] = char(f.decimals);
    out += d;
  }
  out += '\x0D';
  out += extra_header;
  for (const std::string& r : records) out += r;
  return out + "\x1A";
}

}  // namespace pasahorario::dbf::testing_util
