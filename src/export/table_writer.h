// A new work table filled row by row from the records of one DELPHOS
// section, noting in a Report what the table does not keep as it was given:
// values cut to their field's width, characters that Windows-1252 cannot
// hold (stored as "?"), key values that several rows share or that are
// blank, records whose value names are out of place, and records that give
// no row. The table's bytes are exactly those the engine writes
// for the same calls; the writer only watches.
#pragma once
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/report.h"
#include "delphos/reading.h"
#include "worktables/dbf_table.h"

namespace pasahorario {

// The reason given for a record element with fewer than two value elements,
// which gives no row in any table that applies that test.
inline constexpr char kTooFewValues[] = "menos de dos valores";

// How a watched key is checked (see TableWriter::WatchKey).
struct KeyRules {
  bool ignoring_case = false;  // texts equal without regard to letter case are equal
  // What shared values lead to, in words that follow "; ".
  std::string consequence = "la importación no podrá distinguirlos";
};

class TableWriter {
 public:
  // Takes `table`, created and open, as the table `table_name` ("PROFT")
  // built from section `section` ("PROFESORES"). Findings go to `report`,
  // which must outlive the writer; they name the section and the record's
  // place in it, counted from 1 over every record element.
  TableWriter(dbf::DbfTable table, std::string table_name, std::string section, Report& report);
  TableWriter(const TableWriter&) = delete;
  TableWriter& operator=(const TableWriter&) = delete;

  // Index of field `name`; throws Error as DbfTable::FieldIndex does.
  int Field(std::string_view name) const { return table_.FieldIndex(name); }

  // Makes text field `field` a key that the import finds rows by; `what`
  // names it for people ("abreviatura de profesor"). A blank value stored
  // in it is reported with its record at once. On Close, rows whose stored
  // texts are equal are reported once per shared text: as a repeated key
  // when their whole values were equal too, and as a collision when the cut
  // or a replaced character made them equal.
  void WatchKey(int field, std::string what, KeyRules rules = {});

  // Reports the record at place `record` when `names` finds the `dato`
  // names of `values` out of place: the values, taken by position, may
  // have gone to the wrong fields.
  void CheckNames(int record, const delphos::SectionNames& names,
                  const delphos::RecordValues& values);

  // Starts the row of the record at place `record` (from 1).
  void Append(int record);
  // Stores `value` as DbfTable::SetText does; for a text field, first notes
  // a cut that loses more than trailing blanks, and the characters the code
  // page cannot hold within the part that is kept.
  void SetText(int field, std::string_view value);
  void SetLogical(int field, bool value) { table_.SetLogical(field, value); }
  void SetFloat(int field, double value) { table_.SetFloat(field, value); }
  double Float(int field) const { return table_.Float(field); }
  void Post();

  // The record at place `record` gives no row; `reason` says why, in words
  // that follow "con" ("menos de dos valores"). Records are counted per
  // reason. The second form also counts `key_value` of watched key `field`
  // among the values of that key, as a record that was left out.
  void Skip(int record, const std::string& reason);
  void Skip(int record, const std::string& reason, int field, std::string_view key_value);

  // Closes the table, adds the findings on keys and on records left out,
  // and returns the number of rows posted.
  int Close();

 private:
  struct KeyEntry {
    int record;
    std::string value;  // whole, as given
    bool written;
  };
  struct KeyGroup {
    std::string stored;  // as the table holds it
    std::vector<KeyEntry> entries;
  };
  struct Key {
    int field;
    std::string what;
    KeyRules rules;
    std::vector<KeyGroup> groups;                     // in order of first use
    std::unordered_map<std::string, size_t> by_text;  // stored text -> group
  };
  struct FieldInfo {
    std::string name;
    int width;
    bool text;
  };
  struct SkipReason {
    std::string reason;
    std::vector<int> records;
  };

  void NoteKey(int field, std::string_view value, bool written);
  void ReportKey(const Key& key, const KeyGroup& group);
  std::string FieldLabel(int field) const;  // "campo NOMBRE de PROFT"

  dbf::DbfTable table_;
  std::vector<FieldInfo> fields_;  // the layout, kept past Close
  std::string table_name_;
  std::string section_;
  Report& report_;
  std::vector<Key> keys_;
  std::vector<SkipReason> skipped_;
  int record_ = 0;
  int rows_ = 0;
};

}  // namespace pasahorario
