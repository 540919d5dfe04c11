#include "base/error.h"

namespace pasahorario {

Error WithContext(const Error& e, const std::string& where) {
  return Error(where + ":\n" + e.what());
}

}  // namespace pasahorario
