#include <cerrno>

#include "base/system_error.h"
#include "base/system_error_platform.h"

namespace pasahorario {

std::string PlatformErrnoText(int error) {
  if (error == EDQUOT) return "se ha agotado la cuota de disco del usuario";
  if (error == ESTALE) return "se ha perdido la conexión con la unidad de red";
  return "error del sistema número " + std::to_string(error);
}

std::string SystemErrorText(const std::error_code& ec) { return ErrnoText(ec.value()); }

std::string LastSystemErrorText() { return ErrnoText(errno); }

}  // namespace pasahorario
