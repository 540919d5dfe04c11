// The parts of XmlDocument that do not depend on the backend.
#include "delphos/xml_document.h"
#include "base/utf8_path.h"

#include <fstream>
#include <sstream>
#include <system_error>

#include "base/atomic_file.h"
#include "base/error.h"
#include "delphos/xml_source.h"

namespace pasahorario::delphos {
namespace fs = std::filesystem;
namespace {

std::string ReadWholeFile(const fs::path& path) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (!fs::exists(status)) throw Error("No existe el archivo " + PathToUtf8(path));
  if (fs::is_directory(status)) throw Error(PathToUtf8(path) + " es una carpeta, no un archivo XML");
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  if (in) bytes << in.rdbuf();
  if (!in || in.bad()) {
    throw Error("No se pudo leer el archivo " + PathToUtf8(path) +
                " (¿falta permiso de lectura o lo tiene bloqueado otro programa?)");
  }
  return std::move(bytes).str();
}

}  // namespace

XmlDocument XmlDocument::Load(const fs::path& path) {
  return Parse(ReadWholeFile(path), PathToUtf8(path));
}

void XmlDocument::Save(const fs::path& path) const { WriteFileAtomically(path, Serialize()); }

}  // namespace pasahorario::delphos
