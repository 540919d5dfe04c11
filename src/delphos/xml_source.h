// Turning the bytes of an XML file into the UTF-8 text both backends parse:
// the byte-order mark and the declared encoding are honoured here, once, and
// what is needed to write the document back the same way is kept.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "delphos/xml_charset.h"
#include "delphos/xml_wellformed.h"

namespace pasahorario::delphos {

// How a loaded document was written, for saving it the same way.
struct XmlFormat {
  Charset charset = Charset::kUtf8;
  std::string encoding = "UTF-8";  // the declaration's name as written, or the charset's
  bool encoding_declared = false;  // the XML declaration names an encoding
  bool byte_order_mark = false;    // a UTF-8 file that starts with one
  bool crlf = false;               // the first line break is a carriage return + line feed
  std::string doctype;             // the DOCTYPE declaration as written (UTF-8), if any
};

// A document ready for a backend: UTF-8 text in which the declaration's
// encoding pseudo-attribute is blanked out with spaces (the text is no longer
// in that encoding; lines and columns stay where they were), and its format.
struct XmlSource {
  std::string text;
  XmlFormat format;
};

// Decodes `bytes` and checks that they are a well-formed document. Throws
// Error naming `name`: for an encoding the program cannot read, for bytes
// that are not text in the encoding (NotText), and for a document that is
// not well-formed (NotWellFormed), with the line and column of the fault.
XmlSource PrepareXml(std::string_view bytes, std::string_view name);

// The error for a document that is not well-formed: "El archivo <name> no
// es un documento XML válido (línea L, columna C): <reason>", without the
// parenthesis when the position is unknown.
Error NotWellFormed(std::string_view name, std::optional<TextPosition> at, std::string_view reason);

// The error for bytes that are not text in the file's encoding (a binary
// file, UTF-16 without a byte-order mark, a byte the encoding lacks): "El
// archivo <name> no parece un documento XML de texto (línea L, columna C):
// <reason>".
Error NotText(std::string_view name, std::optional<TextPosition> at, std::string_view reason);

// The same as NotWellFormed() for a fault at byte `offset` of `text`.
Error SyntaxError(std::string_view name, std::string_view text, size_t offset,
                  std::string_view reason);

// The XML declaration that opens a text: its pseudo-attributes (version,
// encoding, standalone) in their order, with the offsets of each from its
// name to its closing quote, and the offset just past its "?>".
struct XmlDeclaration {
  struct Item {
    std::string_view name, value;
    size_t begin = 0, end = 0;
  };
  std::vector<Item> items;
  size_t end = 0;

  // The item called `name`, or nullptr.
  const Item* Find(std::string_view name) const;
};

// Reads the declaration at the start of `text` (ASCII-compatible). Nothing
// when `text` does not open with one; sets `fault` when it is malformed.
std::optional<XmlDeclaration> ReadXmlDeclaration(std::string_view text,
                                                 std::optional<XmlFault>& fault);

}  // namespace pasahorario::delphos
