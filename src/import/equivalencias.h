// The correspondences a school keeps in EQUIVALENCIAS.TXT, in the exchange
// directory: for a value of SOLUC that the work tables lack, the value of
// the tables it stands for, or "-" for none on purpose. A text file a person
// edits with any editor: UTF-8 with or without a byte-order mark (a file
// that is not valid UTF-8 is read as Windows-1252), LF or CRLF, blank lines
// and `#` comments ignored, one correspondence per line:
//
//   KIND VALUE = VALUE        AULA LAB2 = AU07
//   TRAMO DAY HOUR = DAY HOUR TRAMO 1 9 = 1 8
//   KIND VALUE = -            AULA GUARDIA = -
//
// A value is written bare when it holds no blank, control character, `=`,
// `#` or `"`, and is neither empty nor "-"; otherwise between double quotes,
// where `""` stands for one quote, `\\` for a backslash and `\xNN` (two hex
// digits, 00-1F or 7F) for a control character. A bare value is taken
// literally, backslashes included. Parse and the writer round-trip every
// text a dBase text field can hold.
#pragma once
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace pasahorario {

inline constexpr char kEquivalenciasName[] = "EQUIVALENCIAS.TXT";
// The largest file read: far more lines than any school needs.
inline constexpr size_t kEquivalenciasMaxBytes = 1 << 20;

// What a correspondence is for, in the order the file's header lists them.
enum class EquivalenceKind { kAula, kGrupo, kProfesor, kTarea, kAsignatura, kTramo };

// The word of the file for `kind`: "AULA", "GRUPO", ...
const char* EquivalenceKindName(EquivalenceKind kind);

struct Equivalence {
  EquivalenceKind kind = EquivalenceKind::kAula;
  std::string from;       // the value of SOLUC; for kTramo, DIA's text
  int32_t from_hour = 0;  // kTramo only: HORA
  bool none = false;      // "-": no correspondence on purpose; `to` is empty
  std::string to;         // the value of the tables; for kTramo, the day
  int32_t to_hour = 0;    // kTramo only: the hour
  int line = 0;           // 1-based line of the file; 0 when not read from one
  friend bool operator==(const Equivalence&, const Equivalence&) = default;
};

// The correspondences of one file, each value of each kind at most once.
class Equivalencias {
 public:
  Equivalencias() = default;

  // Reads the file's bytes. Throws Error naming `file_name` and the line
  // when a line cannot be read, its kind does not exist or its value (of
  // its kind) already has a line.
  static Equivalencias Parse(std::string_view bytes, const std::string& file_name);

  // The correspondence for `from` (and, for kTramo, `hour`); nullptr when
  // the file has none. The pointer lives as long as this object.
  const Equivalence* Find(EquivalenceKind kind, std::string_view from, int32_t hour = 0) const;

  // In file order.
  const std::vector<Equivalence>& entries() const { return entries_; }
  bool empty() const { return entries_.empty(); }

 private:
  using Key = std::tuple<EquivalenceKind, std::string, int32_t>;
  std::vector<Equivalence> entries_;
  std::map<Key, size_t> index_;
};

// The file of `exchange_dir` (its name matched in any letter case), or
// none: an empty object. Throws Error naming the file when it is not a
// regular file, is larger than kEquivalenciasMaxBytes, cannot be read, or
// does not parse.
Equivalencias ReadEquivalencias(const std::filesystem::path& exchange_dir);

// `value` as the file writes it: bare or quoted, see above.
std::string EquivalenceValueText(std::string_view value);

// The line of `e` without its line end: "AULA LAB2 = AU07".
std::string EquivalenceLine(const Equivalence& e);

// A whole file holding `entries`: byte-order mark, a comment that explains
// the lines, then one line per entry, each ending in CRLF.
std::string EquivalenciasText(const std::vector<Equivalence>& entries);

// `current` (the bytes of the file, empty when there is none) with the line
// of `e` added at the end, in UTF-8 with a byte-order mark (a Windows-1252
// file is converted; a new file gets the explaining comment). Throws Error
// when `current` does not parse or already has a line for the value.
std::string WithEquivalence(std::string_view current, const Equivalence& e,
                            const std::string& file_name);

// Adds the line of `e` to the file of `exchange_dir`, creating it when
// there is none, through a temporary file and a rename: on any failure the
// file is as before.
void AddEquivalence(const std::filesystem::path& exchange_dir, const Equivalence& e);

}  // namespace pasahorario
