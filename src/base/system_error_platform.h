// The platform part of the system error texts, for system_error.cc only.
#pragma once
#include <string>

namespace pasahorario {

// The reason for an error number the portable table does not hold: the
// platform's own numbers (such as a full quota), else the number itself.
std::string PlatformErrnoText(int error);

}  // namespace pasahorario
