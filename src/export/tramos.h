// The time-slot converter: section TRAMOS of a loaded DELPHOS export becomes
// the work table DIASHORAST, written at a given path, with start and end
// times laid out from the first class start time.
#pragma once
#include <filesystem>

#include "delphos/xml_document.h"
#include "export/hora_inicio.h"

namespace pasahorario {

class Report;

// Creates DIASHORAST at `table_file` (fields DIHO, CODDIHO, DIA, TEXTODIA,
// HORA, TEXTOHOR, HORADESDE, HORAHASTA, MINUTOS, MARCO, MARCOXML), then asks
// for the first class start time through PedirHoraInicio(`ask_start_time`),
// then writes one row per record element in document order and returns the
// number of rows.
//
// A slot code (value named "NOMBRE" or "DIA", the later one winning) is a
// day letter and up to two slot-number characters, kept as they stand. Start
// times come from Monday ("L") alone: slot 1 starts at the time entered,
// slot k at the start of slot k - 1 plus its length; any day's slot k takes
// Monday's slot k start, and its end adds the record's own "MINUTOS". Slot
// numbers have no upper limit.
//
// Throws Error when a slot number, a length or a start time is not a whole
// number, which covers a slot that Monday lacks (slot 0 or below included)
// and a Monday slot k without a Monday slot k - 1: the integer conversion's
// text, then the section, the place from 1 and the slot code of the record
// whose value failed (for a Monday start, the slot before, whose length it
// adds; a slot without one before it, itself).
//
// Adds to `report` the values cut or with characters replaced, every DIHO
// and every CODDIHO shared by several rows, a blank CODDIHO, and the
// records whose names at positions 1 and 2 are out of place (see
// TableWriter).
int ExportarTramos(const delphos::XmlDocument& doc, const std::filesystem::path& table_file,
                   const AskStartTimeFn& ask_start_time, Report& report);

}  // namespace pasahorario
