#include "shell/ini_file.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#include "base/atomic_file.h"
#include "base/error.h"
#include "base/text.h"

namespace pasahorario {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool SameName(std::string_view a, std::string_view b) {
  return AsciiLower(TrimmedText(a)) == AsciiLower(TrimmedText(b));
}

// One line of the file: [begin, content_end) is its text, [content_end,
// end) its line end ("\r\n", "\n" or nothing on a last line without one).
struct Line {
  size_t begin = 0;
  size_t content_end = 0;
  size_t end = 0;
};

Line LineAt(std::string_view text, size_t begin) {
  Line line{begin, text.size(), text.size()};
  const size_t newline = text.find('\n', begin);
  if (newline != std::string_view::npos) {
    line.end = newline + 1;
    line.content_end = newline > begin && text[newline - 1] == '\r' ? newline - 1 : newline;
  }
  return line;
}

std::string_view LineEndOfFile(std::string_view text) {
  const Line first = LineAt(text, 0);
  if (first.end == first.content_end) return "\r\n";
  return text.substr(first.content_end, first.end - first.content_end);
}

// The section name of a header line "[name]" (blanks around allowed), or
// nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view content) {
  content = TrimmedText(content);
  if (content.empty() || content.front() != '[') return std::nullopt;
  content.remove_prefix(1);
  return content.substr(0, content.find(']'));
}

}  // namespace

std::string SetIniValue(std::string_view contents, std::string_view section, std::string_view key,
                        std::string_view value) {
  const std::string_view eol = LineEndOfFile(contents);
  const std::string entry = std::string(key) + "=" + std::string(value);
  const size_t start = contents.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0;

  bool in_section = false;
  Line last_in_section;  // the header or the section's last non-blank line
  for (size_t pos = start; pos < contents.size();) {
    const Line line = LineAt(contents, pos);
    pos = line.end;
    const std::string_view content = contents.substr(line.begin, line.content_end - line.begin);
    if (const auto name = SectionName(content)) {
      if (in_section) break;
      in_section = SameName(*name, section);
      if (in_section) last_in_section = line;
      continue;
    }
    if (!in_section || IsBlank(content)) continue;
    last_in_section = line;
    const size_t equals = content.find('=');
    if (equals == std::string_view::npos || !SameName(content.substr(0, equals), key)) continue;
    size_t value_begin = line.begin + equals + 1;
    while (value_begin < line.content_end &&
           (contents[value_begin] == ' ' || contents[value_begin] == '\t')) {
      ++value_begin;
    }
    return std::string(contents.substr(0, value_begin)) + std::string(value) +
           std::string(contents.substr(line.content_end));
  }

  if (in_section) {
    const bool ends_line = last_in_section.end > last_in_section.content_end;
    std::string out(contents.substr(0, last_in_section.end));
    if (!ends_line) out += eol;
    out += entry;
    out += eol;
    out += contents.substr(last_in_section.end);
    return out;
  }
  std::string out(contents);
  if (!out.empty() && out.back() != '\n') out += eol;
  out += "[" + std::string(section) + "]";
  out += eol;
  out += entry;
  out += eol;
  return out;
}

bool WriteIniValue(const fs::path& file, std::string_view section, std::string_view key,
                   std::string_view value) {
  std::string contents;
  std::error_code ec;
  if (fs::exists(file, ec)) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    contents.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) return false;
    if (contents.starts_with("\xFF\xFE") || contents.starts_with("\xFE\xFF")) return false;
  } else if (ec) {
    return false;
  }
  try {
    WriteFileAtomically(file, SetIniValue(contents, section, key, value));
  } catch (const Error&) {
    return false;  // the caller reports the failure with the file's name
  }
  return true;
}

}  // namespace pasahorario
