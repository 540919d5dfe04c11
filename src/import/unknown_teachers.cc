#include "import/unknown_teachers.h"

namespace pasahorario {

void UnknownTeachers::Add(const std::string& code, bool has_day) {
  auto found = codes_.find(code);
  if (found == codes_.end()) {
    if (codes_.size() >= kMaxCodes) {
      ++others_.all;
      if (has_day) ++others_.with_day;
      return;
    }
    found = codes_.emplace(code, Rows{}).first;
  }
  ++found->second.all;
  if (has_day) ++found->second.with_day;
}

}  // namespace pasahorario
