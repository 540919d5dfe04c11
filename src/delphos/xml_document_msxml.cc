// XmlDocument and XmlNode over MSXML, created by the class name
// "Microsoft.XMLDOM" through COM, for Windows. The file is decoded and
// checked by PrepareXml() and handed to loadXML as UTF-16; the tree is
// written out node by node and encoded by EncodeXml() (MSXML's own save()
// is not used: some versions write bytes that do not match the declaration).
#include "delphos/com_helpers_msxml.h"
// After windows.h:
#include <msxml2.h>

#include "base/error.h"
#include "base/unicode.h"
#include "delphos/xml_backend.h"
#include "delphos/xml_document.h"
#include "delphos/xml_output.h"
#include "delphos/xml_source.h"
#include "delphos/xml_wellformed.h"

namespace pasahorario::delphos {
namespace {

// IXMLDOMDocument2, which no mingw-w64 library defines.
constexpr IID kIidXmlDomDocument2 = {
    0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

// Sets a property of the second level; false when this version of MSXML
// does not know it.
bool SetProperty(IXMLDOMDocument2* doc, const char* name, VARIANT value) {
  const Bstr property(name);
  return SUCCEEDED(doc->setProperty(property.get(), value));
}

VARIANT Boolean(bool value) {
  VARIANT variant;
  VariantInit(&variant);
  variant.vt = VT_BOOL;
  variant.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return variant;
}

// A document for `text`, which PrepareXml() has checked: no entity or
// attribute-list declarations, no external DTD, no deeper nesting than
// kMaxElementDepth. MSXML is told the same where its version lets it, so
// that it never reads a DTD from elsewhere nor recurses deeper: DTDs are
// prohibited outright unless the text holds a DOCTYPE (a bare one is kept).
void CreateDocument(ComPtr<IXMLDOMDocument>& doc, std::string_view text) {
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
  const Bstr selection("SelectionLanguage");
  const HRESULT set = doc2->setProperty(selection.get(), language);
  VariantClear(&language);
  Check(set, "SelectionLanguage");

  // Safeguards only: our own check has refused what they would.
  SetProperty(doc2.get(), "ProhibitDTD", Boolean(text.find("<!DOCTYPE") == std::string_view::npos));
  SetProperty(doc2.get(), "ResolveExternals", Boolean(false));
  SetProperty(doc2.get(), "ValidateOnParse", Boolean(false));
  SetProperty(doc2.get(), "AllowDocumentFunction", Boolean(false));
  VARIANT depth;
  VariantInit(&depth);
  depth.vt = VT_I4;
  depth.lVal = static_cast<LONG>(2 * kMaxElementDepth);  // our check counts, not MSXML's
  SetProperty(doc2.get(), "MaxElementDepth", depth);
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

DOMNodeType TypeOf(IXMLDOMNode* node) {
  DOMNodeType type;
  Check(node->get_nodeType(&type), "nodeType");
  return type;
}

// Visits the subtree of `top` in document order without recursion, since a
// tree may nest deeply. `enter(node, type, has_children)` is called for each
// node and returns true to visit its children; `leave(node)` follows the
// children of each node entered that way. Only elements and entity
// references are looked into. (Node objects have no identity to compare,
// so the walk counts its depth to know when it is back at `top`.)
template <typename Enter, typename Leave>
void WalkSubtree(IXMLDOMNode* top, Enter enter, Leave leave) {
  ComPtr<IXMLDOMNode> node;
  top->AddRef();
  *node.Out() = top;
  size_t depth = 0;  // of `node` below `top`
  for (;;) {
    const DOMNodeType type = TypeOf(node.get());
    ComPtr<IXMLDOMNode> child;
    if (type == NODE_ELEMENT || type == NODE_ENTITY_REFERENCE) {
      Check(node->get_firstChild(child.Out()), "firstChild");
    }
    if (enter(node.get(), type, static_cast<bool>(child)) && child) {
      node.Swap(child);
      ++depth;
      continue;
    }
    // On to the next sibling of this node or of the nearest ancestor that
    // has one, leaving the ancestors passed.
    for (;;) {
      if (depth == 0) return;
      ComPtr<IXMLDOMNode> next;
      Check(node->get_nextSibling(next.Out()), "nextSibling");
      if (next) {
        node.Swap(next);
        break;
      }
      ComPtr<IXMLDOMNode> parent;
      Check(node->get_parentNode(parent.Out()), "parentNode");
      node.Swap(parent);
      --depth;
      leave(node.get());
    }
  }
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
// `doctype` stands for a document type node: MSXML does not write them all.
void Serialise(IXMLDOMNode* top, std::string_view doctype, std::string& out) {
  const auto enter = [&](IXMLDOMNode* node, DOMNodeType type, bool has_children) {
    switch (type) {
      case NODE_ELEMENT: {
        out += '<';
        out += NameOf(node);
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
        out += has_children ? ">" : "/>";
        return has_children;
      }
      case NODE_TEXT:
        AppendEscaped(out, ValueOf(node), false);
        return false;
      case NODE_CDATA_SECTION:
        out.append("<![CDATA[").append(ValueOf(node)).append("]]>");
        return false;
      case NODE_COMMENT:
        out.append("<!--").append(ValueOf(node)).append("-->");
        return false;
      case NODE_PROCESSING_INSTRUCTION: {
        const std::string data = ValueOf(node);
        out.append("<?")
            .append(NameOf(node))
            .append(data.empty() ? "" : " ")
            .append(data)
            .append("?>");
        return false;
      }
      case NODE_ENTITY_REFERENCE:
        out.append("&").append(NameOf(node)).append(";");
        return false;
      case NODE_DOCUMENT_TYPE:
        out += doctype;
        return false;
      default: {  // nothing else occurs in a document that passed our check
        Bstr xml;
        Check(node->get_xml(xml.Out()), "xml");
        out += xml.Utf8();
        return false;
      }
    }
  };
  const auto leave = [&out](IXMLDOMNode* node) {
    out.append("</").append(NameOf(node)).append(">");
  };
  WalkSubtree(top, enter, leave);
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
  const auto enter = [&text](IXMLDOMNode* node, DOMNodeType type, bool) {
    if (type == NODE_TEXT || type == NODE_CDATA_SECTION) {
      VARIANT value;
      VariantInit(&value);
      Check(node->get_nodeValue(&value), "nodeValue");
      if (value.vt == VT_BSTR && value.bstrVal) {
        text.append(reinterpret_cast<const char16_t*>(value.bstrVal), SysStringLen(value.bstrVal));
      }
      VariantClear(&value);
    }
    return type == NODE_ELEMENT || type == NODE_ENTITY_REFERENCE;
  };
  WalkSubtree(Node(handle_), enter, [](IXMLDOMNode*) {});
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
  CreateDocument(impl->doc, source.text);
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
  // The top-level nodes by index: Wine's document type node does not know
  // its next sibling.
  std::string serialised;
  ComPtr<IXMLDOMNodeList> nodes;
  Check(impl_->doc->get_childNodes(nodes.Out()), "childNodes");
  long count = 0;
  Check(nodes->get_length(&count), "length");
  for (long i = 0; i < count; ++i) {
    ComPtr<IXMLDOMNode> node;
    Check(nodes->get_item(i, node.Out()), "item");
    Serialise(node.get(), impl_->format.doctype, serialised);
    serialised += '\n';
  }
  return EncodeXml(serialised, impl_->format);
}

}  // namespace pasahorario::delphos
