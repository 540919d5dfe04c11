// Counts the rows of SOLUC whose teacher code is in no row of PROFT, per
// code, so the user learns which teachers' timetables did not come across.
// Memory stays bounded whatever the table holds: past a fixed number of
// distinct codes the further ones are counted together.
#pragma once
#include <cstddef>
#include <map>
#include <string>

namespace pasahorario {

class UnknownTeachers {
 public:
  // Codes kept by name; far more than any school has teachers.
  static constexpr size_t kMaxCodes = 500;

  struct Rows {
    long long all = 0;       // rows of SOLUC that carry the code
    long long with_day = 0;  // of them, rows that would have become activities
  };

  // Counts one row of `code`.
  void Add(const std::string& code, bool has_day);

  // The first kMaxCodes distinct codes met, in byte order.
  const std::map<std::string, Rows>& codes() const { return codes_; }
  // The rows of every further code, together.
  const Rows& others() const { return others_; }

 private:
  std::map<std::string, Rows> codes_;
  Rows others_;
};

}  // namespace pasahorario
