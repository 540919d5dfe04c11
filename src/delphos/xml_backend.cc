#include "delphos/xml_backend.h"

#include <string>

#include "base/error.h"
#include "delphos/xml_wellformed.h"

namespace pasahorario::delphos {

void ThrowEmptyNode(std::string_view operation) {
  throw Error("Operación " + std::string(operation) +
              " sobre un elemento que no existe en el documento XML");
}

void ThrowNotAChild(std::string_view parent, std::string_view child) {
  throw Error("El elemento <" + std::string(child) + "> no es hijo de <" + std::string(parent) +
              ">; no se puede quitar de él");
}

void ThrowBadPath(std::string_view path) {
  throw Error("La ruta XPath " + std::string(path) + " no es válida");
}

void RequireXmlName(std::string_view name) {
  if (!IsXmlName(name)) {
    throw Error("\"" + std::string(name) +
                "\" no es un nombre válido para un elemento o atributo XML");
  }
}

void RequireXmlText(std::string_view text) {
  if (const auto bad = FindForbiddenCharacter(text)) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const auto code = static_cast<unsigned char>(text[*bad]);
    const std::string shown = code < 0x20 ? std::string("el código de control 0x") +
                                                kDigits[code >> 4] + kDigits[code & 0xF]
                                          : std::string("un carácter no permitido");
    throw Error("El texto \"" + std::string(text) + "\" contiene " + shown +
                ", que un documento XML no puede llevar");
  }
}

}  // namespace pasahorario::delphos
