// The import direction: the host's solution table SOLUC, translated back
// through the work tables, becomes the DELPHOS result document.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "base/report.h"
#include "delphos/xml_document.h"

namespace pasahorario {

// The kinds of value that can find no match, as the report names them.
inline constexpr char kTareaSinMateria[] = "TAREA sin materia en ASIGNOMT";
inline constexpr char kTramoSinFila[] = "Tramo (DIA y HORA) sin fila en DIASHORAST";
inline constexpr char kAulaSinFila[] = "AULA sin fila en AULAT";
inline constexpr char kGrupoSinFila[] = "CODGRUPO sin fila en GRUPOST";
inline constexpr char kAsigSinMateria[] = "ASIG sin materia en ASIGT ni ASIGNOMT";

struct ImportSummary {
  std::filesystem::path result_path;
  int teachers = 0;    // teacher records written (PROFT rows)
  int activities = 0;  // activity records written, over all teachers
  // A value that found no match: its kind (one of the labels above), its
  // text as the solution table holds it (the time-slot key for a tramo; it
  // may be empty), how many activity records carry it, and for a tramo the
  // day and hour it was made of ("día 1, hora 12"; empty for other kinds).
  struct Unmatched {
    std::string kind;
    std::string code;
    int activities = 0;
    std::string slot = {};
    friend bool operator==(const Unmatched&, const Unmatched&) = default;
  };
  // By kind in the order of the labels above, then by code.
  std::vector<Unmatched> unmatched;
  // The likely correspondence of a value without a match (an unmatched
  // value above or a teacher code that is in no PROFT row), never applied:
  // the line of EQUIVALENCIAS.TXT that would apply it and why it is likely.
  struct Proposed {
    std::string line;  // "AULA lab1 = LAB1"
    std::string why;   // "'lab1' y 'LAB1' solo difieren en mayúsculas"
    friend bool operator==(const Proposed&, const Proposed&) = default;
  };
  // Teachers first, then in the order of `unmatched`.
  std::vector<Proposed> proposals;
  // Every finding of the run: the unmatched values above, teacher codes of
  // SOLUC that are in no PROFT row, remarks on the solution table, and what
  // was done with each line of EQUIVALENCIAS.TXT.
  Report report;
};

// Replaces SALIDAS of `doc` (loaded from `chosen_file`) by the teacher and
// activity records built from the tables of `exchange_dir`, opened for
// exclusive use, and saves the result beside `chosen_file`. Values of SOLUC
// that the tables lack are looked up again through EQUIVALENCIAS.TXT of
// `exchange_dir` when there is one; that file is read before any table and
// never written. Nothing is written when any step fails (a line of the file
// that cannot be read included); the chosen file is never written. First
// removes the temporary files that an earlier import, stopped while it
// saved, left beside the result (RemoveLeftTemporaries); one that cannot
// be removed is a finding.
ImportSummary Importar(delphos::XmlDocument& doc, const std::filesystem::path& chosen_file,
                       const std::filesystem::path& exchange_dir);

}  // namespace pasahorario
