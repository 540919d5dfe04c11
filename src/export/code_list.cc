#include "export/code_list.h"

#include "base/unicode.h"

namespace pasahorario {

bool CodeList::Contains(std::string_view code) const {
  return keys_.count(CaseFoldKey(code)) > 0;
}

void CodeList::Add(std::string code) { keys_.insert(CaseFoldKey(code)); }

}  // namespace pasahorario
