#include "shell/host_status.h"

#include <string>

#include "base/error.h"
#include "base/utf8_path.h"

namespace pasahorario {

std::filesystem::path HostIniPath(const std::filesystem::path& executable) {
  return executable.parent_path() / PathFromUtf8(kHostIniName);
}

void WriteHostStatus(const std::filesystem::path& ini, int32_t estado, const IniWriter& writer) {
  if (!writer(ini, kHostIniSection, kHostIniKey, std::to_string(estado))) {
    throw Error("Unable to write to " + PathToUtf8(ini));
  }
}

}  // namespace pasahorario
