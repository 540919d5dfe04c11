// Writes an exchange folder for the import: the work tables of a very large
// school, a solution table SOLUC with FILAS rows and a DELPHOS document to
// import into (CARPETA/XTEMP and CARPETA/horario.xml).
//
//   generar_solucion CARPETA [FILAS]     (FILAS 100000 by default)
#include <cstdio>
#include <cstdlib>

#include "base/error.h"
#include "solucion_grande.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "uso: generar_solucion CARPETA [FILAS]\n");
    return 2;
  }
  const bench::fs::path dir = argv[1];
  const int rows = argc == 3 ? std::atoi(argv[2]) : 100000;
  try {
    bench::EscribirTablasDeTrabajo(dir / "XTEMP");
    bench::EscribirSoluc(dir / "XTEMP", rows);
    bench::EscribirDocumento(dir / "horario.xml");
  } catch (const pasahorario::Error& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  std::printf("%s: tablas de trabajo y SOLUC de %d filas en XTEMP, documento horario.xml\n",
              argv[1], rows);
  return 0;
}
