// The result document handed back to DELPHOS: the chosen document with its
// first SALIDAS replaced by the error block and the teacher and activity
// records. Each operation keeps its system name.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

#include "delphos/xml_document.h"

namespace pasahorario::delphos {

// Removes the root's first SALIDAS child with all its content, appends a new
// empty SALIDAS as the root's last child and returns that new element.
// Throws Error when the root has no SALIDAS child.
XmlNode ReemplazarSalidas(XmlDocument& doc);

// Appends the error block: ERROR with CN_ERROR "0" and TE_ERROR
// "Servicio finalizado Correctamente".
void AgregarBloqueError(XmlNode& salidas);

// Appends <listasal seq="`seq`"/> to `parent` and returns it.
XmlNode AgregarRegistro(XmlNode& parent, std::string_view seq);

// Appends <salida dato="`name`">`value`</salida> to `parent`; an empty
// value gives an element without text.
void AgregarSalida(XmlNode& parent, std::string_view name, std::string_view value);

// The `seq` of the n-th teacher record, "EMPLEADO_" + n in decimal, and of
// the m-th activity record of a teacher, "ACTIVIDAD_" + m.
// Requires: n >= 1, m >= 1.
std::string SeqEmpleado(int n);
std::string SeqActividad(int m);

// The result path: the chosen path split after its last backslash, slash or
// colon, with "ResultadoTablerix" between the two parts
// (C:\datos\horario.xml gives C:\datos\ResultadoTablerixhorario.xml).
std::string NombreResultado(std::string_view chosen_path);

// Saves `doc` under NombreResultado(chosen_path), replacing an earlier
// result only once the new one is complete. Returns the path written.
std::filesystem::path GuardarResultado(const XmlDocument& doc, std::string_view chosen_path);

}  // namespace pasahorario::delphos
