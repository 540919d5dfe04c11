// Any bytes as a DELPHOS export: parsed, then the whole export into a scratch
// exchange directory, with 08:00 as the first class's start time.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/error.h"
#include "delphos/xml_document.h"
#include "export/exportar.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto dir = pasahorario::fuzz::ScratchDir() / "xtemp";
  std::filesystem::create_directories(dir);
  pasahorario::fuzz::EmptyDir(dir);
  try {
    const pasahorario::delphos::XmlDocument doc = pasahorario::delphos::XmlDocument::Parse(
        std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.xml");
    pasahorario::ExportarTodo(doc, dir, [](const std::string&) { return std::string("08:00"); });
  } catch (const pasahorario::Error&) {
  }
  return 0;
}
