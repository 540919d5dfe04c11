#include "export/commit_journal.h"

#include <cctype>

#include "base/regular_file.h"
#include "base/text.h"
#include "worktables/work_tables.h"

namespace pasahorario {
namespace {

constexpr std::string_view kFirstLine = "Pasahorario: sustitucion de las tablas de trabajo";
constexpr std::string_view kForward = "terminar";
constexpr std::string_view kBack = "deshacer";
constexpr std::string_view kLastLine = "fin";


// Whether `rest` is one or more ".<tag>~<digits>-<digits>" with the tag
// "nuevo" or "anterior"; `last_tag` receives the last tag.
bool StagingSuffixes(std::string_view rest, std::string_view* last_tag) {
  if (rest.empty()) return false;
  while (!rest.empty()) {
    if (rest.front() != '.') return false;
    rest.remove_prefix(1);
    std::string_view tag;
    for (std::string_view t : {std::string_view("nuevo~"), std::string_view("anterior~")}) {
      if (rest.starts_with(t)) tag = t;
    }
    if (tag.empty()) return false;
    rest.remove_prefix(tag.size());
    *last_tag = tag.substr(0, tag.size() - 1);
    for (int part = 0; part < 2; ++part) {
      size_t digits = 0;
      while (digits < rest.size() && std::isdigit(static_cast<unsigned char>(rest[digits]))) {
        ++digits;
      }
      if (digits == 0) return false;
      rest.remove_prefix(digits);
      if (part == 0) {
        if (!rest.starts_with('-')) return false;
        rest.remove_prefix(1);
      }
    }
  }
  return true;
}

// The table file name at the start of `lower` ("asignomt.dbf"), or empty.
std::string_view TablePrefix(std::string_view lower) {
  for (std::string_view name : kWorkTables) {
    const std::string table = AsciiLower(name);
    if (lower.starts_with(table) && lower.substr(table.size()).starts_with(".dbf")) {
      return lower.substr(0, table.size() + 4);
    }
  }
  return {};
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const size_t at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

// Whether `name` is `target` followed by staging suffixes ending in `tag`.
bool NamesStagingOf(std::string_view name, std::string_view target, std::string_view tag) {
  const std::string lower = AsciiLower(name);
  const std::string lower_target = AsciiLower(target);
  std::string_view last_tag;
  return lower.starts_with(lower_target) &&
         StagingSuffixes(std::string_view(lower).substr(lower_target.size()), &last_tag) &&
         last_tag == tag;
}

}  // namespace

bool IsWorkTableFile(std::string_view file_name) {
  const std::string lower = AsciiLower(file_name);
  const std::string_view prefix = TablePrefix(lower);
  return !prefix.empty() && prefix.size() == lower.size();
}

LeftoverKind ClassifyLeftover(std::string_view file_name) {
  const std::string lower = AsciiLower(file_name);
  const std::string journal = AsciiLower(kJournalName);
  std::string_view last_tag;
  if (lower.starts_with(journal)) {
    return StagingSuffixes(std::string_view(lower).substr(journal.size()), &last_tag)
               ? LeftoverKind::kJournal
               : LeftoverKind::kNone;
  }
  const std::string_view prefix = TablePrefix(lower);
  if (prefix.empty() ||
      !StagingSuffixes(std::string_view(lower).substr(prefix.size()), &last_tag)) {
    return LeftoverKind::kNone;
  }
  return last_tag == "nuevo" ? LeftoverKind::kStaged : LeftoverKind::kCopy;
}

bool IsExportLeftover(std::string_view file_name) {
  return ClassifyLeftover(file_name) != LeftoverKind::kNone;
}

std::string LeftoverTable(std::string_view file_name) {
  const std::string_view prefix = TablePrefix(AsciiLower(file_name));
  return std::string(file_name.substr(0, prefix.size()));
}

std::string ReadJournalText(const std::filesystem::path& file) {
  return ReadRegularFile(file, kMaxJournalBytes).value_or("");
}

std::string FormatJournal(const Journal& journal) {
  std::string text(kFirstLine);
  text += '\n';
  text += journal.direction == Journal::Direction::kForward ? kForward : kBack;
  text += '\n';
  for (const JournalEntry& e : journal.entries) {
    text += e.staged + '\t' + e.target + '\t' + e.backup + '\n';
  }
  text += kLastLine;
  text += '\n';
  return text;
}

std::optional<Journal> ParseJournal(std::string_view text) {
  std::vector<std::string_view> lines = Split(text, '\n');
  // First line, direction, at least one entry, the last line, and the empty
  // rest after its line end.
  if (lines.size() < 5 || lines[0] != kFirstLine || lines[lines.size() - 2] != kLastLine ||
      !lines.back().empty()) {
    return std::nullopt;
  }
  Journal journal;
  if (lines[1] == kForward) {
    journal.direction = Journal::Direction::kForward;
  } else if (lines[1] == kBack) {
    journal.direction = Journal::Direction::kBack;
  } else {
    return std::nullopt;
  }
  for (size_t i = 2; i + 2 < lines.size(); ++i) {
    const std::vector<std::string_view> fields = Split(lines[i], '\t');
    if (fields.size() != 3) return std::nullopt;
    JournalEntry entry{std::string(fields[0]), std::string(fields[1]), std::string(fields[2])};
    if (!IsWorkTableFile(entry.target) || !NamesStagingOf(entry.staged, entry.target, "nuevo") ||
        (!entry.backup.empty() && !NamesStagingOf(entry.backup, entry.target, "anterior"))) {
      return std::nullopt;
    }
    journal.entries.push_back(std::move(entry));
  }
  return journal;
}

}  // namespace pasahorario
