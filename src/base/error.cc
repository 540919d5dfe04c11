#include "base/error.h"

namespace pasahorario {

Error WithContext(const Error& e, const std::string& where) {
  return Error(std::string(e.what()) + "\n" + where);
}

}  // namespace pasahorario
