// What a command changed, dropped or could not match, kept beside its result
// so that the person at the window sees it: a list of findings in the order
// they were made. Each finding is one line a school's administrator can act on.
#pragma once
#include <string>
#include <vector>

namespace pasahorario {

enum class FindingKind {
  kCut,              // a value cut to its field's width
  kCutCollision,     // records that became equal in a key after a cut
  kReplaced,         // a character the table's code page cannot hold
  kDuplicateKey,     // a key the import relies on, in more than one record
  kSkipped,          // records a converter leaves out by its rules
  kUnmatched,        // a value of the solution with no match in the work tables
  kUnknownTeacher,   // a teacher code of the solution that is in no PROFT row
  kNoActivity,       // a solution table without any activity row
  kOldSolution,      // a solution older than the tables of the last export
  kCodePageAssumed,  // text decoded in a code page the table does not declare (or
                     // declares one unknown to us)
  kFileLeft,         // a file of ours that could not be removed after a replacement
  kNotFlushed,       // a folder whose new entries could not be flushed to the disk
  kMisplacedValues,  // a record whose value names do not fit the positions read
  kMissingSection,   // a section the document lacks, whose table is left empty
  kBlankKey,         // a row whose key the import finds it by is blank
  kEquivApplied,     // a line of EQUIVALENCIAS.TXT that gave its value to activities
  kEquivBroken,      // a line of EQUIVALENCIAS.TXT naming a value the tables lack
  kEquivUnused,      // a line of EQUIVALENCIAS.TXT that no value of the solution needed
  kProposal,         // the likely correspondence of a value without a match
};

struct Finding {
  FindingKind kind = FindingKind::kCut;
  std::string where;  // the table or section: "PROFT", "PROFESORES"
  int record = 0;     // 1-based record or row number; 0 when it is not one record
  std::string value;  // the value concerned, whole (before any cut)
  std::string text;   // the Spanish sentence shown to the user
  friend bool operator==(const Finding&, const Finding&) = default;
};

class Report {
 public:
  void Add(Finding finding) { findings_.push_back(std::move(finding)); }
  bool empty() const { return findings_.empty(); }
  const std::vector<Finding>& findings() const { return findings_; }

  // One line per finding: "<where>, registro <record>: <text>", the place
  // left out when there is none.
  std::vector<std::string> Lines() const;
  // A short line for the top of a dialog: "3 avisos: 2 valores recortados,
  // 1 clave repetida".
  std::string Summary() const;

  // The findings grouped by kind, in the order each kind first appears:
  // per group a heading with its count ("2 valores recortados:"), the
  // advice its findings share said once, then one bulleted line per
  // finding ("  • <Lines() line without that advice>"); an empty line
  // between groups. What every front end shows and saves below Summary().
  std::vector<std::string> GroupedLines() const;

 private:
  std::vector<Finding> findings_;
};

}  // namespace pasahorario
