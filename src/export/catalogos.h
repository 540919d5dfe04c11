// The four catalogue converters: subjects, teachers, rooms and groups of a
// loaded DELPHOS export, each written as a new work table at a given path
// (the staged file that later replaces ASIGNOMT, PROFT, AULAT or GRUPOST).
//
// Each creates its table with the full layout (also when the section is
// missing), appends one row per record element with at least two value
// elements, in document order, and returns the number of rows written.
// Values a record lacks read as empty. Throws Error when the table cannot
// be written; the file may then be left part-written.
//
// Each adds to `report` what the table does not keep as given (see
// TableWriter): values cut or with characters replaced, records left out
// (per reason), a repeated or blank table code (ABREV, or COD in ASIGNOMT),
// and records whose `dato` names are not where the section's other records
// have them (the values are still taken by position).
#pragma once
#include <filesystem>

#include "delphos/xml_document.h"

namespace pasahorario {

class Report;

// Section MATERIAS into ASIGNOMT: COD, CODLARGO, NOMBRE, MATERIA, ESTAREA.
// A record whose code (position 1) equals, without regard to letter case,
// the code of a row already written gives no row; the report names such a
// code with every record that has it.
int ExportarMaterias(const delphos::XmlDocument& doc, const std::filesystem::path& table_file,
                     Report& report);

// Section PROFESORES into PROFT: ABREV, NOMBRE, DEPART, DNI, X_EMPLEADO,
// F_TOMAPOS, EMAIL (DEPART, DNI and EMAIL left empty).
int ExportarProfesores(const delphos::XmlDocument& doc, const std::filesystem::path& table_file,
                       Report& report);

// Section AULAS into AULAT: ABREV (the DELPHOS code when the room has no
// code of its own), NOMBRE, EDIFICIO, MAXALUM (empty), DEPCENTRO.
int ExportarAulas(const delphos::XmlDocument& doc, const std::filesystem::path& table_file,
                  Report& report);

// Section GRUPOS into GRUPOST: ABREV, TURNO, NIVEL ("NIV" when empty),
// CURSO, GRUPO, UNIDAD, DESCRIP (shift, level, course and group joined by
// blanks), MARCO ("0").
int ExportarGrupos(const delphos::XmlDocument& doc, const std::filesystem::path& table_file,
                   Report& report);

}  // namespace pasahorario
