// The inside of a DbfTable, shared by the files that implement it: the
// open file, the records held as raw bytes, the current row and the filter.
// Not for use outside worktables/.
#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "worktables/codepage.h"
#include "worktables/dbf_header.h"
#include "worktables/dbf_table.h"
#include "worktables/file_lock.h"
#include "worktables/filter_expression.h"

namespace pasahorario::dbf {

struct DbfTable::Impl {
  // Binding.
  std::filesystem::path dir;   // as given; the file is found in it on each Open/Create
  std::string base_name;       // "ASIGNOMT"
  bool by_name = false;        // false: bound to exactly `file`
  std::filesystem::path file;

  // Open state.
  LockedFile handle;
  bool open = false;
  Flavor flavor = Flavor::kDbase;
  const CodePage* page = nullptr;
  int header_length = 0;
  int record_length = 0;
  std::vector<FieldSpec> specs;
  std::vector<int> offsets;     // of each field in the record
  std::string blank_record;     // what Append adds
  std::string records;          // every row, raw, in stored order
  size_t stored_rows = 0;       // rows that are already in the file
  size_t live_rows = 0;         // rows not deleted, pending one excluded
  bool pending = false;         // the last row was appended and not posted
  size_t current = 0;           // row index; row_count() at the end

  // Filter.
  std::optional<EqualityFilter> filter;
  std::string filter_text;      // as given, for messages
  bool filtered = false;
  bool filter_ready = false;    // the fields below match `filter` and the open table
  int filter_field = -1;
  bool filter_raw_usable = false;  // compare stored bytes with filter_raw
  std::string filter_raw;

  size_t row_count() const { return record_length > 0 ? records.size() / record_length : 0; }
  bool at_end() const { return current >= row_count(); }
  bool deleted(size_t row) const { return records[row * record_length] == '*'; }
  std::string_view raw(size_t row, int field) const {
    return std::string_view(records).substr(row * record_length + offsets[field],
                                            static_cast<size_t>(specs[field].width));
  }
  char* raw_mutable(int field) {
    return records.data() + current * record_length + offsets[field];
  }

  // "la tabla SOLUC de la carpeta /x/xtemp", for messages.
  std::string Label() const;
  // "el campo DIA (N 2,0) de la tabla SOLUC de la carpeta ..."
  std::string FieldLabel(int field) const;
  // "Tabla SOLUC, campo DIA, fila 3 (carpeta /x/xtemp)"
  std::string RowContext(int field) const;

  // Throw Error unless the table is open / `field` is one of its fields /
  // there is a current row / the current row is a new one being written.
  void RequireOpen() const;
  void RequireField(int field) const;
  void RequireRow(int field) const;
  void RequireNewRow(int field) const;

  // Text of `field` in `row`, decoded (see DbfTable::Text).
  std::string TextAt(size_t row, int field) const;
  // Whether `row` is visited: not deleted and passing the filter when on.
  bool Visible(size_t row) const;
  // Index of the first visible row from `row` on, or row_count().
  size_t VisibleFrom(size_t row) const;
  // Makes the filter fields match `filter`. Throws Error for a missing field.
  void PrepareFilter();
  void PostPending();

  // Numbers (dbf_table_values.cc).
  bool IsLevel7Long(int field) const;
  bool IsLevel7Double(int field) const;
  bool HoldsNumber(int field) const;  // a numeric type of this flavor
  // The current row's number in `field` (Requires: HoldsNumber): nothing
  // when blank; Error naming the row when the stored text is no number.
  std::optional<double> StoredNumberOf(int field) const;
  // Stores `number` (`text` in decimal) in the current row; Error when it
  // does not fit or the field holds no numbers.
  void StoreNumber(int field, double number, const std::string& text);
  [[noreturn]] void TooWide(int field, const std::string& number) const;
  void Reset();  // back to the closed state; releases the file
};

}  // namespace pasahorario::dbf
