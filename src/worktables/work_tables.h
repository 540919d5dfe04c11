// The names of the tables of the exchange directory, in one place: the six
// work tables an export writes and the import reads, and the solution
// table the timetable program writes.
#pragma once
#include <string_view>

namespace pasahorario {

// The six work tables, in the order of the DELPHOS sections they come from
// (MATERIAS, PROFESORES, AULAS, GRUPOS, ASIGNATURAS, TRAMOS), as the export
// writes them.
inline constexpr std::string_view kWorkTables[] = {"ASIGNOMT", "PROFT", "AULAT",
                                                   "GRUPOST",  "ASIGT", "DIASHORAST"};

// The solution table, which only the timetable program writes.
inline constexpr std::string_view kSolutionTable = "SOLUC";

}  // namespace pasahorario
