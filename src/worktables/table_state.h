// The inside of a DbfTable, shared by the files that implement it: the
// open file, a window of stored records read from it, the rows appended
// since opening, the current row and the filter. Not for use outside
// worktables/.
#pragma once
#include <filesystem>
#include <new>
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
  std::filesystem::path dir;  // as given; the file is found in it on each Open/Create
  std::string base_name;      // "ASIGNOMT"
  bool by_name = false;       // false: bound to exactly `file`
  std::filesystem::path file;

  // Open state.
  mutable LockedFile handle;  // read from const accessors through the window
  bool open = false;
  Flavor flavor = Flavor::kDbase;
  const CodePage* page = nullptr;  // nullptr: the text is UTF-8
  std::optional<std::string> code_page_assumption;
  int header_length = 0;
  int record_length = 0;
  std::vector<FieldLayout> specs;
  std::vector<int> offsets;  // of each field in the record
  std::string blank_record;  // what Append adds
  size_t stored_rows = 0;    // rows the header announces, all in the file
  // Stored rows [window_first, window_first + window_rows), read on demand.
  mutable std::string window;
  mutable size_t window_first = 0;
  mutable size_t window_rows = 0;
  std::string appended;  // rows added since Open, raw, not yet in the file
  mutable std::optional<size_t> live_stored_rows;  // counted on first need
  size_t live_appended_rows = 0;                   // posted ones
  bool pending = false;                            // the last row was appended and not posted
  size_t current = 0;                              // row index; row_count() at the end

  // Filter.
  std::optional<EqualityFilter> filter;
  std::string filter_text;  // as given, for messages
  bool filtered = false;
  bool filter_ready = false;  // the fields below match `filter` and the open table
  int filter_field = -1;
  bool filter_raw_usable = false;  // compare stored bytes with filter_raw
  std::string filter_raw;

  size_t row_count() const {
    return stored_rows + (record_length > 0 ? appended.size() / record_length : 0);
  }
  bool at_end() const { return current >= row_count(); }
  // The raw bytes of `row` (Requires: row < row_count()). A stored row is
  // read from the file when it is not in the window; one whose first byte
  // is neither a blank nor '*' throws Error naming the table and the row.
  std::string_view Record(size_t row) const;
  bool deleted(size_t row) const { return Record(row)[0] == '*'; }
  std::string_view raw(size_t row, int field) const {
    return Record(row).substr(static_cast<size_t>(offsets[field]),
                              static_cast<size_t>(specs[field].width));
  }
  // The current row's `field` (Requires: the current row is an appended one).
  char* raw_mutable(int field) {
    return appended.data() + (current - stored_rows) * record_length + offsets[field];
  }

  // Text between the table and UTF-8, in the table's code page.
  std::string Decode(std::string_view bytes) const;
  std::string Encode(std::string_view utf8, bool* exact = nullptr) const;
  // `bytes` (encoded) cut to at most `width` bytes without splitting a
  // character, then filled with blanks to `width`.
  std::string FittedText(std::string bytes, int width) const;

  // Decides the code page of a table whose header declares none, or one
  // this program does not know (`unknown_driver` says how it is named; see
  // TableHeader), once the file is open and the layout read: a .cpg file
  // beside it, else a scan of its text. Sets `page` and
  // `code_page_assumption`.
  void AssumeCodePage(const std::string& unknown_driver);
  // Live stored rows, counted through the file on first call.
  size_t LiveStoredRows() const;
  // Runs `read`, turning running out of memory into an Error naming the
  // table.
  template <class F>
  auto Reading(F&& read) const -> decltype(read()) {
    try {
      return read();
    } catch (const std::bad_alloc&) {
      throw Error("No hay memoria suficiente para leer " + Label());
    }
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
  // The current row's `field` as DbfTable::Integer and Float read it.
  int32_t IntegerAt(int field) const;
  double FloatAt(int field) const;
  [[noreturn]] void TooWide(int field, const std::string& number) const;
  void Reset();  // back to the closed state; releases the file
};

}  // namespace pasahorario::dbf
