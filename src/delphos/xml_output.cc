#include "delphos/xml_output.h"

#include "base/error.h"
#include "base/unicode.h"

namespace pasahorario::delphos {
namespace {

// The declaration as it must be written: the serialised one with its
// encoding made right, or a new one.
std::string Declaration(std::string_view serialised, const XmlFormat& format, size_t& consumed) {
  std::optional<XmlFault> fault;
  const std::optional<XmlDeclaration> declaration = ReadXmlDeclaration(serialised, fault);
  consumed = declaration ? declaration->end : 0;
  const bool name_it = format.encoding_declared || IsSingleByte(format.charset);
  if (!declaration && !name_it) return "";
  std::string encoding;
  if (name_it) encoding.append(" encoding=\"").append(format.encoding).append("\"");
  if (!declaration) return "<?xml version=\"1.0\"" + encoding + "?>\n";
  std::string out = "<?xml";
  bool placed = false;
  for (const XmlDeclaration::Item& item : declaration->items) {
    if (item.name == "encoding") continue;
    if (item.name != "version" && !placed) {
      out += encoding;
      placed = true;
    }
    out.append(" ").append(item.name).append("=\"").append(item.value).append("\"");
    if (item.name == "version") {
      out += encoding;
      placed = true;
    }
  }
  if (!placed) out += encoding;
  return out + "?>";
}

// Where the encoder is in the markup: a character reference can stand for
// a character only in text and attribute values.
enum class Context { kText, kTag, kAttribute, kComment, kInstruction, kCData, kDoctype };

class SingleByteEncoder {
 public:
  SingleByteEncoder(const XmlFormat& format, std::string& out) : format_(format), out_(out) {}

  void Encode(std::string_view in) {
    for (size_t pos = 0; pos < in.size();) {
      const std::string_view rest = in.substr(pos);
      if (const size_t length = Delimiter(rest); length > 0) {
        out_.append(rest.substr(0, length));
        pos += length;
      } else {
        Put(NextCodePoint(in, pos));
      }
    }
  }

 private:
  // The length of the delimiter (all ASCII) that starts `rest` in the
  // current context, after moving to the context it opens; 0 when there is
  // none.
  size_t Delimiter(std::string_view rest) {
    const auto starts = [rest](std::string_view s) { return rest.substr(0, s.size()) == s; };
    const char c = rest.front();
    switch (context_) {
      case Context::kText:
        if (c != '<') return 0;
        if (starts("<!--")) return Move(Context::kComment, 4);
        if (starts("<![CDATA[")) return Move(Context::kCData, 9);
        if (starts("<?")) return Move(Context::kInstruction, 2);
        if (starts("<!")) {
          doctype_depth_ = 0;
          return Move(Context::kDoctype, 2);
        }
        return Move(Context::kTag, 1);
      case Context::kTag:
        if (c == '"' || c == '\'') {
          quote_ = c;
          return Move(Context::kAttribute, 1);
        }
        return c == '>' ? Move(Context::kText, 1) : 0;
      case Context::kAttribute:
        return c == quote_ ? Move(Context::kTag, 1) : 0;
      case Context::kComment:
        return starts("-->") ? Move(Context::kText, 3) : 0;
      case Context::kInstruction:
        return starts("?>") ? Move(Context::kText, 2) : 0;
      case Context::kCData:
        return starts("]]>") ? Move(Context::kText, 3) : 0;
      case Context::kDoctype:
        if (c == '[') ++doctype_depth_;
        if (c == ']') --doctype_depth_;
        if (c == '>' && doctype_depth_ <= 0) return Move(Context::kText, 1);
        return 0;
    }
    return 0;
  }

  size_t Move(Context next, size_t length) {
    context_ = next;
    return length;
  }

  void Put(char32_t cp) {
    const int byte = EncodeByte(format_.charset, cp);
    if (byte >= 0) {
      out_ += static_cast<char>(byte);
    } else if (context_ == Context::kText || context_ == Context::kAttribute) {
      out_ += "&#" + std::to_string(static_cast<unsigned long>(cp)) + ";";
    } else if (context_ == Context::kCData) {
      out_ += "]]>&#" + std::to_string(static_cast<unsigned long>(cp)) + ";<![CDATA[";
    } else {
      std::string character;
      AppendUtf8(character, cp);
      throw Error("El carácter «" + character +
                  "» de un nombre, comentario o instrucción del documento no se puede escribir "
                  "en la codificación " +
                  format_.encoding);
    }
  }

  const XmlFormat& format_;
  std::string& out_;
  Context context_ = Context::kText;
  char quote_ = '"';
  int doctype_depth_ = 0;
};

}  // namespace

std::string EncodeXml(std::string_view serialised, const XmlFormat& format) {
  size_t consumed = 0;
  std::string joined = Declaration(serialised, format, consumed);
  joined.append(serialised.substr(consumed));
  // Line breaks: all "\n" first, then the loaded document's kind.
  std::string text;
  text.reserve(joined.size() + (format.crlf ? joined.size() / 16 : 0));
  for (size_t i = 0; i < joined.size(); ++i) {
    const char c = joined[i];
    if (c == '\r' && i + 1 < joined.size() && joined[i + 1] == '\n') continue;
    if (c == '\n' && format.crlf) text += '\r';
    text += c;
  }

  std::string out;
  switch (format.charset) {
    case Charset::kUtf8:
      if (format.byte_order_mark) out = "\xEF\xBB\xBF";
      out += text;
      break;
    case Charset::kUtf16: {
      out = "\xFF\xFE";
      for (char16_t unit : Utf8ToUtf16(text)) {
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
      }
      break;
    }
    default:
      SingleByteEncoder(format, out).Encode(text);
      break;
  }
  return out;
}

}  // namespace pasahorario::delphos
