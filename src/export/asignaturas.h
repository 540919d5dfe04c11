// The teaching-assignment converter: section ASIGNATURAS of a loaded DELPHOS
// export becomes the work table ASIGT, written at a given path.
#pragma once
#include <filesystem>

#include "delphos/xml_document.h"

namespace pasahorario {

class Report;

// Writes ASIGT at `table_file` with the fields CASIG, CPROF, CGRUP, CAULA,
// TURNO, NIVEL, CURSO, GRUPO, HORAS, SESIONES, NCONEX, MATERIA, CTAREA, one
// row per record element with at least two value elements, in document
// order; returns the number of rows. NIVEL is "NIV" when empty. HORAS is the
// minutes over 60, never below 1. SESIONES follows from HORAS as stored:
// n "1" for the smallest whole n not below it; above 13, n - 13 in decimal
// and then thirteen "1". CTAREA is "LE" for a subject whose code does not
// begin with "G"; otherwise the COD of the first row of `asignomt_file`
// (the subject table just written) whose MATERIA is that code, or else the
// code itself. Throws Error when minutes are not a whole number (naming the
// text, the section and the record's place from 1) or when a table cannot
// be written or read. Adds to `report` the values cut or with characters
// replaced, the records left out, and the records whose `dato` names are
// not where the section's other records have them (see TableWriter).
int ExportarAsignaturas(const delphos::XmlDocument& doc, const std::filesystem::path& table_file,
                        const std::filesystem::path& asignomt_file, Report& report);

}  // namespace pasahorario
