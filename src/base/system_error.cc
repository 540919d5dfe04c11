#include "base/system_error.h"

#include <cerrno>

#include "base/system_error_platform.h"

namespace pasahorario {

std::string ErrnoText(int error) {
  switch (error) {
    case ENOSPC:
      return "no queda espacio en el disco (el disco está lleno)";
    case EROFS:
      return "el disco o la carpeta solo admite lectura";
    case EACCES:
    case EPERM:
      return "no hay permiso para hacerlo";
    case ENOENT:
      return "no existe el archivo o la carpeta";
    case ENOTDIR:
      return "una parte de la ruta no es una carpeta";
    case EISDIR:
      return "es una carpeta, no un archivo";
    case ELOOP:
    case EMLINK:
      return "demasiados enlaces";
    case EIO:
      return "error de entrada/salida del disco";
    case EBUSY:
      return "está en uso";
    case ENAMETOOLONG:
      return "el nombre es demasiado largo";
    case EEXIST:
      return "ya existe";
    case EMFILE:
    case ENFILE:
      return "hay demasiados archivos abiertos";
    default:
      break;
  }
  return PlatformErrnoText(error);
}

}  // namespace pasahorario
