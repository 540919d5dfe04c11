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
    case ENOTEMPTY:
      return "es una carpeta y no está vacía";
    case EXDEV:
      return "los dos nombres están en unidades distintas";
    case EFBIG:
    case EOVERFLOW:
      return "el archivo es demasiado grande";
    case ENOMEM:
      return "no hay memoria suficiente";
    case ETXTBSY:
      return "está en uso por un programa en marcha";
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
      return "otro programa lo tiene bloqueado";
    case ENOLCK:
      return "no se pueden bloquear más archivos";
    case ENXIO:
    case ENODEV:
    case ESPIPE:
      return "no es un archivo normal (es una tubería o un dispositivo)";
    case EINVAL:
      return "la operación no es válida para ese nombre (¿una carpeta donde debería haber un "
             "archivo, o al revés?)";
    case EINTR:
      return "la operación se ha interrumpido";
    case ENOTSUP:
#if EOPNOTSUPP != ENOTSUP
    case EOPNOTSUPP:
#endif
    case ENOSYS:
      return "la unidad no admite esta operación";
    case ETIMEDOUT:
    case ENOTCONN:
    case ECONNRESET:
    case ECONNABORTED:
    case ENETDOWN:
    case ENETUNREACH:
    case ENETRESET:
    case EHOSTUNREACH:
      return "se ha perdido la conexión con la unidad de red";
    default:
      break;
  }
  return PlatformErrnoText(error);
}

}  // namespace pasahorario
