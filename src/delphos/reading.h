// Reads a loaded DELPHOS export: finds a section's record elements and takes
// their values by position or by `dato` name. Never changes the document.
#pragma once
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "delphos/xml_document.h"

namespace pasahorario::delphos {

// The six sections, in the order the export reads them.
inline constexpr std::string_view kSections[] = {"MATERIAS", "PROFESORES",  "AULAS",
                                                 "GRUPOS",   "ASIGNATURAS", "TRAMOS"};

// The path of the record elements of section `seq`:
// /SERVICIO/SALIDAS/listasal[@seq="<seq>"]/listasal.
// Requires: `seq` holds no double quote.
std::string SectionPath(std::string_view seq);

// Record elements of every section `seq` directly under /SERVICIO/SALIDAS,
// in document order (the elements SectionPath(seq) selects). Several
// sections with the same `seq` give their records one after the other.
// Empty when there is no such section; that is not an error.
std::vector<XmlNode> SectionRecords(const XmlDocument& doc, std::string_view seq);

// The values of one record element: its `salida` children only, in
// document order, each trimmed of codes 0 to 32.
class RecordValues {
 public:
  explicit RecordValues(const XmlNode& record);

  // Number of value elements.
  int count() const { return static_cast<int>(values_.size()); }

  // Trimmed text at `position` (0-based). A position the record does not
  // have reads as the empty string.
  const std::string& At(int position) const;

  // The `dato` attribute of the value element at `position`, untrimmed;
  // empty when the element has none or the record has no such position.
  const std::string& NameAt(int position) const;

  // Whether any value element carries a `dato` name.
  bool named() const;

 private:
  std::vector<std::string> values_;
  std::vector<std::string> names_;
};

// A value element whose `dato` name is not the one its position should
// carry. Positions count from 0.
struct NameMismatch {
  int position = 0;
  std::string expected;
  std::string found;    // empty: no name, or no value element there
  bool absent = false;  // the record has no value element at `position`
  int others = 0;       // further positions of the record that do not fit either
};

// The `dato` names a section's records carry at the positions a converter
// reads: at each position, the name that most of the records carrying names
// give it. A tie goes to the converter's own name for the position when it
// is among the tied ones; otherwise the position has no expected name and
// is not checked. Records without any name play no part.
class SectionNames {
 public:
  // `usual[p]` is the converter's name for position p, for ties; an empty
  // entry is a position the converter does not read by position.
  SectionNames(const std::vector<XmlNode>& records, std::span<const std::string_view> usual);

  // The first position of `values` whose name differs from the expected
  // one; nothing when all fit or the record carries no names.
  std::optional<NameMismatch> Check(const RecordValues& values) const;

 private:
  std::vector<std::string> expected_;  // per position; empty: not checked
};

}  // namespace pasahorario::delphos
