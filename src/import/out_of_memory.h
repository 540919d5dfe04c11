// Running out of memory while the import reads its tables: the user is told
// in Spanish which table was being read, instead of the library's English.
#pragma once
#include <new>
#include <string>
#include <string_view>

#include "base/error.h"
#include "worktables/dbf_table.h"

namespace pasahorario {

// The Error for a lack of memory while reading `what` ("la tabla SOLUC de
// la carpeta D").
Error OutOfMemory(std::string_view what);

// "la tabla T de la carpeta D", for `table`.
std::string TableBeingRead(const dbf::DbfTable& table);

// Runs `read` and returns what it returns; a std::bad_alloc thrown meanwhile
// becomes OutOfMemory(what). Every other exception passes unchanged.
template <typename Read>
auto ReadingOrOutOfMemory(std::string_view what, Read&& read) -> decltype(read()) {
  try {
    return read();
  } catch (const std::bad_alloc&) {
    throw OutOfMemory(what);
  }
}

}  // namespace pasahorario
