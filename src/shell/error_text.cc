#include "shell/error_text.h"

#include <filesystem>
#include <new>
#include <system_error>

#include "base/error.h"
#include "base/system_error.h"
#include "base/utf8_path.h"

namespace pasahorario {
namespace fs = std::filesystem;

namespace {

std::string During(std::string_view operation) {
  return operation.empty() ? std::string() : "\nOcurrió durante " + std::string(operation) + ".";
}

}  // namespace

std::string UserErrorText(const std::exception& e, std::string_view operation) {
  if (dynamic_cast<const Error*>(&e) != nullptr) return e.what();
  if (dynamic_cast<const std::bad_alloc*>(&e) != nullptr) {
    return "No hay memoria suficiente para terminar " +
           std::string(operation.empty() ? "la operación" : operation) + ".";
  }
  if (const auto* fs_error = dynamic_cast<const fs::filesystem_error*>(&e)) {
    std::string files;
    for (const fs::path* path : {&fs_error->path1(), &fs_error->path2()}) {
      if (path->empty()) continue;
      files += (files.empty() ? "" : " y ") + PathToUtf8(*path);
    }
    return "Error del sistema de archivos" + (files.empty() ? "" : " con " + files) + ": " +
           SystemErrorText(fs_error->code()) + During(operation);
  }
  if (const auto* system = dynamic_cast<const std::system_error*>(&e)) {
    return "Error del sistema: " + SystemErrorText(system->code()) + During(operation);
  }
  return "Error interno: " + std::string(e.what()) + During(operation);
}

std::string UnknownErrorText(std::string_view operation) {
  return "Error interno: una excepción desconocida" + During(operation);
}

}  // namespace pasahorario
