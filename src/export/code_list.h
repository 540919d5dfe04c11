// The subject-code list of ExportarMaterias: the codes written so far, looked
// up without regard to letter case (accented capitals and small letters
// match; letters with and without accent do not), in constant time.
#pragma once
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pasahorario {

// `code` with every letter replaced by its small form, under the same
// mapping as EqualsIgnoringCase: two codes that are equal without regard to
// case give the same key. Invalid UTF-8 bytes become U+FFFD.
std::string CaseFoldKey(std::string_view code);

class CodeList {
 public:
  // True when a code equal to `code` without regard to case was added.
  bool Contains(std::string_view code) const;

  // Adds `code` (which may already be there in another case).
  void Add(std::string code);

 private:
  // Folded key -> codes added under it, as written.
  std::unordered_map<std::string, std::vector<std::string>> codes_;
};

}  // namespace pasahorario
