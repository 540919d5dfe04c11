// The seven tables an import reads, each held for exclusive use from the
// moment it is opened until Close (or destruction), so the host cannot
// change them while the result is built.
#pragma once
#include <filesystem>

#include "worktables/dbf_table.h"

namespace pasahorario {

class ImportTables {
 public:
  // Opens SOLUC, GRUPOST, PROFT, AULAT, ASIGNOMT, DIASHORAST and ASIGT of
  // `exchange_dir` in this order, each for exclusive use. Throws the
  // engine's Error naming the table and folder when one is missing, held by
  // another program or unreadable, or when memory runs out while it is
  // read; the tables opened before it are closed again.
  explicit ImportTables(const std::filesystem::path& exchange_dir);
  ImportTables(const ImportTables&) = delete;
  ImportTables& operator=(const ImportTables&) = delete;

  // Releases the tables in the order they were opened. Nothing is written:
  // the import only reads.
  void Close();

  dbf::DbfTable soluc;
  dbf::DbfTable grupost;
  dbf::DbfTable proft;
  dbf::DbfTable aulat;
  dbf::DbfTable asignomt;
  dbf::DbfTable diashorast;
  dbf::DbfTable asigt;
};

}  // namespace pasahorario
