// A small command-line front to the work-table engine for the interop
// tests, which compare it with other dBase readers and writers:
//   dbf_interop_tool write FILE   writes the sample table the tests expect
//   dbf_interop_tool dump FILE    prints every visited row as JSON
// Errors go to stderr with exit status 1.
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>

#include "base/error.h"
#include "worktables/dbf_table.h"

namespace {

using pasahorario::dbf::DbfTable;

// The sample: every type we write, code-page 1252 characters, text cut to
// its width, blank values. interop_test.py holds the values it must read.
void WriteSample(const std::string& file) {
  namespace dbf = pasahorario::dbf;
  DbfTable table{std::filesystem::path(file)};
  table.Create({dbf::TextField("NOMBRE", 12), dbf::LogicalField("ACTIVO"), dbf::IntegerField("NUM"),
                dbf::FloatField("HORAS"), dbf::TextField("CORTO", 3)});
  table.Open();
  struct Row {
    const char* nombre;
    int activo;  // -1: not set
    bool has_numbers;
    int64_t num;
    double horas;
    const char* corto;
  };
  const Row rows[] = {
      {"Peña €uro", 1, true, 42, 1.5, "ñandú"},
      {"", -1, false, 0, 0, ""},
      {"O'Neil \"q\"", 0, true, -2147483648LL, 50 / 60.0, "abc"},
      {"Ā~x", 1, true, 0, -12345.6789, "áé"},
  };
  for (const Row& row : rows) {
    table.Append();
    table.SetText(0, row.nombre);
    if (row.activo >= 0) table.SetLogical(1, row.activo == 1);
    if (row.has_numbers) {
      table.SetInteger(2, row.num);
      table.SetFloat(3, row.horas);
    }
    table.SetText(4, row.corto);
    table.Post();
  }
  table.Close();
}

std::string Json(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// One JSON object per row: logicals as true/false/null, the rest as text.
void Dump(const std::string& file) {
  DbfTable table{std::filesystem::path(file)};
  table.Open();
  std::cout << "[";
  bool first_row = true;
  for (table.First(); !table.Eof(); table.Next()) {
    std::cout << (first_row ? "\n" : ",\n") << "{";
    first_row = false;
    for (size_t i = 0; i < table.fields().size(); ++i) {
      const int field = static_cast<int>(i);
      std::cout << (i ? ", " : "") << Json(table.fields()[i].name) << ": ";
      if (table.fields()[i].type == 'L') {
        const std::optional<bool> value = table.Logical(field);
        std::cout << (!value ? "null" : *value ? "true" : "false");
      } else {
        std::cout << Json(table.Text(field));
      }
    }
    std::cout << "}";
  }
  std::cout << "\n]\n";
  table.Close();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "uso: dbf_interop_tool write|dump ARCHIVO\n";
    return 2;
  }
  const std::string command = argv[1];
  try {
    if (command == "write") {
      WriteSample(argv[2]);
    } else if (command == "dump") {
      Dump(argv[2]);
    } else {
      std::cerr << "orden desconocida: " << command << "\n";
      return 2;
    }
  } catch (const pasahorario::Error& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  return 0;
}
