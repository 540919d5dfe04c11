#include "import/import_tables.h"

#include "import/out_of_memory.h"

namespace pasahorario {

ImportTables::ImportTables(const std::filesystem::path& exchange_dir)
    : soluc(exchange_dir, "SOLUC"),
      grupost(exchange_dir, "GRUPOST"),
      proft(exchange_dir, "PROFT"),
      aulat(exchange_dir, "AULAT"),
      asignomt(exchange_dir, "ASIGNOMT"),
      diashorast(exchange_dir, "DIASHORAST"),
      asigt(exchange_dir, "ASIGT") {
  // A failure leaves the members that are already open to their
  // destructors, which close them.
  for (dbf::DbfTable* table : {&soluc, &grupost, &proft, &aulat, &asignomt, &diashorast, &asigt}) {
    ReadingOrOutOfMemory(TableBeingRead(*table), [&] { table->Open(dbf::Access::kExclusive); });
  }
}

void ImportTables::Close() {
  for (dbf::DbfTable* table : {&soluc, &grupost, &proft, &aulat, &asignomt, &diashorast, &asigt}) {
    table->Close();
  }
}

}  // namespace pasahorario
