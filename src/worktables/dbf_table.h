// The work-table engine: dBase tables in the exchange directory.
//
// Writes dBase III/IV tables (version 0x03, language driver 0x57, Windows
// code page 1252). Reads dBase III, IV, 5, 7 and Visual FoxPro tables with
// fields C N F L D I O + @, decoding text by the table's language driver
// (a multi-byte code page is refused). When the header declares no code
// page, or one this program does not know, a .cpg file beside the table
// names it; without one, text that is
// valid UTF-8 with characters of several bytes is read as UTF-8, anything
// else as Windows-1252. Memo fields (M, G, dBase B) are listed but their
// .DBT is never opened: reading one throws Error, so the block number is
// never taken for the text. Deleted rows are never visited.
//
// Rows are read from the file as they are visited, a window of records at a
// time, so memory does not grow with the table. Rows appended are kept
// until Close, which writes them in place after the last stored row and
// updates the header's record count.
//
// A damaged table is refused, never half-read: a file holding fewer whole
// records than its header announces, a header whose parts disagree (a
// length off by one, a fixed-width type of another width), and, when it is
// visited, a record whose first byte is neither a blank nor '*'. Bytes
// after the last announced record are ignored. Failures are Error
// exceptions in Spanish naming the table and its directory; running out of
// memory while reading is one too.
//
// Names: a table is named without extension ("ASIGNOMT") or with it
// ("ASIGNOMT.DBF"); the file is <name>.DBF in the directory. On file
// systems that tell letter case apart, directory and file names are found
// regardless of case (\XTEMP and \xtemp, SOLUC.DBF and soluc.dbf).
#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pasahorario::dbf {

struct FieldLayout {
  std::string name;  // up to 10 ASCII characters
  char type = 'C';   // C text, L logical, N numeric, F float (others: read only)
  int width = 0;     // bytes in the record
  int decimals = 0;
};

// The layouts this program creates.
FieldLayout TextField(std::string name, int width);  // C(width)
FieldLayout LogicalField(std::string name);          // L(1)
FieldLayout IntegerField(std::string name);          // N(11,0)
FieldLayout FloatField(std::string name);            // N(20,4)

// The .DBF path of table `name` in `dir` as it exists on disk (letter case
// resolved), or as it would be created when there is none. Throws Error
// naming both when two files (or two exchange directories) differ only in
// letter case, as SOLUC.DBF and soluc.dbf: which one is meant is unknown.
std::filesystem::path TablePath(const std::filesystem::path& dir, std::string_view name);

// Deletes the table's .DBF and .MDX files (letter case resolved), each if
// it exists. Failures to delete are ignored, as the old table is replaced
// by the create step anyway; two names differing only in letter case throw
// Error as in TablePath, before anything is deleted.
void DeleteTableFiles(const std::filesystem::path& dir, std::string_view name);

enum class Access { kShared, kExclusive };

class DbfTable {
 public:
  // A closed table bound to <dir>/<name>.DBF.
  DbfTable(std::filesystem::path dir, std::string name);
  // A closed table bound to exactly `file` (for staged files).
  explicit DbfTable(std::filesystem::path file);
  DbfTable(DbfTable&&) noexcept;
  DbfTable& operator=(DbfTable&&) noexcept;
  DbfTable(const DbfTable&) = delete;
  DbfTable& operator=(const DbfTable&) = delete;
  ~DbfTable();  // closes; errors on that close are lost, so call Close()

  // Writes a new empty table with `fields`, replacing any file of that
  // name through a temporary file and a rename. The table stays closed.
  // Fields: C width 1-254, L width 1, N/F width 1-20 (decimals up to 15
  // and width - 2); names of 1-10 letters, digits or '_', starting with a
  // letter, not repeated. Throws Error naming the table and directory, and
  // leaves any old file as it was, when the table is open, the field list
  // is not one of those, another program holds the old file, or the file
  // cannot be written.
  void Create(const std::vector<FieldLayout>& fields);

  // Opens the table (no effect when already open) and stands on the first
  // row. kExclusive also keeps every other opening from succeeding until
  // Close, in this process too; kShared ones get along with each other.
  // Throws Error naming table and directory when the file is missing, is
  // held by another program ("... está abierta en otro programa"), is not
  // a dBase table ("no es una tabla dBase (...)"), is cut short ("está
  // incompleta (la cabecera anuncia 182 filas y el archivo sólo contiene 2
  // completas)"), looks damaged ("la tabla parece dañada (...)"), uses a
  // multi-byte code page, or shares its name with another file apart from
  // letter case. A table whose header declares no code page is scanned
  // once here when no .cpg file names one.
  void Open(Access access = Access::kShared);

  // Writes out appended rows and releases the file. A row appended and not
  // posted is dropped. No effect when closed. On a write failure the file
  // is released all the same and Error says what failed.
  void Close();
  bool is_open() const;

  std::string name() const;  // "ASIGNOMT", for messages
  const std::filesystem::path& path() const;
  const std::vector<FieldLayout>& fields() const;  // empty while closed
  // While open, when the header declares no code page or an unknown one: a
  // Spanish sentence saying which one the text is read in and why ("La
  // tabla SOLUC no declara su página de códigos; se lee como UTF-8, como
  // dice el archivo SOLUC.cpg ("UTF-8")."). Nothing when the header
  // declares a known one, or while closed.
  std::optional<std::string> code_page_assumption() const;

  // Index of the field `name` (compared without regard to ASCII case).
  // Throws Error naming the field and the table when there is none.
  int FieldIndex(std::string_view name) const;

  // Whether `field` holds a number in this table: N and F, and the binary
  // numbers of its header kind (I and + everywhere; O in level 7; B and Y
  // in Visual FoxPro). Integer and Float read such a field as a number,
  // Text gives it in decimal; any other field is read as text. Throws Error
  // when the table is closed or `field` is out of range.
  bool HoldsNumber(int field) const;

  // Adds a blank row at the end and makes it the current one; Post keeps
  // it (so do Append, First and Next, which post a row left pending).
  // Throws Error when the table is closed or the file is read-only.
  void Append();
  void Post();

  // Setters act on the current row, which must be one appended and not yet
  // posted (otherwise Error). Text is cut to the field's width after
  // conversion to the table's code page; a character it cannot hold
  // becomes "?". A number too wide for its field throws Error, and so does
  // a value the field's type cannot take (SetText on a numeric field takes
  // a number or blank; SetLogical only on logical fields).
  void SetText(int field, std::string_view utf8);
  void SetLogical(int field, bool value);
  void SetInteger(int field, int64_t value);
  void SetFloat(int field, double value);

  // Getters read the current row; with no current row (Eof), or a field
  // index out of range, they throw Error. Every Error names the table. Text: decoded, without the
  // trailing blanks that fill the field; numbers as written without the
  // filling blanks (binary ones in decimal), "" when blank; logicals
  // "T"/"F"/""; dates as stored (YYYYMMDD); time stamps "YYYY-MM-DD HH:MM:SS".
  std::string Text(int field) const;
  // Whole number: numeric fields give their value (blank is 0, decimals are
  // rounded half away from zero; text that is no number, or a value beyond
  // 32 bits, throws Error naming the row); other fields go through the plain
  // integer conversion, whose error names the text, with a second line
  // "Tabla T, campo F, fila N (carpeta D)" added.
  int32_t Integer(int field) const;
  // Numeric fields, and text fields holding a number; blank is 0.
  double Float(int field) const;
  // Logical fields only; nothing when not set.
  std::optional<bool> Logical(int field) const;

  // Stored-order navigation over rows that are not deleted and, while a
  // filter is on, that pass it. First also applies after Open.
  void First();
  void Next();
  bool Eof() const;

  // Number of live rows in the table, ignoring any filter (0 when closed).
  size_t RowCount() const;

  // A filter of the form  FIELD= 'value'  (blanks around "=" allowed,
  // single quotes inside the value doubled): only rows whose field text
  // equals the value exactly pass. The import itself looks rows up through
  // its own indexes; this filter is kept as the plain reference that the
  // tests check those indexes against. Switching it on stands on the first row
  // that passes. Throws Error for any other form, and, once it applies to
  // the open table, for a field the table lacks. Changing the expression
  // while the filter is on also stands on the first row that passes.
  void SetFilter(std::string_view expression);
  void SetFiltered(bool on);

 private:
  struct Impl;
  void CloseQuietly() noexcept;
  std::unique_ptr<Impl> impl_;
};

}  // namespace pasahorario::dbf
