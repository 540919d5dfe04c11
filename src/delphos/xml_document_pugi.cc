// XmlDocument and XmlNode over pugixml, for every platform but Windows.
// The file is decoded and checked by PrepareXml(); pugixml parses UTF-8
// with every node kept (declaration, comments, processing instructions and
// whitespace), and its serialisation goes through EncodeXml().
#include <pugixml.hpp>

#include "base/error.h"
#include "delphos/xml_backend.h"
#include "delphos/xml_document.h"
#include "delphos/xml_output.h"
#include "delphos/xml_source.h"

namespace pasahorario::delphos {
namespace {

constexpr unsigned kParseOptions = pugi::parse_full | pugi::parse_ws_pcdata;

pugi::xml_node Node(void* handle) {
  return pugi::xml_node(static_cast<pugi::xml_node_struct*>(handle));
}

class StringWriter : public pugi::xml_writer {
 public:
  explicit StringWriter(std::string& out) : out_(out) {}
  void write(const void* data, size_t size) override {
    out_.append(static_cast<const char*>(data), size);
  }

 private:
  std::string& out_;
};

// pugixml's reasons, for the rare file it refuses after our own check.
std::string Reason(pugi::xml_parse_status status) {
  switch (status) {
    case pugi::status_out_of_memory:
      return "no hay memoria suficiente";
    case pugi::status_unrecognized_tag:
      return "etiqueta no reconocida";
    case pugi::status_bad_pi:
      return "instrucción de proceso mal formada";
    case pugi::status_bad_comment:
      return "comentario mal formado";
    case pugi::status_bad_cdata:
      return "sección CDATA mal formada";
    case pugi::status_bad_doctype:
      return "declaración DOCTYPE mal formada";
    case pugi::status_bad_pcdata:
      return "texto mal formado";
    case pugi::status_bad_start_element:
      return "etiqueta de apertura mal formada";
    case pugi::status_bad_attribute:
      return "atributo mal formado";
    case pugi::status_bad_end_element:
      return "etiqueta de cierre mal formada";
    case pugi::status_end_element_mismatch:
      return "etiqueta de cierre que no corresponde";
    case pugi::status_no_document_element:
      return "el documento no tiene elemento raíz";
    default:
      return "error interno del analizador XML";
  }
}

// Removes `child` with all its content. pugixml frees a removed subtree
// recursively, so the subtree is first taken apart from its leaves up: the
// stack stays flat however deep it goes.
void RemoveSubtree(pugi::xml_node child) {
  pugi::xml_node node = child;
  for (;;) {
    if (const pugi::xml_node last = node.last_child()) {
      node = last;
      continue;
    }
    if (node == child) break;
    pugi::xml_node parent = node.parent();
    parent.remove_child(node);
    node = parent;
  }
  child.parent().remove_child(child);
}

}  // namespace

XmlNode::XmlNode(void* handle) : handle_(handle) {}
XmlNode::XmlNode(const XmlNode& other) : handle_(other.handle_) {}
XmlNode& XmlNode::operator=(const XmlNode& other) {
  handle_ = other.handle_;
  return *this;
}
XmlNode::~XmlNode() = default;

std::string XmlNode::Name() const { return Node(handle_).name(); }

std::string XmlNode::Text() const {
  std::string text;
  const pugi::xml_node top = Node(handle_);
  // Depth first, without recursion: documents may nest deeply.
  pugi::xml_node node = top.first_child();
  while (node) {
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) text += node.value();
    if (node.type() == pugi::node_element && node.first_child()) {
      node = node.first_child();
      continue;
    }
    while (node && node != top && !node.next_sibling()) node = node.parent();
    if (!node || node == top) break;
    node = node.next_sibling();
  }
  return text;
}

std::optional<std::string> XmlNode::Attribute(std::string_view name) const {
  for (pugi::xml_attribute a = Node(handle_).first_attribute(); a; a = a.next_attribute()) {
    if (name == a.name()) return std::string(a.value());
  }
  return std::nullopt;
}

std::vector<XmlNode> XmlNode::Children(std::string_view name) const {
  std::vector<XmlNode> children;
  for (pugi::xml_node c = Node(handle_).first_child(); c; c = c.next_sibling()) {
    if (c.type() == pugi::node_element && name == c.name())
      children.push_back(XmlNode(c.internal_object()));
  }
  return children;
}

XmlNode XmlNode::FirstChild(std::string_view name) const {
  for (pugi::xml_node c = Node(handle_).first_child(); c; c = c.next_sibling()) {
    if (c.type() == pugi::node_element && name == c.name()) return XmlNode(c.internal_object());
  }
  return XmlNode();
}

XmlNode XmlNode::AppendElement(std::string_view name) {
  if (empty()) ThrowEmptyNode("AppendElement");
  RequireXmlName(name);
  pugi::xml_node child = Node(handle_).append_child(pugi::node_element);
  if (!child || !child.set_name(std::string(name).c_str()))
    throw Error("No hay memoria para crear <" + std::string(name) + ">");
  return XmlNode(child.internal_object());
}

void XmlNode::SetAttribute(std::string_view name, std::string_view value) {
  if (empty()) ThrowEmptyNode("SetAttribute");
  RequireXmlName(name);
  RequireXmlText(value);
  const std::string key(name);
  pugi::xml_node node = Node(handle_);
  pugi::xml_attribute attribute = node.attribute(key.c_str());
  if (!attribute) attribute = node.append_attribute(key.c_str());
  if (!attribute || !attribute.set_value(value.data(), value.size()))
    throw Error("No hay memoria para el atributo " + key);
}

void XmlNode::SetText(std::string_view value) {
  if (empty()) ThrowEmptyNode("SetText");
  RequireXmlText(value);
  pugi::xml_node node = Node(handle_);
  while (const pugi::xml_node child = node.first_child()) RemoveSubtree(child);
  if (value.empty()) return;
  pugi::xml_node text = node.append_child(pugi::node_pcdata);
  if (!text || !text.set_value(value.data(), value.size()))
    throw Error("No hay memoria para el texto de <" + Name() + ">");
}

void XmlNode::RemoveChild(const XmlNode& child) {
  if (empty() || child.empty()) ThrowEmptyNode("RemoveChild");
  const pugi::xml_node node = Node(handle_);
  if (Node(child.handle_).parent() != node) ThrowNotAChild(Name(), child.Name());
  RemoveSubtree(Node(child.handle_));
}

struct XmlDocument::Impl {
  pugi::xml_document doc;
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
  const pugi::xml_parse_result result = impl->doc.load_buffer(
      source.text.data(), source.text.size(), kParseOptions, pugi::encoding_utf8);
  if (!result)
    throw SyntaxError(name, source.text, static_cast<size_t>(result.offset), Reason(result.status));
  return XmlDocument(std::move(impl));
}

XmlNode XmlDocument::Root() const {
  return XmlNode(impl_->doc.document_element().internal_object());
}

std::vector<XmlNode> XmlDocument::Select(std::string_view path) const {
  std::vector<XmlNode> nodes;
  try {
    pugi::xpath_node_set set = impl_->doc.select_nodes(std::string(path).c_str());
    set.sort();
    nodes.reserve(set.size());
    for (const pugi::xpath_node& match : set) {
      if (match.node().type() == pugi::node_element)
        nodes.push_back(XmlNode(match.node().internal_object()));
    }
  } catch (const pugi::xpath_exception&) {
    ThrowBadPath(path);
  }
  return nodes;
}

std::string XmlDocument::DeclaredEncoding() const { return impl_->format.encoding; }

std::string XmlDocument::Serialize() const {
  // Outside the root pugixml keeps no whitespace: one line break follows
  // each top-level node, as MSXML writes them. (pugixml prints a tree
  // without recursion.)
  std::string serialised;
  StringWriter writer(serialised);
  for (pugi::xml_node node : impl_->doc.children()) {
    node.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
    serialised += '\n';
  }
  return EncodeXml(serialised, impl_->format);
}

}  // namespace pasahorario::delphos
