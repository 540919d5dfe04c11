// Writing a document back in the encoding it was loaded with. The backends
// hand over their serialisation as UTF-8; this turns it into the file's
// bytes, the same way for both.
#pragma once
#include <string>
#include <string_view>

#include "delphos/xml_source.h"

namespace pasahorario::delphos {

// The bytes of the file for the UTF-8 serialisation `serialised` of a
// document loaded with `format`:
// - the XML declaration names format.encoding when the loaded one named an
//   encoding (a backend may have dropped it), and one is added when a
//   single-byte encoding would otherwise go unnamed;
// - line breaks are all carriage return + line feed, or all line feed, as
//   the loaded document had them;
// - in a single-byte encoding, a character it cannot hold becomes a
//   character reference (&#8364;) in text and attribute values, and a
//   CDATA section is split around one. Such a character in a name, comment
//   or processing instruction cannot be written: Error;
// - UTF-16 is written little-endian after a byte-order mark; a UTF-8
//   document gets the byte-order mark back when it had one.
// Requires: `serialised` is a well-formed document with markup escaped.
std::string EncodeXml(std::string_view serialised, const XmlFormat& format);

}  // namespace pasahorario::delphos
