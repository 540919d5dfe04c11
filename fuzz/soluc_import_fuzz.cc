// Any bytes as the host's solution table SOLUC, imported through the work
// tables that the bundled example export leaves, into a result document that
// is written to a scratch folder.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "base/error.h"
#include "delphos/xml_document.h"
#include "export/exportar.h"
#include "fuzz_support.h"
#include "import/importar.h"

namespace {

namespace fs = std::filesystem;

const fs::path kExample = fs::path(PASAHORARIO_SOURCE_DIR) / "examples" / "delphos-exportacion.xml";

fs::path ExchangeDir() { return pasahorario::fuzz::ScratchDir() / "xtemp"; }
fs::path ResultDir() { return pasahorario::fuzz::ScratchDir() / "resultado"; }

// The example document's bytes, read once; each run parses a fresh copy.
std::string& ExampleBytes() {
  static std::string bytes;
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fs::create_directories(ExchangeDir());
  fs::create_directories(ResultDir());
  std::ifstream in(kExample, std::ios::binary);
  ExampleBytes().assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  try {
    const auto doc = pasahorario::delphos::XmlDocument::Parse(ExampleBytes(), "ejemplo.xml");
    pasahorario::ExportarTodo(doc, ExchangeDir(), [](const std::string&) { return "08:00"; });
  } catch (const pasahorario::Error& e) {
    std::fprintf(stderr, "the example export failed: %s\n", e.what());
    std::abort();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pasahorario::fuzz::WriteBytes(ExchangeDir() / "SOLUC.DBF", data, size);
  pasahorario::fuzz::EmptyDir(ResultDir());
  try {
    auto doc = pasahorario::delphos::XmlDocument::Parse(ExampleBytes(), "ejemplo.xml");
    pasahorario::Importar(doc, ResultDir() / "delphos-exportacion.xml", ExchangeDir());
  } catch (const pasahorario::Error&) {
  }
  return 0;
}
