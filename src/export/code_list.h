// The subject-code list of ExportarMaterias: the codes written so far, looked
// up without regard to letter case (accented capitals and small letters
// match; letters with and without accent do not), in constant time.
#pragma once
#include <string>
#include <string_view>
#include <unordered_set>

namespace pasahorario {

class CodeList {
 public:
  // True when a code equal to `code` without regard to case was added.
  bool Contains(std::string_view code) const;

  // Adds `code` (which may already be there in another case).
  void Add(std::string code);

 private:
  std::unordered_set<std::string> keys_;  // CaseFoldKey of every code added
};

}  // namespace pasahorario
