#include "delphos/reading.h"

#include <algorithm>
#include <cassert>
#include <map>

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

bool RecordValues::named() const {
  return std::ranges::any_of(names_, [](const std::string& name) { return !name.empty(); });
}

SectionNames::SectionNames(const std::vector<XmlNode>& records,
                           std::span<const std::string_view> usual) {
  std::vector<std::map<std::string, int>> counts(usual.size());
  for (const XmlNode& record : records) {
    const RecordValues values(record);
    if (!values.named()) continue;
    for (size_t p = 0; p < usual.size(); ++p) {
      const std::string& name = values.NameAt(static_cast<int>(p));
      if (!usual[p].empty() && !name.empty()) ++counts[p][name];
    }
  }
  expected_.resize(usual.size());
  for (size_t p = 0; p < usual.size(); ++p) {
    int most = 0;
    std::vector<std::string> leaders;
    for (const auto& [name, n] : counts[p]) {
      if (n > most) leaders.clear();
      if (n >= most) {
        most = n;
        leaders.push_back(name);
      }
    }
    if (leaders.size() == 1) {
      expected_[p] = leaders.front();
    } else if (std::ranges::find(leaders, usual[p]) != leaders.end()) {
      expected_[p] = std::string(usual[p]);
    }
  }
}

std::optional<NameMismatch> SectionNames::Check(const RecordValues& values) const {
  if (!values.named()) return std::nullopt;
  std::optional<NameMismatch> first;
  for (size_t p = 0; p < expected_.size(); ++p) {
    const int position = static_cast<int>(p);
    if (expected_[p].empty() || values.NameAt(position) == expected_[p]) continue;
    if (first) {
      ++first->others;
    } else {
      first = NameMismatch{position, expected_[p], values.NameAt(position),
                           position >= values.count(), 0};
    }
  }
  return first;
}

}  // namespace pasahorario::delphos
