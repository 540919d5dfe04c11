#include "base/regular_file.h"

#include "base/error.h"
#include "base/regular_file_platform.h"
#include "base/utf8_path.h"

namespace pasahorario {

void FailReading(const std::filesystem::path& file, const std::string& reason) {
  throw Error("No se pudo leer el archivo " + PathToUtf8(file) + ": " + reason);
}

void FailNotRegular(const std::filesystem::path& file, bool folder) {
  FailReading(file, folder ? "es una carpeta, no un archivo"
                           : "no es un archivo normal (es una tubería o un dispositivo)");
}

void FailTooLarge(const std::filesystem::path& file, uint64_t size, uint64_t limit) {
  throw Error("El archivo " + PathToUtf8(file) + " es demasiado grande (" + std::to_string(size) +
              " bytes; los de su clase no pasan de " + std::to_string(limit) + "): está dañado");
}

}  // namespace pasahorario
