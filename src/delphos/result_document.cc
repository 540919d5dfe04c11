#include "delphos/result_document.h"

#include "base/error.h"
#include "base/utf8_path.h"

namespace pasahorario::delphos {

XmlNode ReemplazarSalidas(XmlDocument& doc) {
  XmlNode root = doc.Root();
  if (root.empty()) throw Error("El documento no tiene elemento raíz");
  const XmlNode old = root.FirstChild("SALIDAS");
  if (old.empty()) {
    throw Error("El documento no tiene elemento SALIDAS bajo la raíz " + root.Name() +
                "; no se puede escribir el resultado");
  }
  root.RemoveChild(old);
  return root.AppendElement("SALIDAS");
}

void AgregarBloqueError(XmlNode& salidas) {
  XmlNode error = salidas.AppendElement("ERROR");
  AgregarSalida(error, "CN_ERROR", "0");
  AgregarSalida(error, "TE_ERROR", "Servicio finalizado Correctamente");
}

XmlNode AgregarRegistro(XmlNode& parent, std::string_view seq) {
  XmlNode record = parent.AppendElement("listasal");
  record.SetAttribute("seq", seq);
  return record;
}

void AgregarSalida(XmlNode& parent, std::string_view name, std::string_view value) {
  XmlNode salida = parent.AppendElement("salida");
  salida.SetAttribute("dato", name);
  salida.SetText(value);
}

std::string SeqEmpleado(int n) { return "EMPLEADO_" + std::to_string(n); }

std::string SeqActividad(int m) { return "ACTIVIDAD_" + std::to_string(m); }

std::string NombreResultado(std::string_view chosen_path) {
  const size_t cut = chosen_path.find_last_of("\\/:");
  const size_t split = cut == std::string_view::npos ? 0 : cut + 1;
  return std::string(chosen_path.substr(0, split)) + "ResultadoTablerix" +
         std::string(chosen_path.substr(split));
}

std::filesystem::path GuardarResultado(const XmlDocument& doc, std::string_view chosen_path) {
  const std::filesystem::path target = PathFromUtf8(NombreResultado(chosen_path));
  doc.Save(target);
  return target;
}

}  // namespace pasahorario::delphos
