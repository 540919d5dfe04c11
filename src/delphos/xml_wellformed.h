// The well-formedness rules every loaded document is checked against before
// a backend parses it, so that both backends refuse the same files with the
// same position and reason (one backend reports no position at all, the
// other accepts some broken files), and the character rules for text the
// program puts into a document.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace pasahorario::delphos {

// The first fault of a document: where it is (a byte offset into the text)
// and what it is, in Spanish, ready to follow a colon.
struct XmlFault {
  size_t offset = 0;
  std::string reason;
};

// Deepest nesting of elements a document may have: the root is level 1.
// DELPHOS documents use a handful of levels. The limit keeps every walk
// over a tree bounded, and both backends take every document up to it (the
// MSXML of Wine refuses 258 levels and more, with no reason given).
inline constexpr size_t kMaxElementDepth = 256;

// The first well-formedness fault of `text` (UTF-8, already decoded), or
// nothing when it is a well-formed document with one root element. Checks
// the nesting and names of tags, the depth of nesting (kMaxElementDepth),
// attributes (quoted, not repeated, no "<"), references (the predefined
// entities and valid character references only), comments, CDATA sections,
// processing instructions, the place of the XML declaration and DOCTYPE,
// text outside the root, and characters XML forbids. A DOCTYPE may name the
// root and hold element declarations and comments; entity and attribute-list
// declarations and references to an external DTD are refused, since the two
// backends would expand them differently (or fetch files). Linear in the
// size of `text`. When `doctype` is given and the text is well-formed, it
// is set to the DOCTYPE declaration as written, or left empty.
std::optional<XmlFault> FindXmlFault(std::string_view text, std::string_view* doctype = nullptr);

// Offset of the first character XML 1.0 cannot carry (control characters
// other than tab, line feed and carriage return; U+FFFE, U+FFFF), if any.
std::optional<size_t> FindForbiddenCharacter(std::string_view text);

// True when `name` can be an element or attribute name. Letters beyond
// ASCII are all accepted.
bool IsXmlName(std::string_view name);

// 1-based line and column (in characters) of byte `offset` of `text`. A
// line ends at a line feed, a carriage return, or both together.
struct TextPosition {
  int line = 1;
  int column = 1;
};
TextPosition PositionOf(std::string_view text, size_t offset);

}  // namespace pasahorario::delphos
