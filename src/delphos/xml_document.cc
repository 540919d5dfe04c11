// The parts of XmlDocument that do not depend on the backend.
#include "delphos/xml_document.h"

#include <cerrno>
#include <cstdint>
#include <fstream>
#include <new>
#include <string>
#include <system_error>

#include "base/atomic_file.h"
#include "base/error.h"
#include "base/system_error.h"
#include "base/utf8_path.h"
#include "delphos/xml_source.h"

namespace pasahorario::delphos {
namespace fs = std::filesystem;
namespace {

// Why a file could not be read, in Spanish, from the C library's error
// number: the common reasons worded for a document being read, the rest as
// every subsystem says them.
std::string ReadFailure(int error) {
  switch (error) {
    case 0:
      return "la lectura se interrumpió antes del final del archivo";
    case EACCES:
    case EPERM:
      return "falta permiso de lectura o lo tiene bloqueado otro programa";
    case EIO:
      return "error de entrada/salida (¿disco dañado o unidad de red desconectada?)";
    case ENOMEM:
      return "no hay memoria suficiente";
    default:
      return ErrnoText(error);
  }
}

Error CannotRead(const fs::path& path, const std::string& reason) {
  return Error("No se pudo leer el archivo " + PathToUtf8(path) + ": " + reason);
}

std::string ReadWholeFile(const fs::path& path) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (!fs::exists(status)) throw Error("No existe el archivo " + PathToUtf8(path));
  if (fs::is_directory(status)) throw CannotRead(path, ReadFailure(EISDIR));
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw CannotRead(path, errno ? ReadFailure(errno) : "el sistema no permite abrirlo");
  std::string bytes;
  try {
    const std::uintmax_t size = fs::file_size(path, ec);
    if (!ec) bytes.reserve(static_cast<size_t>(size));
    // read() turns a failing system read into badbit (an EOF would not).
    char buffer[1 << 16];
    for (;;) {
      in.read(buffer, sizeof buffer);
      bytes.append(buffer, static_cast<size_t>(in.gcount()));
      if (!in) break;
    }
  } catch (const std::bad_alloc&) {
    throw CannotRead(path, ReadFailure(ENOMEM));
  }
  if (in.bad()) throw CannotRead(path, ReadFailure(errno));
  return bytes;
}

}  // namespace

XmlDocument XmlDocument::Load(const fs::path& path) {
  return Parse(ReadWholeFile(path), PathToUtf8(path));
}

void XmlDocument::Save(const fs::path& path) const { WriteFileAtomically(path, Serialize()); }

}  // namespace pasahorario::delphos
