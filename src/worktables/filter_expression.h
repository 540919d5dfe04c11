// The one filter form tables take:  FIELD= 'value'  with blanks allowed
// around "=" and single quotes inside the value doubled.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace pasahorario::dbf {

struct EqualityFilter {
  std::string field;
  std::string value;  // quotes undoubled
};

// The field and value of `expression`, or nothing when it has another form
// (no "=", a field name that is not a plain word, a value not quoted, text
// after the closing quote).
std::optional<EqualityFilter> ParseEqualityFilter(std::string_view expression);

}  // namespace pasahorario::dbf
