// Writes an exchange folder for the import whose SOLUC belongs to another
// school: none of its teacher codes is in PROFT, so no row becomes an
// activity and the import only counts them. SOLUC is written row by row
// straight to disk, in the layout the host uses, up to about MEGABYTES; the
// work tables of a very large school and the DELPHOS document are written
// only when the folder lacks them, so the same folder takes SOLUC tables of
// several sizes in turn.
//
//   generar_solucion_ajena CARPETA MEGABYTES
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "base/error.h"
#include "solucion_grande.h"

namespace {

struct Field {
  const char* name;
  char type;
  int width;
};
constexpr Field kFields[] = {{"PROF", 'C', 10},  {"DIA", 'N', 2},   {"HORA", 'N', 2},
                             {"TAREA", 'C', 10}, {"AULA", 'C', 10}, {"CODGRUPO", 'C', 10},
                             {"ASIG", 'C', 10},  {"NIVEL", 'C', 5}, {"CURSO", 'C', 3}};
constexpr int kRecordSize = 1 + 10 + 2 + 2 + 10 + 10 + 10 + 10 + 5 + 3;
constexpr int kCodes = 1000;  // distinct teacher codes, more than the report names

void PutLittleEndian(std::string& out, size_t at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    out[at + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i));
  }
}

// `text` left-aligned in `width` bytes (numbers right-aligned).
void Put(std::string& record, const std::string& text, int width, bool number) {
  const std::string cut = text.substr(0, static_cast<size_t>(width));
  const std::string fill(static_cast<size_t>(width) - cut.size(), ' ');
  record += number ? fill + cut : cut + fill;
}

bool WriteSoluc(const bench::fs::path& file, uint32_t rows) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  const int field_count = static_cast<int>(std::size(kFields));
  std::string header(32, '\0');
  header[0] = 0x03;
  header[1] = 126;  // 2026
  header[2] = 1;
  header[3] = 1;
  PutLittleEndian(header, 4, rows, 4);
  PutLittleEndian(header, 8, static_cast<uint32_t>(32 + 32 * field_count + 1), 2);
  PutLittleEndian(header, 10, kRecordSize, 2);
  header[29] = 0x57;
  for (const Field& f : kFields) {
    std::string descriptor(32, '\0');
    descriptor.replace(0, std::string(f.name).size(), f.name);
    descriptor[11] = f.type;
    descriptor[16] = static_cast<char>(f.width);
    header += descriptor;
  }
  header += '\x0d';
  out << header;

  std::string chunk, record;
  for (uint32_t i = 0; i < rows; ++i) {
    record = " ";
    char code[16];
    std::snprintf(code, sizeof code, "OTRO%04u", i % kCodes);
    Put(record, code, 10, false);
    Put(record, std::to_string(i % 20 == 19 ? 0 : 1 + i % 5), 2, true);
    Put(record, std::to_string(1 + i % 7), 2, true);
    Put(record, "T" + std::to_string(i % 300), 10, false);
    Put(record, "A" + std::to_string(i % 40), 10, false);
    Put(record, "G" + std::to_string(i % 60), 10, false);
    Put(record, "S" + std::to_string(i % 500), 10, false);
    Put(record, "ESO", 5, false);
    Put(record, std::to_string(1 + i % 4), 3, false);
    chunk += record;
    if (chunk.size() >= (1 << 20)) {
      out << chunk;
      chunk.clear();
    }
  }
  out << chunk << '\x1a';
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "uso: generar_solucion_ajena CARPETA MEGABYTES\n");
    return 2;
  }
  const bench::fs::path dir = argv[1];
  const double megabytes = std::atof(argv[2]);
  const auto rows = static_cast<uint32_t>(megabytes * 1024 * 1024 / kRecordSize);
  try {
    if (!bench::fs::exists(dir / "XTEMP" / "PROFT.DBF")) {
      bench::EscribirTablasDeTrabajo(dir / "XTEMP");
    }
    if (!bench::fs::exists(dir / "horario.xml")) bench::EscribirDocumento(dir / "horario.xml");
  } catch (const pasahorario::Error& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  if (!WriteSoluc(dir / "XTEMP" / "SOLUC.DBF", rows)) {
    std::fprintf(stderr, "No se puede escribir %s\n", (dir / "XTEMP" / "SOLUC.DBF").c_str());
    return 1;
  }
  std::printf("%s: SOLUC de %u filas (%.0f MB) sin ningún profesor de PROFT\n", argv[1], rows,
              static_cast<double>(rows) * kRecordSize / (1024 * 1024));
  return 0;
}
