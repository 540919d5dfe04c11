// Every kind of failure that can reach a front end is shown in Spanish,
// with what it stopped.
#include "shell/error_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <new>
#include <stdexcept>
#include <system_error>

#include "base/error.h"
#include "base/system_error.h"

namespace pasahorario {
namespace {
namespace fs = std::filesystem;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

std::string TextOf(const std::function<void()>& thrower) {
  try {
    thrower();
  } catch (const std::exception& e) {
    return UserErrorText(e, "la exportación");
  }
  return "";
}

TEST(UserErrorTextTest, EachKindInSpanishWithTheOperation) {
  const std::string no_file = ErrnoText(ENOENT);
  const struct {
    const char* kind;
    std::function<void()> thrower;
    ::testing::Matcher<std::string> shown;
  } cases[] = {
      {"ours, unchanged", [] { throw Error("No existe la carpeta /x"); },
       ::testing::Eq("No existe la carpeta /x")},
      {"out of memory", [] { throw std::bad_alloc(); },
       ::testing::Eq("No hay memoria suficiente para terminar la exportación.")},
      {"file system",
       [] {
         throw fs::filesystem_error("temp_directory_path", fs::path("/no/existe"),
                                    std::make_error_code(std::errc::no_such_file_or_directory));
       },
       AllOf(StartsWith("Error del sistema de archivos con /no/existe: " + no_file),
             HasSubstr("Ocurrió durante la exportación."), Not(HasSubstr("filesystem error")))},
      {"system",
       [] { throw std::system_error(std::make_error_code(std::errc::no_space_on_device)); },
       AllOf(StartsWith("Error del sistema: " + ErrnoText(ENOSPC)),
             HasSubstr("Ocurrió durante la exportación."))},
      {"anything else", [] { throw std::logic_error("vector::_M_range_check"); },
       ::testing::Eq("Error interno: vector::_M_range_check\nOcurrió durante la exportación.")},
  };
  for (const auto& c : cases) EXPECT_THAT(TextOf(c.thrower), c.shown) << c.kind;
}

}  // namespace
}  // namespace pasahorario
