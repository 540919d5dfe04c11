// Times Importar on the work tables of a very large school with solution
// tables of 10,000 and 100,000 rows, and reports the process's peak memory.
// Each import runs in a process of its own, so each peak is its own; the
// best of three runs is kept. The time per row should not grow with the
// table: the ratio of the two times should be near 10, and exactly that once
// the time of an empty SOLUC (opening and indexing the work tables) is taken
// off both. Linux only (fork, getrusage).
//
//   bench_importar                 both sizes, generated in a temporary folder
//   bench_importar CARPETA         one import of CARPETA/horario.xml over
//                                  CARPETA/XTEMP (see generar_solucion)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "base/error.h"
#include "delphos/xml_document.h"
#include "import/importar.h"
#include "solucion_grande.h"

namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;  // kilobytes on Linux
}

struct Measure {
  double seconds = 0;
  double peak_mb = 0;
  double peak_before_mb = 0;
  int teachers = 0, activities = 0, unmatched = 0, findings = 0;
};

Measure ImportOnce(const fs::path& dir) {
  const fs::path chosen = dir / "horario.xml";
  pasahorario::delphos::XmlDocument doc = pasahorario::delphos::XmlDocument::Load(chosen);
  Measure m;
  m.peak_before_mb = PeakMegabytes();
  const auto start = Clock::now();
  const pasahorario::ImportSummary summary = pasahorario::Importar(doc, chosen, dir / "XTEMP");
  m.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  m.peak_mb = PeakMegabytes();
  m.teachers = summary.teachers;
  m.activities = summary.activities;
  m.unmatched = static_cast<int>(summary.unmatched.size());
  m.findings = static_cast<int>(summary.report.findings().size());
  return m;
}

// Runs `work` in a child process; its result comes back through a pipe.
// False when the child failed (it has printed why).
template <typename Result>
bool InChild(const std::function<Result()>& work, Result* result) {
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return false;
  const pid_t pid = fork();
  if (pid == 0) {
    close(pipe_fds[0]);
    try {
      const Result r = work();
      if (write(pipe_fds[1], &r, sizeof r) != static_cast<ssize_t>(sizeof r)) _exit(1);
      _exit(0);
    } catch (const pasahorario::Error& e) {
      std::fprintf(stderr, "%s\n", e.what());
      _exit(1);
    }
  }
  close(pipe_fds[1]);
  const bool read_ok =
      read(pipe_fds[0], result, sizeof *result) == static_cast<ssize_t>(sizeof *result);
  close(pipe_fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return read_ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void Print(const char* label, const Measure& m, int rows) {
  std::printf(
      "%s SOLUC %6d filas: %d profesores, %d actividades, %d valores sin correspondencia, "
      "%d avisos\n"
      "  Importar %.3f s (%.2f us por fila) | memoria pico %.0f MB (antes de Importar %.0f MB)\n",
      label, rows, m.teachers, m.activities, m.unmatched, m.findings, m.seconds,
      rows ? m.seconds * 1e6 / rows : 0.0, m.peak_mb, m.peak_before_mb);
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // no buffered output copied into the children
  if (argc == 2) {
    Measure m;
    if (!InChild<Measure>([&] { return ImportOnce(argv[1]); }, &m)) return 1;
    Print(argv[1], m, m.activities);
    return 0;
  }
  if (argc != 1) {
    std::fprintf(stderr, "uso: bench_importar [CARPETA]\n");
    return 2;
  }
  const fs::path dir = fs::temp_directory_path() / ("bench-importar-" + std::to_string(getpid()));
  fs::remove_all(dir);
  int ok = 0;
  if (!InChild<int>(
          [&] {
            bench::EscribirTablasDeTrabajo(dir / "XTEMP");
            bench::EscribirDocumento(dir / "horario.xml");
            return 1;
          },
          &ok)) {
    return 1;
  }
  double seconds[3] = {0, 0, 0};
  const int sizes[3] = {0, 10000, 100000};
  for (int s = 0; s < 3; ++s) {
    if (!InChild<int>(
            [&] {
              bench::EscribirSoluc(dir / "XTEMP", sizes[s]);
              return 1;
            },
            &ok)) {
      return 1;
    }
    Measure best;
    for (int run = 0; run < 3; ++run) {
      Measure m;
      if (!InChild<Measure>([&] { return ImportOnce(dir); }, &m)) return 1;
      if (run == 0 || m.seconds < best.seconds) best = m;
    }
    seconds[s] = best.seconds;
    Print("", best, sizes[s]);
  }
  std::printf("Tiempo 100.000 / 10.000 filas: %.1f; sin el de SOLUC vacía: %.1f\n",
              seconds[2] / seconds[1], (seconds[2] - seconds[0]) / (seconds[1] - seconds[0]));
  fs::remove_all(dir);
  return 0;
}
