// The XML document layer: one small interface over the platform's DOM.
// On Windows it is MSXML ("Microsoft.XMLDOM") through COM; elsewhere pugixml.
// CMake compiles exactly one backend (xml_document_pugi.cc or
// xml_document_msxml.cc); both pass xml_document_test.cc.
//
// Text crosses this interface as UTF-8 whatever the file's encoding.
#pragma once
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pasahorario::delphos {

class XmlDocument;

// A handle to an element of a loaded document; as cheap to copy as a
// pointer. An empty handle answers every question with an empty result, so
// calls can be chained without null checks. A handle must not outlive its
// document.
class XmlNode {
 public:
  XmlNode() = default;
  XmlNode(const XmlNode& other);
  XmlNode& operator=(const XmlNode& other);
  ~XmlNode();

  bool empty() const { return handle_ == nullptr; }
  explicit operator bool() const { return !empty(); }

  // Element name as written, without namespace handling.
  std::string Name() const;

  // Character content of the element and all its descendants, untrimmed.
  std::string Text() const;

  // Value of the attribute `name`, or nothing when the element lacks it.
  std::optional<std::string> Attribute(std::string_view name) const;

  // Child elements named `name`, in document order (other children are not
  // counted). The relative selection "salida" of a record element.
  std::vector<XmlNode> Children(std::string_view name) const;

  // The first child element named `name`, or an empty handle.
  XmlNode FirstChild(std::string_view name) const;

  // Creates an element `name`, appends it as this element's last child and
  // returns it.
  XmlNode AppendElement(std::string_view name);

  // Sets (or replaces) the attribute `name`.
  void SetAttribute(std::string_view name, std::string_view value);

  // Replaces the element's content by the text `value` (no text node at all
  // when `value` is empty).
  void SetText(std::string_view value);

  // Removes `child`, which must be a child of this element, with all its
  // content. Throws Error when it is not.
  void RemoveChild(const XmlNode& child);

 private:
  friend class XmlDocument;
  explicit XmlNode(void* handle);  // takes a reference (MSXML) to `handle`
  void* handle_ = nullptr;         // pugi::xml_node_struct* or IXMLDOMNode*
};

class XmlDocument {
 public:
  // Loads `path`, honouring its byte-order mark and declared encoding
  // (UTF-8, UTF-16, ISO-8859-1, windows-1252). Throws Error naming the file:
  // "No existe el archivo …"; "No se pudo leer el archivo …: <the system's
  // reason>"; when it is not text, not well-formed XML, nested deeper than
  // the limit or declares entities, with the line and column of the fault;
  // and when the XML component cannot be created.
  static XmlDocument Load(const std::filesystem::path& path);

  // Parses a document held in memory (UTF-8 unless it says otherwise).
  // `name` stands for the file in error messages.
  static XmlDocument Parse(std::string_view bytes, std::string_view name = "(texto)");

  XmlDocument(XmlDocument&&) noexcept;
  XmlDocument& operator=(XmlDocument&&) noexcept;
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;
  ~XmlDocument();

  // The root element, or an empty handle for a document without one.
  XmlNode Root() const;

  // Every element matched by the absolute path `path`, in document order,
  // for example /SERVICIO/SALIDAS/listasal[@seq="MATERIAS"]/listasal.
  // Empty when nothing matches.
  std::vector<XmlNode> Select(std::string_view path) const;

  // The encoding the document is written in, which Save() writes again: the
  // name in the XML declaration as written ("ISO-8859-1"); "UTF-8" when the
  // document declares none. A byte-order mark decides over the declaration:
  // "UTF-16" for a UTF-16 file, "UTF-8" for a UTF-8 one naming another.
  std::string DeclaredEncoding() const;

  // The whole document as bytes in its declared encoding: characters that
  // encoding cannot hold become character references, markup is escaped.
  std::string Serialize() const;

  // Writes Serialize() to `path` through a temporary file and a rename.
  void Save(const std::filesystem::path& path) const;

 private:
  struct Impl;
  explicit XmlDocument(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace pasahorario::delphos
