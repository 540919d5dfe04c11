// The header of a .DBF file: reading the layouts of dBase III, IV, 5,
// level 7 and Visual FoxPro, and writing the dBase III/IV layout of the
// tables we create (version 0x03, language driver 0x57 = code page 1252).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "worktables/dbf_table.h"

namespace pasahorario::dbf {

enum class Flavor { kDbase, kLevel7, kVisualFoxPro };

struct StoredField {
  FieldLayout layout;
  int offset = 0;  // of the field's first byte in the record (byte 0 is the delete flag)
};

struct TableHeader {
  Flavor flavor = Flavor::kDbase;
  int header_length = 0;           // offset of the first record
  int record_length = 0;           // including the delete flag
  uint32_t record_count = 0;       // as the header says; may exceed what the file holds
  int code_page = 1252;            // single-byte page for the text
  bool code_page_declared = true;  // false: driver byte 0 (and no level-7 driver name)
  // How the header names a code page this program does not know ("el byte
  // de idioma 0xF0"); empty when it names a known one or none. `code_page`
  // is then 1252.
  std::string unknown_driver;
  std::vector<StoredField> fields;
};

// Why bytes are not a header we can use.
struct HeaderProblem {
  enum Kind {
    kNotDbase,   // not a dBase table (or one whose parts contradict each other)
    kTruncated,  // the file ends inside the header
    kMultiByte,  // text in a multi-byte code page (`code_page`)
    kEncrypted,
    kDamaged,  // parts that a writer would never produce (a header length off by one)
  } kind = kNotDbase;
  std::string detail;  // Spanish, for the message; may be empty
  int code_page = 0;
};

// Reads the header at the start of `file`, the whole file's bytes (or at
// least its header). Never reads outside `file`.
std::variant<TableHeader, HeaderProblem> ReadHeader(std::string_view file);

// Empty when a file of `file_size` bytes holds every record the header
// announces (bytes after them do not matter); otherwise, in Spanish, both
// counts ("la cabecera anuncia 182 filas y el archivo sólo contiene 2
// completas").
std::string RecordCountProblem(const TableHeader& header, uint64_t file_size);

struct Date {
  int year = 1900;  // four digits
  int month = 1;
  int day = 1;
};
Date Today();

// A check of a field list before it is written. Empty when it can be
// written; otherwise what is wrong, in Spanish.
std::string FieldListProblem(const std::vector<FieldLayout>& fields);

// The header bytes, up to and including the 0x0D terminator, of a new
// table with `fields` (which passed FieldListProblem) and no records.
std::string BuildHeader(const std::vector<FieldLayout>& fields, Date date);

// Record length (with the delete flag) for `fields`.
int RecordLength(const std::vector<FieldLayout>& fields);

// The 7 bytes at offset 1 of a header: update date and record count.
std::string DateAndCount(Date date, uint32_t record_count);

}  // namespace pasahorario::dbf
