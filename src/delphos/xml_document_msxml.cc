// XmlDocument and XmlNode over MSXML, created by the class name
// "Microsoft.XMLDOM" through COM, for Windows. The file is decoded and
// checked by PrepareXml() and handed to loadXML as UTF-16; the tree is
// written out node by node and encoded by EncodeXml() (MSXML's own save()
// is not used: some versions write bytes that do not match the declaration).
#include <windows.h>
// After windows.h:
#include <msxml2.h>
#include <objbase.h>
#include <oleauto.h>

#include <utility>

#include "base/error.h"
#include "base/unicode.h"
#include "delphos/xml_backend.h"
#include "delphos/xml_document.h"
#include "delphos/xml_output.h"
#include "delphos/xml_source.h"

namespace pasahorario::delphos {
namespace {

// IXMLDOMDocument2, which no mingw-w64 library defines.
constexpr IID kIidXmlDomDocument2 = {
    0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { Reset(); }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T** Out() {
    Reset();
    return &p_;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }
  void Swap(ComPtr& other) { std::swap(p_, other.p_); }

 private:
  T* p_ = nullptr;
};

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::string_view utf8) {
    const std::u16string wide = Utf8ToUtf16(utf8);
    b_ = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                           static_cast<UINT>(wide.size()));
    if (!b_) throw Error("No hay memoria para el texto del documento XML");
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(b_); }

  BSTR get() const { return b_; }
  BSTR* Out() {
    SysFreeString(b_);
    b_ = nullptr;
    return &b_;
  }
  std::u16string_view View() const {
    return std::u16string_view(reinterpret_cast<const char16_t*>(b_), b_ ? SysStringLen(b_) : 0);
  }
  std::string Utf8() const { return Utf16ToUtf8(View()); }

 private:
  BSTR b_ = nullptr;
};

std::string Hex(HRESULT hr) {
  char number[16];
  wsprintfA(number, "0x%08lX", static_cast<unsigned long>(hr));
  return number;
}

// The system's text for `hr`, or its number when the system has none.
std::string SystemMessage(HRESULT hr) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::u16string text;
  if (length > 0 && buffer) text.assign(reinterpret_cast<const char16_t*>(buffer), length);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ' ||
                           text.back() == u'.')) {
    text.pop_back();
  }
  return text.empty() ? "Error " + Hex(hr) : Utf16ToUtf8(text);
}

void Check(HRESULT hr, const char* what) {
  if (FAILED(hr)) {
    throw Error(std::string("El componente XML falló en ") + what + ": " + SystemMessage(hr) +
                " (" + Hex(hr) + ")");
  }
}

// The program initialises COM at start-up; a thread that has not (a test)
// gets a single-threaded apartment here, kept until the thread ends.
void EnsureCom() {
  thread_local bool ready = false;
  if (ready) return;
  APTTYPE type;
  APTTYPEQUALIFIER qualifier;
  if (CoGetApartmentType(&type, &qualifier) == CO_E_NOTINITIALIZED) {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(hr) && hr != RPC_E_CHANGED_MODE) {
      throw Error("No se pudo iniciar COM: " + SystemMessage(hr) + " (" + Hex(hr) + ")");
    }
  }
  ready = true;
}

void CreateDocument(ComPtr<IXMLDOMDocument>& doc) {
  EnsureCom();
  CLSID clsid;
  HRESULT hr = CLSIDFromProgID(L"Microsoft.XMLDOM", &clsid);
  if (SUCCEEDED(hr)) {
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument, doc.OutVoid());
  }
  if (FAILED(hr)) throw Error(SystemMessage(hr) + ", ProgID: \"Microsoft.XMLDOM\"");
  Check(doc->put_async(VARIANT_FALSE), "async");
  Check(doc->put_preserveWhiteSpace(VARIANT_TRUE), "preserveWhiteSpace");
  Check(doc->put_validateOnParse(VARIANT_FALSE), "validateOnParse");
  Check(doc->put_resolveExternals(VARIANT_FALSE), "resolveExternals");
  ComPtr<IXMLDOMDocument2> doc2;
  Check(doc->QueryInterface(kIidXmlDomDocument2, doc2.OutVoid()), "IXMLDOMDocument2");
  VARIANT language;
  VariantInit(&language);
  language.vt = VT_BSTR;
  language.bstrVal = SysAllocString(L"XPath");
  const Bstr property("SelectionLanguage");
  const HRESULT set = doc2->setProperty(property.get(), language);
  VariantClear(&language);
  Check(set, "SelectionLanguage");
}

IXMLDOMNode* Node(void* handle) { return static_cast<IXMLDOMNode*>(handle); }

bool IsElementNamed(IXMLDOMNode* node, std::u16string_view name) {
  DOMNodeType type;
  Check(node->get_nodeType(&type), "nodeType");
  if (type != NODE_ELEMENT) return false;
  Bstr node_name;
  Check(node->get_nodeName(node_name.Out()), "nodeName");
  return node_name.View() == name;
}

// Calls `visit` for each child of `node` in order until it returns false.
template <typename Visit>
void ForEachChild(IXMLDOMNode* node, Visit visit) {
  ComPtr<IXMLDOMNode> child;
  Check(node->get_firstChild(child.Out()), "firstChild");
  while (child) {
    if (!visit(child.get())) return;
    ComPtr<IXMLDOMNode> next;
    Check(child->get_nextSibling(next.Out()), "nextSibling");
    child.Swap(next);
  }
}

void AppendText(IXMLDOMNode* node, std::u16string& text) {
  ForEachChild(node, [&text](IXMLDOMNode* child) {
    DOMNodeType type;
    Check(child->get_nodeType(&type), "nodeType");
    if (type == NODE_TEXT || type == NODE_CDATA_SECTION) {
      VARIANT value;
      VariantInit(&value);
      Check(child->get_nodeValue(&value), "nodeValue");
      if (value.vt == VT_BSTR && value.bstrVal) {
        text.append(reinterpret_cast<const char16_t*>(value.bstrVal), SysStringLen(value.bstrVal));
      }
      VariantClear(&value);
    } else if (type == NODE_ELEMENT || type == NODE_ENTITY_REFERENCE) {
      AppendText(child, text);
    }
    return true;
  });
}

void QueryElement(IXMLDOMNode* node, ComPtr<IXMLDOMElement>& element) {
  Check(node->QueryInterface(IID_IXMLDOMElement, element.OutVoid()), "IXMLDOMElement");
}

std::string ValueOf(IXMLDOMNode* node) {
  VARIANT value;
  VariantInit(&value);
  Check(node->get_nodeValue(&value), "nodeValue");
  std::string text;
  if (value.vt == VT_BSTR && value.bstrVal) {
    text = Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(value.bstrVal),
                                           SysStringLen(value.bstrVal)));
  }
  VariantClear(&value);
  return text;
}

std::string NameOf(IXMLDOMNode* node) {
  Bstr name;
  Check(node->get_nodeName(name.Out()), "nodeName");
  return name.Utf8();
}

void AppendEscaped(std::string& out, std::string_view text, bool attribute) {
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += attribute ? ">" : "&gt;";
        break;
      case '"':
        out += attribute ? "&quot;" : "\"";
        break;
      case '\t':
        out += attribute ? "&#09;" : "\t";
        break;
      case '\n':
        out += attribute ? "&#10;" : "\n";
        break;
      case '\r':
        out += attribute ? "&#13;" : "\r";
        break;
      default:
        out += c;
    }
  }
}

// Writes `node` as XML text, the way the pugixml backend does, so that both
// give the same bytes. (The `xml` property is not used: Wine's re-indents
// elements it finds without text.)
void Serialise(IXMLDOMNode* node, std::string& out) {
  DOMNodeType type;
  Check(node->get_nodeType(&type), "nodeType");
  switch (type) {
    case NODE_ELEMENT: {
      const std::string name = NameOf(node);
      out += '<';
      out += name;
      ComPtr<IXMLDOMNamedNodeMap> attributes;
      Check(node->get_attributes(attributes.Out()), "attributes");
      long count = 0;
      if (attributes) Check(attributes->get_length(&count), "attributes");
      for (long i = 0; i < count; ++i) {
        ComPtr<IXMLDOMNode> attribute;
        Check(attributes->get_item(i, attribute.Out()), "attributes");
        out += ' ';
        out += NameOf(attribute.get());
        out += "=\"";
        AppendEscaped(out, ValueOf(attribute.get()), true);
        out += '"';
      }
      ComPtr<IXMLDOMNode> first;
      Check(node->get_firstChild(first.Out()), "firstChild");
      if (!first) {
        out += "/>";
        return;
      }
      out += '>';
      ForEachChild(node, [&out](IXMLDOMNode* child) {
        Serialise(child, out);
        return true;
      });
      out.append("</").append(name).append(">");
      return;
    }
    case NODE_TEXT:
      return AppendEscaped(out, ValueOf(node), false);
    case NODE_CDATA_SECTION:
      out.append("<![CDATA[").append(ValueOf(node)).append("]]>");
      return;
    case NODE_COMMENT:
      out.append("<!--").append(ValueOf(node)).append("-->");
      return;
    case NODE_PROCESSING_INSTRUCTION: {
      const std::string data = ValueOf(node);
      out.append("<?")
          .append(NameOf(node))
          .append(data.empty() ? "" : " ")
          .append(data)
          .append("?>");
      return;
    }
    case NODE_ENTITY_REFERENCE:
      out.append("&").append(NameOf(node)).append(";");
      return;
    default: {  // the DOCTYPE
      Bstr xml;
      Check(node->get_xml(xml.Out()), "xml");
      out += xml.Utf8();
      return;
    }
  }
}

}  // namespace

XmlNode::XmlNode(void* handle) : handle_(handle) {
  if (handle_) Node(handle_)->AddRef();
}
XmlNode::XmlNode(const XmlNode& other) : XmlNode(other.handle_) {}
XmlNode& XmlNode::operator=(const XmlNode& other) {
  if (other.handle_) Node(other.handle_)->AddRef();
  if (handle_) Node(handle_)->Release();
  handle_ = other.handle_;
  return *this;
}
XmlNode::~XmlNode() {
  if (handle_) Node(handle_)->Release();
}

std::string XmlNode::Name() const { return empty() ? "" : NameOf(Node(handle_)); }

std::string XmlNode::Text() const {
  if (empty()) return "";
  std::u16string text;
  AppendText(Node(handle_), text);
  return Utf16ToUtf8(text);
}

std::optional<std::string> XmlNode::Attribute(std::string_view name) const {
  if (empty()) return std::nullopt;
  ComPtr<IXMLDOMElement> element;
  QueryElement(Node(handle_), element);
  const Bstr key(name);
  VARIANT value;
  VariantInit(&value);
  const HRESULT hr = element->getAttribute(key.get(), &value);
  Check(hr, "getAttribute");
  std::optional<std::string> result;
  if (hr == S_OK && value.vt == VT_BSTR) {
    result = Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(value.bstrVal),
                                             SysStringLen(value.bstrVal)));
  }
  VariantClear(&value);
  return result;
}

std::vector<XmlNode> XmlNode::Children(std::string_view name) const {
  std::vector<XmlNode> children;
  if (empty()) return children;
  const std::u16string wanted = Utf8ToUtf16(name);
  ForEachChild(Node(handle_), [&](IXMLDOMNode* child) {
    if (IsElementNamed(child, wanted)) children.push_back(XmlNode(child));
    return true;
  });
  return children;
}

XmlNode XmlNode::FirstChild(std::string_view name) const {
  XmlNode found;
  if (empty()) return found;
  const std::u16string wanted = Utf8ToUtf16(name);
  ForEachChild(Node(handle_), [&](IXMLDOMNode* child) {
    if (IsElementNamed(child, wanted)) found = XmlNode(child);
    return found.empty();
  });
  return found;
}

XmlNode XmlNode::AppendElement(std::string_view name) {
  if (empty()) ThrowEmptyNode("AppendElement");
  RequireXmlName(name);
  ComPtr<IXMLDOMDocument> doc;
  Check(Node(handle_)->get_ownerDocument(doc.Out()), "ownerDocument");
  ComPtr<IXMLDOMElement> element;
  const Bstr tag(name);
  Check(doc->createElement(tag.get(), element.Out()), "createElement");
  ComPtr<IXMLDOMNode> appended;
  Check(Node(handle_)->appendChild(element.get(), appended.Out()), "appendChild");
  return XmlNode(appended.get());
}

void XmlNode::SetAttribute(std::string_view name, std::string_view value) {
  if (empty()) ThrowEmptyNode("SetAttribute");
  RequireXmlName(name);
  RequireXmlText(value);
  ComPtr<IXMLDOMElement> element;
  QueryElement(Node(handle_), element);
  const Bstr key(name);
  Bstr text(value);
  VARIANT variant;
  VariantInit(&variant);
  variant.vt = VT_BSTR;
  variant.bstrVal = text.get();  // still owned by `text`
  Check(element->setAttribute(key.get(), variant), "setAttribute");
}

void XmlNode::SetText(std::string_view value) {
  if (empty()) ThrowEmptyNode("SetText");
  RequireXmlText(value);
  IXMLDOMNode* node = Node(handle_);
  for (;;) {
    ComPtr<IXMLDOMNode> child;
    Check(node->get_firstChild(child.Out()), "firstChild");
    if (!child) break;
    ComPtr<IXMLDOMNode> removed;
    Check(node->removeChild(child.get(), removed.Out()), "removeChild");
  }
  if (value.empty()) return;
  ComPtr<IXMLDOMDocument> doc;
  Check(node->get_ownerDocument(doc.Out()), "ownerDocument");
  ComPtr<IXMLDOMText> text;
  const Bstr content(value);
  Check(doc->createTextNode(content.get(), text.Out()), "createTextNode");
  ComPtr<IXMLDOMNode> appended;
  Check(node->appendChild(text.get(), appended.Out()), "appendChild");
}

void XmlNode::RemoveChild(const XmlNode& child) {
  if (empty() || child.empty()) ThrowEmptyNode("RemoveChild");
  // Node objects have no identity to compare (Wine makes one per access):
  // MSXML itself tells a stranger.
  ComPtr<IXMLDOMNode> removed;
  const HRESULT hr = Node(handle_)->removeChild(Node(child.handle_), removed.Out());
  if (hr == E_INVALIDARG) ThrowNotAChild(Name(), child.Name());
  Check(hr, "removeChild");
}

struct XmlDocument::Impl {
  ComPtr<IXMLDOMDocument> doc;
  XmlFormat format;
};

XmlDocument::XmlDocument(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
XmlDocument::XmlDocument(XmlDocument&&) noexcept = default;
XmlDocument& XmlDocument::operator=(XmlDocument&&) noexcept = default;
XmlDocument::~XmlDocument() = default;

XmlDocument XmlDocument::Parse(std::string_view bytes, std::string_view name) {
  const XmlSource source = PrepareXml(bytes, name);
  auto impl = std::make_unique<Impl>();
  impl->format = source.format;
  CreateDocument(impl->doc);
  const Bstr text(source.text);
  VARIANT_BOOL loaded = VARIANT_FALSE;
  Check(impl->doc->loadXML(text.get(), &loaded), "loadXML");
  if (loaded != VARIANT_TRUE) {
    // Our own check passed, so this is rare; MSXML may not know where.
    ComPtr<IXMLDOMParseError> error;
    Check(impl->doc->get_parseError(error.Out()), "parseError");
    long line = 0, column = 0;
    Bstr reason;
    Check(error->get_line(&line), "parseError");
    Check(error->get_linepos(&column), "parseError");
    Check(error->get_reason(reason.Out()), "parseError");
    std::optional<TextPosition> at;
    if (line > 0) at = TextPosition{static_cast<int>(line), static_cast<int>(column)};
    std::string why = reason.Utf8();
    while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == ' '))
      why.pop_back();
    throw NotWellFormed(name, at, why.empty() ? "el componente XML no lo acepta" : why);
  }
  return XmlDocument(std::move(impl));
}

XmlNode XmlDocument::Root() const {
  ComPtr<IXMLDOMElement> root;
  Check(impl_->doc->get_documentElement(root.Out()), "documentElement");
  return XmlNode(root.get());
}

std::vector<XmlNode> XmlDocument::Select(std::string_view path) const {
  const Bstr query(path);
  ComPtr<IXMLDOMNodeList> list;
  if (FAILED(impl_->doc->selectNodes(query.get(), list.Out())) || !list) ThrowBadPath(path);
  long length = 0;
  Check(list->get_length(&length), "length");
  std::vector<XmlNode> nodes;
  nodes.reserve(static_cast<size_t>(length));
  for (;;) {
    ComPtr<IXMLDOMNode> node;
    Check(list->nextNode(node.Out()), "nextNode");
    if (!node) break;
    DOMNodeType type;
    Check(node->get_nodeType(&type), "nodeType");
    if (type == NODE_ELEMENT) nodes.push_back(XmlNode(node.get()));
  }
  return nodes;
}

std::string XmlDocument::DeclaredEncoding() const { return impl_->format.encoding; }

std::string XmlDocument::Serialize() const {
  std::string serialised;
  ForEachChild(impl_->doc.get(), [&serialised](IXMLDOMNode* node) {
    Serialise(node, serialised);
    serialised += '\n';
    return true;
  });
  return EncodeXml(serialised, impl_->format);
}

}  // namespace pasahorario::delphos
