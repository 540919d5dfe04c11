#include "delphos/xml_source.h"

#include <algorithm>
#include <optional>

#include "base/text.h"
#include "base/unicode.h"
#include "delphos/xml_wellformed.h"

namespace pasahorario::delphos {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The declaration's pseudo-attributes come version first, with values of
// this form: letters, digits and . _ : - (parsers take more than "1.0"); a
// name starting with a letter; yes or no.
bool DeclarationValueFits(size_t index, std::string_view name, std::string_view value) {
  const auto all = [value](auto allowed) {
    for (char c : value) {
      if (!allowed(c)) return false;
    }
    return true;
  };
  const auto is_letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  const auto is_digit = [](char c) { return c >= '0' && c <= '9'; };
  if (name == "version") {
    return index == 0 && !value.empty() && all([&](char c) {
             return is_letter(c) || is_digit(c) || c == '.' || c == '_' || c == ':' || c == '-';
           });
  }
  if (index == 0) return false;
  if (name == "encoding") {
    return !value.empty() && is_letter(value.front()) && all([&](char c) {
      return is_letter(c) || is_digit(c) || c == '.' || c == '_' || c == '-';
    });
  }
  return value == "yes" || value == "no";
}

std::string DecodeUtf16(std::string_view body, bool big_endian, std::string_view name) {
  std::u16string units;
  units.reserve(body.size() / 2);
  for (size_t i = 0; i + 1 < body.size(); i += 2) {
    const auto a = static_cast<unsigned char>(body[i]);
    const auto b = static_cast<unsigned char>(body[i + 1]);
    units += static_cast<char16_t>(big_endian ? (a << 8) | b : (b << 8) | a);
  }
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    const bool high = u >= 0xD800 && u <= 0xDBFF;
    const bool paired =
        high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF;
    if ((high && !paired) || (u >= 0xDC00 && u <= 0xDFFF)) {
      const std::string before = Utf16ToUtf8(std::u16string_view(units).substr(0, i));
      throw NotText(name, PositionOf(before, before.size()),
                    "sus bytes no forman texto UTF-16 válido (medio par suplente)");
    }
    if (paired) ++i;
  }
  std::string text = Utf16ToUtf8(units);
  if (body.size() % 2 != 0) {
    throw NotText(name, PositionOf(text, text.size()),
                  "el texto UTF-16 termina a medio carácter (¿archivo cortado?)");
  }
  return text;
}

std::string HexByte(unsigned char byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return std::string("0x") + kDigits[byte >> 4] + kDigits[byte & 0xF];
}

// A text file holds no NUL byte in an ASCII-compatible encoding; a file
// that does is binary (an image, a table, a compressed file...).
void RefuseBinary(std::string_view body, size_t first_fault, std::string_view name) {
  const size_t nul = body.find('\0');
  if (nul == std::string_view::npos) return;
  const size_t at = std::min(nul, first_fault);
  throw NotText(name, PositionOf(body, at),
                "contiene datos binarios (el byte " +
                    HexByte(static_cast<unsigned char>(body[at])) +
                    "), no texto; compruebe que ha elegido la exportación XML de DELPHOS");
}

void CheckUtf8(std::string_view body, bool declared, std::string_view name) {
  size_t fault = body.size();
  for (size_t pos = 0; pos < body.size();) {
    const size_t start = pos;
    const char32_t cp = NextCodePoint(body, pos);
    if (cp == 0xFFFD && body.compare(start, 3, "\xEF\xBF\xBD") != 0) {
      fault = start;
      break;
    }
  }
  RefuseBinary(body, fault, name);
  if (fault == body.size()) return;
  const std::string byte = HexByte(static_cast<unsigned char>(body[fault]));
  throw NotText(name, PositionOf(body, fault),
                declared ? "el byte " + byte +
                               " no es texto UTF-8, la codificación que declara su primera "
                               "línea; guárdelo de nuevo en UTF-8 o corrija esa declaración"
                         : "el byte " + byte +
                               " no es texto UTF-8 y el archivo no declara otra codificación; "
                               "si está en ISO-8859-1 o windows-1252, su primera línea debe "
                               "decirlo: <?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
}

// UTF-16 without a byte-order mark: a NUL byte beside the first character.
bool LooksLikeUtf16(std::string_view body) {
  return body.size() >= 2 && (body[0] == '\0') != (body[1] == '\0');
}

std::string DecodeSingleByte(std::string_view body, Charset charset) {
  std::string text;
  text.reserve(body.size() + body.size() / 8);
  for (char c : body) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      text += c;
    } else {
      AppendUtf8(text, DecodeByte(charset, byte));
    }
  }
  return text;
}

}  // namespace

const XmlDeclaration::Item* XmlDeclaration::Find(std::string_view name) const {
  for (const Item& item : items) {
    if (item.name == name) return &item;
  }
  return nullptr;
}

std::optional<XmlDeclaration> ReadXmlDeclaration(std::string_view text,
                                                 std::optional<XmlFault>& fault) {
  if (!StartsWith(text, "<?xml") || text.size() < 6 || !IsSpace(text[5])) return std::nullopt;
  XmlDeclaration declaration;
  size_t p = 5;
  const auto is_letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  for (;;) {
    while (p < text.size() && IsSpace(text[p])) ++p;
    if (text.compare(p, 2, "?>") == 0) {
      declaration.end = p + 2;
      return declaration;
    }
    const size_t name_begin = p;
    while (p < text.size() && is_letter(text[p])) ++p;
    const std::string_view name = text.substr(name_begin, p - name_begin);
    while (p < text.size() && IsSpace(text[p])) ++p;
    const bool known = name == "version" || name == "encoding" || name == "standalone";
    if (!known || declaration.Find(name) || p >= text.size() || text[p] != '=') break;
    ++p;
    while (p < text.size() && IsSpace(text[p])) ++p;
    if (p >= text.size() || (text[p] != '"' && text[p] != '\'')) break;
    const size_t close = text.find(text[p], p + 1);
    if (close == std::string_view::npos) break;
    const std::string_view value = text.substr(p + 1, close - p - 1);
    if (!DeclarationValueFits(declaration.items.size(), name, value)) {
      p = p + 1;
      break;
    }
    declaration.items.push_back({name, value, name_begin, close + 1});
    p = close + 1;
    if (p < text.size() && !IsSpace(text[p]) && text.compare(p, 2, "?>") != 0) break;
  }
  fault = XmlFault{p, "declaración XML mal formada"};
  return std::nullopt;
}

Error NotWellFormed(std::string_view name, std::optional<TextPosition> at,
                    std::string_view reason) {
  std::string where;
  if (at)
    where = " (línea " + std::to_string(at->line) + ", columna " + std::to_string(at->column) + ")";
  return Error("El archivo " + std::string(name) + " no es un documento XML válido" + where + ": " +
               std::string(reason));
}

Error NotText(std::string_view name, std::optional<TextPosition> at, std::string_view reason) {
  std::string where;
  if (at)
    where = " (línea " + std::to_string(at->line) + ", columna " + std::to_string(at->column) + ")";
  return Error("El archivo " + std::string(name) + " no parece un documento XML de texto" + where +
               ": " + std::string(reason));
}

Error SyntaxError(std::string_view name, std::string_view text, size_t offset,
                  std::string_view reason) {
  return NotWellFormed(name, PositionOf(text, offset), reason);
}

XmlSource PrepareXml(std::string_view bytes, std::string_view name) {
  XmlSource source;
  XmlFormat& format = source.format;
  std::string_view body = bytes;
  std::optional<bool> utf16_big_endian;
  if (StartsWith(body, "\xEF\xBB\xBF")) {
    format.byte_order_mark = true;
    body.remove_prefix(3);
  } else if (StartsWith(body, "\xFF\xFE") || StartsWith(body, std::string_view("<\0?\0", 4))) {
    utf16_big_endian = false;
  } else if (StartsWith(body, "\xFE\xFF") || StartsWith(body, std::string_view("\0<\0?", 4))) {
    utf16_big_endian = true;
  }

  std::optional<XmlFault> fault;
  if (utf16_big_endian) {
    if (StartsWith(body, "\xFF\xFE") || StartsWith(body, "\xFE\xFF")) body.remove_prefix(2);
    source.text = DecodeUtf16(body, *utf16_big_endian, name);
    format.charset = Charset::kUtf16;
    format.encoding = "UTF-16";
    const auto declaration = ReadXmlDeclaration(source.text, fault);
    if (const XmlDeclaration::Item* declared =
            declaration ? declaration->Find("encoding") : nullptr) {
      // The byte-order mark decides; the name is kept when it says the same.
      format.encoding_declared = true;
      if (AsciiLower(declared->value) == "utf-16") format.encoding = std::string(declared->value);
    }
  } else {
    if (!format.byte_order_mark && LooksLikeUtf16(body)) {
      throw NotText(name, TextPosition{},
                    "parece texto UTF-16 sin marca de orden de bytes (BOM) ni declaración XML; "
                    "guárdelo de nuevo en UTF-8, o en UTF-16 con marca de orden de bytes");
    }
    const auto declaration = ReadXmlDeclaration(body, fault);
    if (const XmlDeclaration::Item* declared =
            declaration ? declaration->Find("encoding") : nullptr) {
      const std::optional<Charset> charset = CharsetByName(declared->value);
      if (!charset) {
        throw Error("El archivo " + std::string(name) + " declara la codificación \"" +
                    std::string(declared->value) +
                    "\", que el programa no sabe leer (lee UTF-8, UTF-16, ISO-8859-1, "
                    "ISO-8859-15 y windows-1252)");
      }
      if (*charset == Charset::kUtf16) {
        throw Error("El archivo " + std::string(name) +
                    " declara la codificación UTF-16 pero no está escrito en UTF-16");
      }
      format.encoding_declared = true;
      if (!format.byte_order_mark) {  // with a UTF-8 byte-order mark, UTF-8 it is
        format.charset = *charset;
        format.encoding = std::string(declared->value);
      }
    }
    if (format.charset == Charset::kUtf8) {
      CheckUtf8(body, format.encoding_declared, name);
      source.text = std::string(body);
    } else {
      RefuseBinary(body, body.size(), name);
      source.text = DecodeSingleByte(body, format.charset);
    }
  }
  if (fault) throw SyntaxError(name, source.text, fault->offset, fault->reason);

  // The text is UTF-8 now: the backends must not act on the declared name.
  std::optional<XmlFault> ignored;
  const auto declaration = ReadXmlDeclaration(source.text, ignored);
  if (const XmlDeclaration::Item* declared =
          declaration ? declaration->Find("encoding") : nullptr) {
    source.text.replace(declared->begin, declared->end - declared->begin,
                        declared->end - declared->begin, ' ');
  }
  const size_t line_feed = source.text.find('\n');
  format.crlf =
      line_feed != std::string::npos && line_feed > 0 && source.text[line_feed - 1] == '\r';

  std::string_view doctype;
  if (const std::optional<XmlFault> syntax = FindXmlFault(source.text, &doctype)) {
    throw SyntaxError(name, source.text, syntax->offset, syntax->reason);
  }
  format.doctype = std::string(doctype);
  return source;
}

}  // namespace pasahorario::delphos
