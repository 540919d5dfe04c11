// Test helpers of the export direction: a fresh exchange directory per test
// (support/test_files.h),
// DELPHOS documents written inline, and work tables read back through the
// engine. Header only; included by the *_test.cc files of this folder.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "delphos/xml_document.h"
#include "support/test_files.h"
#include "worktables/dbf_table.h"

namespace pasahorario::testing_support {
namespace fs = std::filesystem;

// A record element whose value elements hold `values`, in order.
inline std::string Rec(std::initializer_list<std::string> values) {
  std::string xml = "<listasal>";
  for (const std::string& v : values) xml += "<salida>" + v + "</salida>";
  return xml + "</listasal>";
}

// A TRAMOS record element: value elements named by `dato`, in order.
inline std::string Tramo(std::initializer_list<std::pair<std::string, std::string>> named) {
  std::string xml = "<listasal>";
  for (const auto& [dato, value] : named) {
    xml += "<salida dato=\"" + dato + "\">" + value + "</salida>";
  }
  return xml + "</listasal>";
}

// A Monday-style TRAMOS record as DELPHOS writes it: CODIGO_DELPHOS, NOMBRE,
// MINUTOS, DIA (so positions 1 and 2 are the slot code and the length).
inline std::string Slot(const std::string& code, const std::string& minutes,
                        const std::string& delphos = "0") {
  return Tramo(
      {{"CODIGO_DELPHOS", delphos}, {"NOMBRE", code}, {"MINUTOS", minutes}, {"DIA", code}});
}

// A section `seq` holding `records` (already written as XML).
inline std::string Section(const std::string& seq, std::initializer_list<std::string> records) {
  std::string xml = "<listasal seq=\"" + seq + "\">";
  for (const std::string& r : records) xml += r;
  return xml + "</listasal>";
}

// A DELPHOS export whose SALIDAS holds `sections`.
inline delphos::XmlDocument Export(std::initializer_list<std::string> sections) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><SERVICIO><SALIDAS>";
  for (const std::string& s : sections) xml += s;
  return delphos::XmlDocument::Parse(xml + "</SALIDAS></SERVICIO>");
}

// A work table read back: its layout and every row's fields as text.
struct TableContents {
  std::vector<dbf::FieldLayout> fields;
  std::vector<std::map<std::string, std::string>> rows;

  std::vector<std::string> Column(const std::string& field) const {
    std::vector<std::string> column;
    for (const auto& row : rows) column.push_back(row.at(field));
    return column;
  }
};

inline TableContents ReadTable(const fs::path& file) {
  dbf::DbfTable table(file);
  table.Open();
  TableContents contents{table.fields(), {}};
  for (table.First(); !table.Eof(); table.Next()) {
    auto& row = contents.rows.emplace_back();
    for (size_t i = 0; i < contents.fields.size(); ++i) {
      row[contents.fields[i].name] = table.Text(static_cast<int>(i));
    }
  }
  table.Close();
  return contents;
}

// "NAME C 10 0" per field, for comparing layouts.
inline std::vector<std::string> Layout(const std::vector<dbf::FieldLayout>& fields) {
  std::vector<std::string> layout;
  for (const dbf::FieldLayout& f : fields) {
    layout.push_back(f.name + " " + f.type + " " + std::to_string(f.width) + " " +
                     std::to_string(f.decimals));
  }
  return layout;
}

// A fresh, empty exchange directory for each test, removed afterwards.
class ExchangeDirTest : public testing::Test {
 protected:
  TempDir temp_{"exportar"};
  const fs::path dir_ = temp_.path();
};

}  // namespace pasahorario::testing_support
