// The journal of a replacement of the work tables: a small text file in the
// exchange directory, written and flushed before the first table is
// replaced, that names for each table its staged file, the table file and
// the copy of the old table. Its direction says whether an interrupted
// replacement is to be finished (the decision was taken) or undone (a
// replacement failed and was being taken back). A journal is written whole
// under a temporary name and renamed to the journal's, never written in
// place, so the file under the journal's name is always a whole one. Also the names of the
// files that the export makes beside the tables.
#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pasahorario {

// The journal's file name in the exchange directory.
inline constexpr std::string_view kJournalName = "PASAHORARIO.DIARIO";

// A journal names six tables with three short file names each; one longer
// than this is damaged.
inline constexpr uint64_t kMaxJournalBytes = 8 * 1024;

struct JournalEntry {
  std::string staged;  // "ASIGNOMT.DBF.nuevo~123-1": the new table, until renamed
  std::string target;  // "ASIGNOMT.DBF", the letter case as on the disk
  std::string backup;  // "ASIGNOMT.DBF.anterior~123-7"; empty when there was no old table
  friend bool operator==(const JournalEntry&, const JournalEntry&) = default;
};

struct Journal {
  enum class Direction { kForward, kBack };
  Direction direction = Direction::kForward;
  std::vector<JournalEntry> entries;
  friend bool operator==(const Journal&, const Journal&) = default;
};

// The journal's bytes; they end with a closing line, so that a journal cut
// short is never taken for a whole one.
std::string FormatJournal(const Journal& journal);

// The bytes of the journal file `file`; empty when there is none. Throws
// Error naming the file when it is not a regular file (a folder, a pipe:
// never waited on) or is longer than kMaxJournalBytes (it is damaged), or
// cannot be read.
std::string ReadJournalText(const std::filesystem::path& file);

// The journal in `text`, or nothing when the text is cut short, damaged, or
// names a file that is not one of the six tables or a name the export makes
// for them (so a damaged journal never moves a file of anyone else's).
std::optional<Journal> ParseJournal(std::string_view text);

// What a file of the export's own is, by its name: a staged table
// ("<TABLE>.DBF" followed by one or more ".nuevo~N-N" or ".anterior~N-N",
// the last one ".nuevo"), a copy of an old table (the last one
// ".anterior"), a journal not under the journal's name (the journal's name
// followed by such suffixes); the table being one of the six and the
// letter case any. kNone for every other name, the journal's own included.
enum class LeftoverKind { kNone, kStaged, kCopy, kJournal };
LeftoverKind ClassifyLeftover(std::string_view file_name);

// True for the names of ClassifyLeftover other than kNone.
bool IsExportLeftover(std::string_view file_name);

// The table file a staged table or copy is for, as its name spells it:
// "asigt.dbf" for "asigt.dbf.anterior~1-2". Requires: a kStaged or kCopy name.
std::string LeftoverTable(std::string_view file_name);

// True when `file_name` is the .DBF of one of the six tables, any letter case.
bool IsWorkTableFile(std::string_view file_name);

}  // namespace pasahorario
