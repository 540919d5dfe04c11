// Any bytes as EQUIVALENCIAS.TXT: either refused with an Error, or read into
// lines that the writer gives back unchanged, one by one and as a whole
// file; and every value read goes through the proposals.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "import/equivalencias.h"
#include "import/proposals.h"

namespace {

using pasahorario::Equivalence;
using pasahorario::Equivalencias;

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Equivalencias file;
  try {
    file = Equivalencias::Parse(std::string_view(reinterpret_cast<const char*>(data), size),
                                "EQUIVALENCIAS.TXT");
  } catch (const pasahorario::Error&) {
    return 0;
  }
  std::vector<Equivalence> renumbered;
  for (const Equivalence& e : file.entries()) {
    const Equivalencias again =
        Equivalencias::Parse(pasahorario::EquivalenceLine(e), "EQUIVALENCIAS.TXT");
    Require(again.entries().size() == 1);
    Equivalence expected = e;
    expected.line = 1;
    Require(again.entries()[0] == expected);
    Require(file.Find(e.kind, e.from, e.from_hour) == &e);
    (void)pasahorario::ProposeCode(e.from, {e.to});
    (void)pasahorario::ProposeTeacher(e.from, {{e.to, e.to}});
    renumbered.push_back(e);
  }
  // The whole file the writer makes: its comment takes the first lines.
  const Equivalencias whole =
      Equivalencias::Parse(pasahorario::EquivalenciasText(renumbered), "EQUIVALENCIAS.TXT");
  Require(whole.entries().size() == renumbered.size());
  for (size_t i = 0; i < renumbered.size(); ++i) {
    Equivalence expected = renumbered[i];
    expected.line = whole.entries()[i].line;
    Require(whole.entries()[i] == expected);
  }
  return 0;
}
