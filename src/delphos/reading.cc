#include "delphos/reading.h"

#include <cassert>

#include "base/text.h"

namespace pasahorario::delphos {
namespace {

const std::string kNothing;

}  // namespace

std::string SectionPath(std::string_view seq) {
  assert(seq.find('"') == std::string_view::npos);
  return "/SERVICIO/SALIDAS/listasal[@seq=\"" + std::string(seq) + "\"]/listasal";
}

std::vector<XmlNode> SectionRecords(const XmlDocument& doc, std::string_view seq) {
  return doc.Select(SectionPath(seq));
}

RecordValues::RecordValues(const XmlNode& record) {
  const std::vector<XmlNode> elements = record.Children("salida");
  values_.reserve(elements.size());
  names_.reserve(elements.size());
  for (const XmlNode& element : elements) {
    std::string text = element.Text();
    const std::string_view trimmed = TrimmedText(text);
    if (trimmed.size() != text.size()) text = std::string(trimmed);
    values_.push_back(std::move(text));
    names_.push_back(element.Attribute("dato").value_or(std::string()));
  }
}

const std::string& RecordValues::At(int position) const {
  if (position < 0 || position >= count()) return kNothing;
  return values_[position];
}

const std::string& RecordValues::NameAt(int position) const {
  if (position < 0 || position >= count()) return kNothing;
  return names_[position];
}

}  // namespace pasahorario::delphos
