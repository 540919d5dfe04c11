// What the two XML backends share beyond decoding and encoding: the checks
// on what the program puts into a document and the messages for misused
// nodes, so that both backends fail alike. For the backends only.
#pragma once
#include <string_view>

namespace pasahorario::delphos {

// Throws Error: `operation` ("AppendElement"...) was asked of an empty
// node handle.
[[noreturn]] void ThrowEmptyNode(std::string_view operation);

// Throws Error: `child` is not a child of the element `parent`.
[[noreturn]] void ThrowNotAChild(std::string_view parent, std::string_view child);

// Throws Error: the backend refused the path `path`.
[[noreturn]] void ThrowBadPath(std::string_view path);

// Throws Error unless `name` can be an element or attribute name.
void RequireXmlName(std::string_view name);

// Throws Error when `text` (a value for an element or attribute) holds a
// character XML cannot carry, such as a control character.
void RequireXmlText(std::string_view text);

}  // namespace pasahorario::delphos
