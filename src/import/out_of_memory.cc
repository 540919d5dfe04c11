#include "import/out_of_memory.h"

#include "base/utf8_path.h"

namespace pasahorario {

Error OutOfMemory(std::string_view what) {
  return Error("No hay memoria suficiente para leer " + std::string(what) +
               ". Cierre otros programas y vuelva a intentarlo; si no basta, compruebe que la "
               "tabla no está dañada.");
}

std::string TableBeingRead(const dbf::DbfTable& table) {
  return "la tabla " + table.name() + " de la carpeta " + PathToUtf8(table.path().parent_path());
}

}  // namespace pasahorario
