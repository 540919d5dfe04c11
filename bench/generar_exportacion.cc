// Writes the large DELPHOS export of exportacion_grande.h to a file.
//
//   generar_exportacion SALIDA.xml [ESCALA]     (ESCALA 1 by default)
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "exportacion_grande.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "uso: generar_exportacion SALIDA.xml [ESCALA]\n");
    return 2;
  }
  const double scale = argc == 3 ? std::atof(argv[2]) : 1.0;
  const std::string xml = bench::ExportacionGrande(scale);
  std::ofstream out(argv[1], std::ios::binary);
  out << xml;
  if (!out.flush()) {
    std::fprintf(stderr, "no se pudo escribir %s\n", argv[1]);
    return 1;
  }
  std::printf("%s: %zu bytes (escala %g)\n", argv[1], xml.size(), scale);
  return 0;
}
