#include "base/error.h"

namespace pasahorario {

Error WithContext(const Error& e, const std::string& where) {
  std::string text = e.what();
  text += '\n';
  text += where;
  return Error(text);
}

}  // namespace pasahorario
