#include "delphos/xml_wellformed.h"

#include <string>
#include <unordered_set>
#include <vector>

namespace pasahorario::delphos {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Bytes above 127 belong to letters of other scripts and pass as name
// characters; the backends are stricter only for exotic cases.
bool IsNameStart(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == ':' || u >= 0x80;
}

bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

bool IsXmlChar(unsigned long cp) {
  return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
         (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

class Checker {
 public:
  explicit Checker(std::string_view text) : t_(text) {}

  std::string_view doctype() const { return doctype_; }

  std::optional<XmlFault> Run() {
    while (p_ < t_.size() && !fault_) {
      if (t_[p_] == '<') {
        Markup();
      } else if (open_.empty()) {
        if (!IsSpace(t_[p_])) {
          Fail(p_, root_closed_ ? "hay texto después del elemento raíz"
                                : "hay texto antes del elemento raíz");
        }
        ++p_;
      } else {
        CharData();
      }
    }
    if (!fault_ && !open_.empty()) {
      Fail(t_.size(),
           "el documento termina sin cerrar el elemento <" + std::string(open_.back()) + ">");
    }
    if (!fault_ && !root_closed_) Fail(t_.size(), "el documento no tiene elemento raíz");
    return fault_;
  }

 private:
  char Peek() const { return p_ < t_.size() ? t_[p_] : '\0'; }
  bool At(std::string_view s) const { return t_.compare(p_, s.size(), s) == 0; }
  void Fail(size_t at, std::string reason) {
    if (!fault_) fault_ = XmlFault{at, std::move(reason)};
  }
  bool SkipSpace() {
    const size_t start = p_;
    while (p_ < t_.size() && IsSpace(t_[p_])) ++p_;
    return p_ > start;
  }
  std::string_view ReadName() {
    const size_t start = p_;
    if (p_ < t_.size() && IsNameStart(t_[p_])) {
      while (p_ < t_.size() && IsNameChar(t_[p_])) ++p_;
    }
    return t_.substr(start, p_ - start);
  }

  void Markup() {
    if (At("<?")) {
      ProcessingInstruction();
    } else if (At("<!--")) {
      Comment();
    } else if (At("<![CDATA[")) {
      CData();
    } else if (At("<!DOCTYPE")) {
      Doctype();
    } else if (At("<!")) {
      Fail(p_, "marca no reconocida tras «<!»");
    } else if (At("</")) {
      EndTag();
    } else {
      StartTag();
    }
  }

  void ProcessingInstruction() {
    const size_t start = p_;
    p_ += 2;
    const std::string_view target = ReadName();
    if (target.empty()) return Fail(start, "instrucción de proceso sin nombre");
    const bool is_declaration = target.size() == 3 && (target[0] | 0x20) == 'x' &&
                                (target[1] | 0x20) == 'm' && (target[2] | 0x20) == 'l';
    if (is_declaration && start != 0) {
      return Fail(start, "la declaración XML solo puede ir al comienzo del documento");
    }
    if (!At("?>") && !IsSpace(Peek())) return Fail(p_, "instrucción de proceso mal formada");
    const size_t end = t_.find("?>", p_);
    if (end == std::string_view::npos) return Fail(start, "instrucción de proceso sin cerrar");
    p_ = end + 2;
  }

  void Comment() {
    const size_t start = p_;
    const size_t end = t_.find("--", p_ + 4);
    if (end == std::string_view::npos) return Fail(start, "comentario sin cerrar");
    if (end + 2 >= t_.size() || t_[end + 2] != '>') {
      return Fail(end, "un comentario no puede contener «--»");
    }
    p_ = end + 3;
  }

  void CData() {
    const size_t start = p_;
    if (open_.empty()) return Fail(start, "sección CDATA fuera del elemento raíz");
    const size_t end = t_.find("]]>", p_ + 9);
    if (end == std::string_view::npos) return Fail(start, "sección CDATA sin cerrar");
    p_ = end + 3;
  }

  // <!DOCTYPE name [subset]>. What could make the backends differ, or make
  // one of them fetch a file, is refused: an external DTD, entity and
  // attribute-list declarations, parameter-entity references.
  void Doctype() {
    const size_t start = p_;
    if (root_seen_ || has_dtd_) return Fail(start, "declaración DOCTYPE fuera de lugar");
    has_dtd_ = true;
    p_ += 9;
    const bool spaced = SkipSpace();
    if (!spaced || ReadName().empty()) return Fail(start, "declaración DOCTYPE mal formada");
    SkipSpace();
    if (At("SYSTEM") || At("PUBLIC")) {
      return Fail(p_,
                  "el documento remite a una DTD externa (SYSTEM o PUBLIC), que el programa no "
                  "admite; los documentos de DELPHOS no llevan DTD");
    }
    if (Peek() == '[') {
      ++p_;
      if (!InternalSubset(start)) return;
      SkipSpace();
    }
    if (p_ >= t_.size()) return Fail(start, "declaración DOCTYPE sin cerrar");
    if (Peek() != '>') return Fail(p_, "declaración DOCTYPE mal formada");
    ++p_;
    doctype_ = t_.substr(start, p_ - start);
  }

  bool InternalSubset(size_t doctype_start) {
    for (;;) {
      SkipSpace();
      if (p_ >= t_.size()) {
        Fail(doctype_start, "declaración DOCTYPE sin cerrar");
      } else if (Peek() == ']') {
        ++p_;
        return true;
      } else if (At("<!--")) {
        Comment();
      } else if (At("<?")) {
        ProcessingInstruction();
      } else if (At("<!ENTITY")) {
        Fail(p_,
             "el documento declara entidades (<!ENTITY …>), que el programa no admite; los "
             "documentos de DELPHOS no llevan DTD");
      } else if (At("<!ATTLIST")) {
        Fail(p_,
             "el documento declara atributos en su DTD (<!ATTLIST …>), que el programa no "
             "admite; los documentos de DELPHOS no llevan DTD");
      } else if (Peek() == '%') {
        ParameterReference();
      } else if (At("<!ELEMENT") || At("<!NOTATION")) {
        MarkupDeclaration();
      } else {
        Fail(p_, "declaración no reconocida dentro de DOCTYPE");
      }
      if (fault_) return false;
    }
  }

  // An element or notation declaration, skipped up to its ">".
  void MarkupDeclaration() {
    const size_t start = p_;
    while (p_ < t_.size() && !fault_) {
      const char c = t_[p_];
      if (c == '"' || c == '\'') {
        const size_t close = t_.find(c, p_ + 1);
        if (close == std::string_view::npos) break;
        p_ = close + 1;
      } else if (c == '%') {
        ParameterReference();
      } else {
        ++p_;
        if (c == '>') return;
      }
    }
    Fail(start, "declaración sin cerrar dentro de DOCTYPE");
  }

  void ParameterReference() {
    Fail(p_,
         "el documento usa entidades de parámetro (%…;), que el programa no admite; los "
         "documentos de DELPHOS no llevan DTD");
  }

  void StartTag() {
    const size_t start = p_;
    ++p_;
    const std::string_view name = ReadName();
    if (name.empty()) return Fail(start, "«<» que no abre ninguna etiqueta (escríbalo como &lt;)");
    if (root_closed_) return Fail(start, "hay más de un elemento raíz");
    if (open_.size() >= kMaxElementDepth) {
      return Fail(start, "los elementos se anidan en más de " + std::to_string(kMaxElementDepth) +
                             " niveles, más de lo que admite el programa (un documento de "
                             "DELPHOS usa unos pocos)");
    }
    root_seen_ = true;
    attributes_.clear();
    if (!attribute_set_.empty()) attribute_set_ = std::unordered_set<std::string_view>();
    for (;;) {
      const bool spaced = SkipSpace();
      if (At("/>")) {
        p_ += 2;
        if (open_.empty()) root_closed_ = true;
        return;
      }
      if (Peek() == '>') {
        ++p_;
        open_.push_back(name);
        return;
      }
      if (p_ >= t_.size())
        return Fail(start, "la etiqueta <" + std::string(name) + "> no se cierra");
      const size_t attribute_start = p_;
      const std::string_view attribute = ReadName();
      if (!spaced || attribute.empty()) {
        return Fail(p_, "etiqueta <" + std::string(name) + "> mal formada");
      }
      if (!AddAttribute(attribute)) {
        return Fail(attribute_start, "atributo " + std::string(attribute) + " repetido");
      }
      SkipSpace();
      if (Peek() != '=') return Fail(p_, "falta «=» tras el atributo " + std::string(attribute));
      ++p_;
      SkipSpace();
      const char quote = Peek();
      if (quote != '"' && quote != '\'') {
        return Fail(p_,
                    "el valor del atributo " + std::string(attribute) + " no va entre comillas");
      }
      const size_t value_start = p_++;
      while (p_ < t_.size() && t_[p_] != quote && !fault_) {
        if (t_[p_] == '<') return Fail(p_, "«<» dentro del valor de un atributo");
        if (t_[p_] == '&') {
          Reference();
        } else {
          ++p_;
        }
      }
      if (fault_) return;
      if (p_ >= t_.size()) return Fail(value_start, "valor de atributo sin cerrar");
      ++p_;
    }
  }

  // Records `name` among the current tag's attributes; false when it is
  // there already. A short list is searched; a long one goes into a hash set,
  // so that a tag with thousands of attributes is still checked in linear
  // time. The set is built afresh for each tag that needs it.
  bool AddAttribute(std::string_view name) {
    constexpr size_t kListed = 16;
    if (attributes_.size() < kListed) {
      for (std::string_view seen : attributes_) {
        if (seen == name) return false;
      }
      attributes_.push_back(name);
      return true;
    }
    if (attribute_set_.empty()) attribute_set_.insert(attributes_.begin(), attributes_.end());
    return attribute_set_.insert(name).second;
  }

  void EndTag() {
    const size_t start = p_;
    p_ += 2;
    const std::string_view name = ReadName();
    SkipSpace();
    if (name.empty() || Peek() != '>') return Fail(start, "etiqueta de cierre mal formada");
    ++p_;
    if (open_.empty()) {
      return Fail(start,
                  "etiqueta de cierre </" + std::string(name) + "> sin etiqueta de apertura");
    }
    if (open_.back() != name) {
      return Fail(start, "la etiqueta de cierre </" + std::string(name) +
                             "> no corresponde a la de apertura <" + std::string(open_.back()) +
                             ">");
    }
    open_.pop_back();
    if (open_.empty()) root_closed_ = true;
  }

  void CharData() {
    while (p_ < t_.size() && t_[p_] != '<' && !fault_) {
      if (t_[p_] == '&') {
        Reference();
      } else if (t_[p_] == ']' && At("]]>")) {
        Fail(p_, "«]]>» fuera de una sección CDATA");
      } else {
        ++p_;
      }
    }
  }

  void Reference() {
    const size_t start = p_++;
    if (Peek() == '#') {
      ++p_;
      const bool hex = Peek() == 'x';
      if (hex) ++p_;
      unsigned long value = 0;
      size_t digits = 0;
      for (;; ++p_, ++digits) {
        const char c = Peek();
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) break;
        value = value > 0x10FFFF ? value : value * (hex ? 16 : 10) + digit;
      }
      if (digits == 0 || Peek() != ';') return Fail(start, "referencia de carácter mal formada");
      ++p_;
      if (!IsXmlChar(value)) {
        return Fail(start, "la referencia " + std::string(t_.substr(start, p_ - start)) +
                               " no es un carácter permitido en XML");
      }
      return;
    }
    const std::string_view name = ReadName();
    if (name.empty() || Peek() != ';') {
      return Fail(start, "«&» que no empieza ninguna referencia (escríbalo como &amp;)");
    }
    ++p_;
    const bool predefined =
        name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos";
    if (!predefined) {
      Fail(start, "entidad no declarada &" + std::string(name) + ";");
    }
  }

  std::string_view t_;
  size_t p_ = 0;
  std::vector<std::string_view> open_;                  // names of the open elements
  std::vector<std::string_view> attributes_;            // names seen in the current tag
  std::unordered_set<std::string_view> attribute_set_;  // the same, for a tag with many
  bool root_seen_ = false;
  bool root_closed_ = false;
  bool has_dtd_ = false;
  std::string_view doctype_;  // the DOCTYPE declaration, once read
  std::optional<XmlFault> fault_;
};

}  // namespace

std::optional<size_t> FindForbiddenCharacter(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return i;
    // U+FFFE and U+FFFF are EF BF BE and EF BF BF.
    if (c == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBF &&
        static_cast<unsigned char>(text[i + 2]) >= 0xBE) {
      return i;
    }
  }
  return std::nullopt;
}

std::optional<XmlFault> FindXmlFault(std::string_view text, std::string_view* doctype) {
  Checker checker(text);
  std::optional<XmlFault> fault = checker.Run();
  if (doctype) *doctype = checker.doctype();
  if (const std::optional<size_t> bad = FindForbiddenCharacter(text)) {
    if (!fault || *bad < fault->offset) {
      const auto code = static_cast<unsigned char>(text[*bad]);
      char hex[8];
      static constexpr char kDigits[] = "0123456789ABCDEF";
      const unsigned value = code == 0xEF ? (text[*bad + 2] == '\xBE' ? 0xFFFE : 0xFFFF) : code;
      for (int i = 3; i >= 0; --i) hex[3 - i] = kDigits[(value >> (4 * i)) & 0xF];
      hex[4] = '\0';
      fault = XmlFault{*bad, std::string("carácter no permitido en XML (U+") + hex + ")"};
    }
  }
  return fault;
}

bool IsXmlName(std::string_view name) {
  if (name.empty() || !IsNameStart(name.front())) return false;
  for (char c : name) {
    if (!IsNameChar(c)) return false;
  }
  return true;
}

TextPosition PositionOf(std::string_view text, size_t offset) {
  TextPosition position;
  if (offset > text.size()) offset = text.size();
  for (size_t i = 0; i < offset; ++i) {
    const char c = text[i];
    if (c == '\n' || (c == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
      ++position.line;
      position.column = 1;
    } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80 && c != '\r') {
      ++position.column;  // continuation bytes belong to the character before
    }
  }
  return position;
}

}  // namespace pasahorario::delphos
