// Any bytes as a work table: opened, then every field of every row read as
// text, as a whole number, as a floating-point number and as a logical.
#include <cstddef>
#include <cstdint>

#include "base/error.h"
#include "fuzz_support.h"
#include "worktables/dbf_table.h"

namespace {

template <typename Read>
void Try(Read read) {
  try {
    read();
  } catch (const pasahorario::Error&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using pasahorario::dbf::DbfTable;
  const auto dir = pasahorario::fuzz::ScratchDir() / "dbf";
  std::filesystem::create_directories(dir);
  pasahorario::fuzz::WriteBytes(dir / "T.DBF", data, size);
  DbfTable table(dir, "T");
  try {
    table.Open(pasahorario::dbf::Access::kExclusive);
    (void)table.code_page_assumption();
    const int fields = static_cast<int>(table.fields().size());
    size_t rows = 0;
    for (table.First(); !table.Eof() && rows < 256; table.Next(), ++rows) {
      for (int f = 0; f < fields; ++f) {
        Try([&] { (void)table.Text(f); });
        Try([&] { (void)table.Integer(f); });
        Try([&] { (void)table.Float(f); });
        Try([&] { (void)table.Logical(f); });
      }
    }
    (void)table.RowCount();
    table.Close();
  } catch (const pasahorario::Error&) {
  }
  return 0;
}
