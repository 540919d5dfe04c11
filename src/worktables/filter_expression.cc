#include "worktables/filter_expression.h"

namespace pasahorario::dbf {
namespace {

bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

void SkipBlanks(std::string_view& s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
}

}  // namespace

std::optional<EqualityFilter> ParseEqualityFilter(std::string_view s) {
  EqualityFilter filter;
  SkipBlanks(s);
  while (!s.empty() && IsNameChar(s.front())) {
    filter.field += s.front();
    s.remove_prefix(1);
  }
  SkipBlanks(s);
  if (filter.field.empty() || s.empty() || s.front() != '=') return std::nullopt;
  s.remove_prefix(1);
  SkipBlanks(s);
  if (s.empty() || s.front() != '\'') return std::nullopt;
  s.remove_prefix(1);
  for (;;) {
    const size_t quote = s.find('\'');
    if (quote == std::string_view::npos) return std::nullopt;  // never closed
    filter.value.append(s.substr(0, quote));
    s.remove_prefix(quote + 1);
    if (s.empty() || s.front() != '\'') break;
    filter.value += '\'';  // a doubled quote
    s.remove_prefix(1);
  }
  SkipBlanks(s);
  if (!s.empty()) return std::nullopt;
  return filter;
}

}  // namespace pasahorario::dbf
