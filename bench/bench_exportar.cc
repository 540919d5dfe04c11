// Times the export direction on large DELPHOS exports: XmlDocument::Load
// alone, then ExportarTodo on the loaded document (start time given, not
// asked), with the process's peak memory. Linux only (getrusage).
//
//   bench_exportar FICHERO.xml               one file
//   bench_exportar [--escalas 0.25,0.5,1]    generated exports, smallest first
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/error.h"
#include "delphos/xml_document.h"
#include "export/exportar.h"
#include "exportacion_grande.h"

namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;  // kilobytes on Linux
}

void Run(const fs::path& file, const std::string& label) {
  const fs::path xtemp = fs::temp_directory_path() / ("bench-exportar-" + std::to_string(getpid()));
  fs::remove_all(xtemp);
  fs::create_directories(xtemp);

  auto start = Clock::now();
  const pasahorario::delphos::XmlDocument doc = pasahorario::delphos::XmlDocument::Load(file);
  const double load = Seconds(start);
  const double peak_after_load = PeakMegabytes();

  start = Clock::now();
  const pasahorario::ExportSummary summary = pasahorario::ExportarTodo(
      doc, xtemp, [](const std::string&) { return std::string("08:00"); });
  const double exportar = Seconds(start);

  int assignments = 0;
  std::string rows;
  for (const auto& t : summary.tables) {
    rows += " " + t.name + "=" + std::to_string(t.rows);
    if (t.name == "ASIGT") assignments = t.rows;
  }
  std::printf("%s  %.1f MB XML%s\n", label.c_str(), fs::file_size(file) / 1e6, rows.c_str());
  std::printf(
      "  Load %.3f s | ExportarTodo %.3f s (%.2f us por asignatura) | "
      "ExportarTodo/Load %.2f | memoria pico %.0f MB (tras Load %.0f MB)\n",
      load, exportar, assignments ? exportar * 1e6 / assignments : 0.0, exportar / load,
      PeakMegabytes(), peak_after_load);
  fs::remove_all(xtemp);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc == 2 && std::string(argv[1]) != "--escalas") {
      Run(argv[1], argv[1]);
      return 0;
    }
    std::vector<double> scales = {0.25, 0.5, 1};
    if (argc == 3 && std::string(argv[1]) == "--escalas") {
      scales.clear();
      std::stringstream list(argv[2]);
      for (std::string item; std::getline(list, item, ',');)
        scales.push_back(std::atof(item.c_str()));
    } else if (argc != 1) {
      std::fprintf(stderr, "uso: bench_exportar [FICHERO.xml | --escalas 0.25,0.5,1]\n");
      return 2;
    }
    for (double scale : scales) {
      const fs::path file =
          fs::temp_directory_path() / ("bench-exportacion-" + std::to_string(getpid()) + ".xml");
      std::ofstream(file, std::ios::binary) << bench::ExportacionGrande(scale);
      char label[32];
      std::snprintf(label, sizeof label, "escala %g:", scale);
      Run(file, label);
      fs::remove(file);
    }
  } catch (const pasahorario::Error& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
