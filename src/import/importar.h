// The import direction: the host's solution table SOLUC, translated back
// through the work tables, becomes the DELPHOS result document.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "delphos/xml_document.h"

namespace pasahorario {

struct ImportSummary {
  std::filesystem::path result_path;
  int teachers = 0;
  int activities = 0;
  // A value that found no match, by kind ("TAREA", "tramo", "AULA",
  // "CODGRUPO", "ASIG"), with the activities it touches.
  struct Unmatched {
    std::string kind;
    std::string code;
    int activities = 0;
  };
  std::vector<Unmatched> unmatched;
};

// Replaces SALIDAS of `doc` (loaded from `chosen_file`) by the teacher and
// activity records built from the tables of `exchange_dir`, opened for
// exclusive use, and saves the result beside `chosen_file`. Nothing is
// written when any step fails; the chosen file is never written.
ImportSummary Importar(delphos::XmlDocument& doc, const std::filesystem::path& chosen_file,
                       const std::filesystem::path& exchange_dir);

}  // namespace pasahorario
