// The journal of a replacement of the work tables: a small text file in the
// exchange directory, written and flushed before the first table is
// replaced, that names for each table its staged file, the table file and
// the copy of the old table. Its direction says whether an interrupted
// replacement is to be finished (the decision was taken) or undone (a
// replacement failed and was being taken back). Also the names of the
// files that the export makes beside the tables.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pasahorario {

// The journal's file name in the exchange directory.
inline constexpr std::string_view kJournalName = "PASAHORARIO.DIARIO";

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

// The journal in `text`, or nothing when the text is cut short, damaged, or
// names a file that is not one of the six tables or a name the export makes
// for them (so a damaged journal never moves a file of anyone else's).
std::optional<Journal> ParseJournal(std::string_view text);

// True for the names the export gives its own files beside a work table
// ("<TABLE>.DBF" followed by one or more ".nuevo~N-N" or ".anterior~N-N",
// the table being one of the six, in any letter case), and false for every
// other name, the journal's included.
bool IsExportLeftover(std::string_view file_name);

// True when `file_name` is the .DBF of one of the six tables, any letter case.
bool IsWorkTableFile(std::string_view file_name);

}  // namespace pasahorario
