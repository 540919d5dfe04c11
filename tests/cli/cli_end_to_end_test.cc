// pasahorario-cli as a user runs it: exit statuses, what it prints, and the
// work tables it leaves (every failure leaves the earlier ones byte for byte).
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "shell/exchange_lock.h"
#include "worktables/dbf_table.h"
#include "support/test_files.h"

namespace {
namespace fs = std::filesystem;

using ::testing::AllOf;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

struct Result {
  int status = -1;
  std::string out, err;
};

std::string Read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// What the console says when it cannot ask for the start time.
const std::string kNoTerminal =
    "No hay terminal donde preguntar la hora de inicio de la primera clase: se toma 08:00 "
    "(--hora-inicio indica otra).\n";

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    temp_.emplace("cli_end_to_end_test");
    root_ = temp_->path();
    fs::create_directories(xtemp());
    fs::create_directories(root_ / "tmp");
    fs::create_directories(root_ / "consola");
    fs::copy_file(fs::path(PASAHORARIO_SOURCE_DIR) / "examples" / "delphos-exportacion.xml",
                  root_ / "centro.xml");
    std::ofstream(root_ / "aula.xml")
        << "<SERVICIO><SALIDAS><listasal seq=\"AULAS\"><listasal><salida>1</salida>"
           "<salida>A1</salida><salida>Aula 1</salida></listasal></listasal></SALIDAS></SERVICIO>";
    // Every section, nothing the tables cannot keep.
    std::ofstream(root_ / "limpio.xml")
        << "<SERVICIO><SALIDAS><listasal seq=\"MATERIAS\"><listasal><salida>370001</salida>"
           "<salida>MAT</salida><salida>MAT</salida><salida>Mates</salida></listasal></listasal>"
           "<listasal seq=\"PROFESORES\"><listasal><salida>E1</salida><salida>01/09/2020"
           "</salida><salida>Ana</salida><salida>ANA</salida></listasal></listasal>"
           "<listasal seq=\"AULAS\"><listasal><salida>1</salida><salida>A1</salida>"
           "<salida>Aula 1</salida></listasal></listasal>"
           "<listasal seq=\"GRUPOS\"><listasal><salida>U1</salida><salida>1A</salida>"
           "<salida>M</salida><salida>ESO</salida><salida>1</salida><salida>A</salida>"
           "</listasal></listasal>"
           "<listasal seq=\"ASIGNATURAS\"><listasal><salida>MAT</salida><salida>1A</salida>"
           "<salida>A1</salida><salida>M</salida><salida>ESO</salida><salida>1</salida>"
           "<salida>A</salida><salida>55</salida><salida>370001</salida></listasal></listasal>"
           "<listasal seq=\"TRAMOS\"><listasal><salida dato=\"CODIGO_DELPHOS\">4701</salida>"
           "<salida dato=\"NOMBRE\">L1</salida><salida dato=\"MINUTOS\">55</salida>"
           "<salida dato=\"DIA\">L1</salida></listasal></listasal></SALIDAS></SERVICIO>";
    std::ofstream(root_ / "roto.xml") << "<SERVICIO><SALIDAS><listasal seq=\"MATERIAS\">";
    // A slot number that is not a whole number stops the export in its last
    // converter, after the other five tables have been staged.
    std::ofstream(root_ / "tramo-malo.xml")
        << "<SERVICIO><SALIDAS><listasal seq=\"MATERIAS\"><listasal><salida>1</salida>"
           "<salida>MAT</salida><salida>MAT</salida><salida>Mates</salida></listasal></listasal>"
           "<listasal seq=\"TRAMOS\"><listasal><salida dato=\"CODIGO_DELPHOS\">1</salida>"
           "<salida dato=\"NOMBRE\">LX</salida><salida dato=\"MINUTOS\">55</salida>"
           "<salida dato=\"DIA\">L</salida></listasal></listasal></SALIDAS></SERVICIO>";
  }
  std::optional<pasahorario::testing_support::TempDir> temp_;

  fs::path xtemp() const { return root_ / "XTEMP"; }

  // Runs the program in `root_` with `arguments`, standard input empty (not
  // a terminal), its temporary files under tmp/, standard output to
  // `stdout_to` (relative to `root_`); what it printed is kept in consola/.
  Result Run(const std::vector<std::string>& arguments,
             const std::string& stdout_to = "consola/out.txt") const {
    std::string command = "cd " + Quoted(root_.string()) +
                          " && TMPDIR=" + Quoted((root_ / "tmp").string()) + " " +
                          Quoted(PASAHORARIO_CLI);
    for (const std::string& a : arguments) command += " " + Quoted(a);
    command += " </dev/null >" + Quoted(stdout_to) + " 2>consola/err.txt";
    const int raw = std::system(command.c_str());
    Result result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = Read(root_ / "consola" / "out.txt");
    result.err = Read(root_ / "consola" / "err.txt");
    return result;
  }
  Result Export(const std::string& file, std::vector<std::string> more = {}) const {
    std::vector<std::string> arguments = {"exportar", file, "--xtemp", xtemp().string()};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return Run(arguments);
  }

  // Every file of `folder` (default: the exchange directory) with its bytes.
  std::map<std::string, std::string> Tables(const fs::path& folder = {}) const {
    std::map<std::string, std::string> tables;
    for (const auto& entry : fs::directory_iterator(folder.empty() ? xtemp() : folder)) {
      if (entry.is_regular_file()) tables[entry.path().filename().string()] = Read(entry.path());
    }
    return tables;
  }

  void GenerateSolution() const {
    const std::string generate =
        Quoted(PASAHORARIO_GENERAR_SOLUC) + " " + Quoted(xtemp().string()) + " >/dev/null";
    ASSERT_EQ(std::system(generate.c_str()), 0);
  }

  std::string FirstStart() const {
    pasahorario::dbf::DbfTable table(xtemp(), "DIASHORAST");
    table.Open();
    std::string start = table.Text(table.FieldIndex("HORADESDE"));
    table.Close();
    return start;
  }

  fs::path root_;
};

TEST_F(CliTest, CompletedExportPrintsWhatItWroteAndExitsZero) {
  const Result r = Export("centro");  // ".xml" is added
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.err, IsEmpty());
  EXPECT_THAT(
      r.out,
      AllOf(StartsWith(kNoTerminal + "Proceso finalizado\nTablas escritas en " + xtemp().string()),
            HasSubstr("  ASIGNOMT        30 filas\n"), HasSubstr("  DIASHORAST      30 filas\n")));
  EXPECT_THAT(r.out, ::testing::Not(HasSubstr("Hora de Inicio"))) << "no terminal: no question";
  EXPECT_EQ(FirstStart(), "08:00");
  EXPECT_EQ(Tables().size(), 7u);  // the six and the lock file
  EXPECT_EQ(Tables().count("PASAHORARIO.BLOQUEO"), 1u);

  EXPECT_EQ(Export("centro.xml", {"--hora-inicio", "9:05"}).status, 0);
  EXPECT_EQ(FirstStart(), " 9:05");
}

TEST_F(CliTest, AMissingTemporaryFolderIsToldInSpanish) {
  fs::remove_all(root_ / "tmp");
  const Result r = Run({"comprobar", "centro.xml", "--xtemp", xtemp().string()});
  fs::create_directory(root_ / "tmp");
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, AllOf(HasSubstr("No se encuentra la carpeta temporal del sistema (TMPDIR=" +
                                     (root_ / "tmp").string() + ")"),
                           ::testing::Not(HasSubstr("filesystem error"))));
}

TEST_F(CliTest, FailuresLeaveTheEarlierTablesByteForByte) {
  ASSERT_EQ(Export("centro.xml").status, 0);
  const auto before = Tables();

  struct Case {
    std::vector<std::string> arguments;
    int status;
    std::string out, err;  // expected stdout; a part of stderr
  };
  const std::string x = xtemp().string();
  const std::string r = root_.string();
  fs::create_directory(root_ / "carpeta.xml");
  const Case cases[] = {
      {{"exportar", "no-existe", "--xtemp", x}, 3, "No existe archivo\n", r + "/no-existe.xml"},
      {{"importar", "no-existe.xml", "--xtemp", x}, 3, "No existe archivo\n", r + "/no-existe.xml"},
      {{"exportar", "roto.xml", "--xtemp", x}, 1, "", "roto.xml"},
      {{"exportar", "tramo-malo.xml", "--xtemp", x},
       1,
       kNoTerminal,
       "Sección TRAMOS, registro 1, tramo LX, número del tramo:\n"
       "'X' is not a valid integer value.\n"},
      {{"importar", "roto.xml", "--xtemp", x}, 1, "", "roto.xml"},
      {{"exportar", "centro.xml", "--xtemp", r + "/no-hay"}, 1, "", "no-hay"},
      {{"comprobar", "no-existe", "--xtemp", x}, 3, "No existe archivo\n", r + "/no-existe.xml"},
      {{"comprobar", "roto.xml", "--xtemp", x}, 1, "", "roto.xml"},
      {{"comprobar", "centro.xml", "--xtemp", r + "/no-hay"},
       1,
       "",
       "No existe la carpeta de intercambio " + r + "/no-hay"},
      {{"exportar", "carpeta.xml", "--xtemp", x},
       3,
       "No existe archivo\n",
       r + "/carpeta.xml es una carpeta; indique el archivo XML de DELPHOS que hay dentro"},
      {{"exportar", "centro.xml", "--xtemp", r + "/centro.xml"},
       1,
       "",
       "La carpeta de intercambio " + r + "/centro.xml no es una carpeta, sino un archivo"},
      {{"importar", "centro.xml", "--xtemp", x, "--informe", x},
       2,
       "",
       "El informe (--informe) es una carpeta, " + x + "; indique un archivo dentro de ella"},
      {{}, 2, "", "Indique la orden: exportar, importar o comprobar\n"},
      {{"exportar"}, 2, "", "Falta el archivo XML de DELPHOS: exportar ARCHIVO.xml\n"},
      {{"convertir", "centro.xml"},
       2,
       "",
       "Orden desconocida: convertir. Las órdenes son exportar, importar o comprobar\n"
       "Consulte: pasahorario-cli --help\n"},
      {{"exportar", "centro.xml", "otro.xml", "--xtemp", x}, 2, "", "Sobran argumentos: otro.xml"},
      {{"exportar", "centro.xml", "--otra", "--xtemp", x},
       2,
       "",
       "Opción desconocida para la orden exportar: --otra\n"},
      {{"exportar", "centro.xml", "--xtemp", x, "--hora-inicio", "24:00"},
       2,
       "",
       "la hora no puede pasar de 23"},
      {{"exportar", "centro.xml", "--xtemp", x, "--hora-inicio", "08:60"},
       2,
       "",
       "los minutos no pueden pasar de 59"},
      {{"exportar", "centro.xml", "--xtemp", x, "--hora-inicio", "8h"}, 2, "", "HH:MM o H:MM"},
      {{"exportar", "centro.xml", "--xtemp", x, "--hora-inicio"},
       2,
       "",
       "Falta el valor de la opción --hora-inicio HH:MM\n"},
      {{"importar", "centro.xml", "--xtemp", x, "--hora-inicio", "08:00"},
       2,
       "",
       "Opción desconocida para la orden importar: --hora-inicio\n"},
      {{"exportar", "centro.xml", "--xtemp", x, "--xtemp", x},
       2,
       "",
       "La opción --xtemp se ha dado más de una vez\n"},
      {{"exportar", "centro.xml", "--xtemp", ""}, 2, "", "--xtemp"},
      {{"comprobar", "centro.xml", "--informe", ""}, 2, "", "--informe"},
      {{"exportar", "centro", "--xtemp", x, "--informe", "./centro.xml"},
       2,
       "",
       "El informe (--informe) no puede escribirse sobre el archivo XML elegido"},
  };
  for (const Case& c : cases) {
    std::string trace;
    for (const std::string& a : c.arguments) trace += a + " ";
    SCOPED_TRACE(trace);
    const Result result = Run(c.arguments);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.out, c.out);
    EXPECT_THAT(result.err, HasSubstr(c.err));
    if (c.status == 1) {
      EXPECT_THAT(result.err, EndsWith(".\n")) << "the standard error text";
    }
    EXPECT_EQ(Tables(), before);
  }
  EXPECT_EQ(Read(root_ / "centro.xml"),
            Read(fs::path(PASAHORARIO_SOURCE_DIR) / "examples" / "delphos-exportacion.xml"));
}

// An old index that cannot be removed once the new tables are in place (a
// folder of that name, which a removal cannot take) does not fail the
// export: it completes, says what was left, and the next run removes it.
TEST_F(CliTest, AStepThatFailsAfterTheTablesAreReplacedIsAFindingAndTheNextRunFinishes) {
  ASSERT_EQ(Export("centro.xml").status, 0);
  const auto first = Tables();
  fs::create_directories(xtemp() / "ASIGNOMT.MDX");
  std::ofstream(xtemp() / "ASIGNOMT.MDX" / "dentro") << "x";
  std::ofstream(root_ / "centro.xml", std::ios::app) << "\n";  // same tables, other file

  const Result held = Export("centro.xml", {"--hora-inicio", "9:05"});
  EXPECT_EQ(held.status, 0) << held.err;
  EXPECT_THAT(held.err, IsEmpty());
  EXPECT_THAT(held.out, AllOf(StartsWith("Proceso finalizado\n"), HasSubstr("ASIGNOMT.MDX")));
  EXPECT_EQ(FirstStart(), " 9:05");
  EXPECT_TRUE(fs::exists(xtemp() / "PASAHORARIO.DIARIO"));

  fs::remove_all(xtemp() / "ASIGNOMT.MDX");
  std::ofstream(xtemp() / "ASIGNOMT.MDX") << "índice";
  const Result next = Run({"comprobar", "centro.xml", "--xtemp", xtemp().string()});
  EXPECT_THAT(next.out, HasSubstr("la próxima exportación o importación la terminará"));
  const Result repaired = Export("centro.xml");
  EXPECT_EQ(repaired.status, 0) << repaired.err;
  EXPECT_THAT(repaired.out, HasSubstr("Se ha terminado una exportación que quedó interrumpida"));
  EXPECT_EQ(Tables().size(), first.size()) << ::testing::PrintToString(Tables());
  EXPECT_FALSE(fs::exists(xtemp() / "ASIGNOMT.MDX"));
  EXPECT_FALSE(fs::exists(xtemp() / "PASAHORARIO.DIARIO"));
}

TEST_F(CliTest, ImportAfterExportPrintsTheResultAndEveryUnmatchedValue) {
  ASSERT_EQ(Export("centro.xml").status, 0);
  // The example solution: one session in a lab DELPHOS does not know yet.
  GenerateSolution();
  const std::string chosen = Read(root_ / "centro.xml");
  const auto tables = Tables();

  const Result r = Run({"importar", "centro", "--xtemp", xtemp().string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, AllOf(StartsWith("Proceso finalizado\nResultado: " +
                                      (root_ / "ResultadoTablerixcentro.xml").string() +
                                      "\nProfesores: 20\nActividades: "),
                           HasSubstr("Valores sin correspondencia"),
                           HasSubstr("AULA sin fila en AULAT: 'LAB2' (1 actividad)\n")));
  EXPECT_THAT(Read(root_ / "ResultadoTablerixcentro.xml"), HasSubstr("EMPLEADO_20"));
  EXPECT_EQ(Read(root_ / "centro.xml"), chosen) << "the chosen file is never written";
  EXPECT_EQ(Tables(), tables);
}

TEST_F(CliTest, ImportRemovesWhatAStoppedImportLeftBesideTheResultAndNothingElse) {
  ASSERT_EQ(Export("centro.xml").status, 0);
  GenerateSolution();
  // As an import killed while it saved its result leaves it.
  std::ofstream(root_ / "ResultadoTablerixcentro.xml.nuevo~4242-1") << "<SERVICIO";
  const std::vector<std::string> others = {"ResultadoTablerixcentro.xml.anterior~1-1",
                                           "ResultadoTablerixotro.xml.nuevo~1-1",
                                           "centro.xml.nuevo~1-1", "ResultadoTablerixcentro.txt"};
  for (const std::string& name : others) std::ofstream(root_ / name) << name;

  const Result r = Run({"importar", "centro.xml", "--xtemp", xtemp().string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(fs::exists(root_ / "ResultadoTablerixcentro.xml.nuevo~4242-1"));
  EXPECT_THAT(Read(root_ / "ResultadoTablerixcentro.xml"), HasSubstr("EMPLEADO_20"));
  for (const std::string& name : others) EXPECT_EQ(Read(root_ / name), name);
}

TEST_F(CliTest, EquivalenciasResolveAnUnmatchedRoomAndABadLineStopsTheImport) {
  ASSERT_EQ(Export("centro.xml").status, 0);
  GenerateSolution();  // one session in the lab LAB2, which AULAT lacks
  std::string room;
  {
    pasahorario::dbf::DbfTable aulat(xtemp(), "AULAT");
    aulat.Open();
    room = aulat.Text(aulat.FieldIndex("ABREV"));
    aulat.Close();
  }
  ASSERT_FALSE(room.empty());
  const std::string line = "AULA LAB2 = " + room;
  std::ofstream(xtemp() / "equivalencias.txt", std::ios::binary) << "# aulas\r\n" << line << "\r\n";
  const auto tables = Tables();

  const Result r = Run({"importar", "centro", "--xtemp", xtemp().string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, AllOf(HasSubstr("Se ha aplicado la línea 2 (" + line + ") en 1 actividad."),
                           ::testing::Not(HasSubstr("'LAB2'"))));
  EXPECT_EQ(Tables(), tables) << "the file and the tables stay as they were";

  // A line that cannot be read: exit 1 naming the file and the line, nothing written.
  fs::remove(root_ / "ResultadoTablerixcentro.xml");
  std::ofstream(xtemp() / "equivalencias.txt", std::ios::binary)
      << line << "\nSALA LAB2 = " << room << "\n";
  const auto before = Tables();
  const Result bad = Run({"importar", "centro", "--xtemp", xtemp().string()});
  EXPECT_EQ(bad.status, 1);
  EXPECT_THAT(bad.err, AllOf(HasSubstr((xtemp() / "equivalencias.txt").string() + ", línea 2: "),
                             HasSubstr("el tipo 'SALA' no existe")));
  EXPECT_FALSE(fs::exists(root_ / "ResultadoTablerixcentro.xml"));
  EXPECT_EQ(Tables(), before);

  // comprobar reads it the same way.
  const Result checked = Run({"comprobar", "centro", "--xtemp", xtemp().string()});
  EXPECT_EQ(checked.status, 1);
  EXPECT_THAT(checked.err, HasSubstr("La importación fallaría: En "));
  EXPECT_EQ(Tables(), before);
}

TEST_F(CliTest, HelpIsSpanishAndExitsZero) {
  const Result r = Run({"--help"});
  EXPECT_EQ(r.status, 0);
  // The top level lists every command with all its options.
  EXPECT_THAT(r.out, AllOf(HasSubstr("Uso: pasahorario-cli"), HasSubstr("\nexportar\n"),
                           HasSubstr("\nimportar\n"), HasSubstr("\ncomprobar\n"),
                           HasSubstr("--hora-inicio HH:MM"), HasSubstr("--informe ARCHIVO"),
                           HasSubstr("No existe archivo"), HasSubstr("4 comprobar")));
  const Result e = Run({"exportar", "--help"});
  EXPECT_EQ(e.status, 0);
  EXPECT_THAT(e.out, AllOf(HasSubstr("--hora-inicio HH:MM"), HasSubstr("--xtemp CARPETA"),
                           HasSubstr("ARCHIVO (obligatorio)")));
}

TEST_F(CliTest, PathsWithBlanksAndAccents) {
  const fs::path folder = root_ / "Curso 2026 año";
  fs::create_directories(folder / "xtemp");
  fs::copy_file(root_ / "centro.xml", folder / "centro ñ.xml");
  const Result r =
      Run({"exportar", (folder / "centro ñ").string(), "--xtemp", (folder / "xtemp").string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(folder / "xtemp" / "ASIGNOMT.DBF"));
}

TEST_F(CliTest, EveryCommandIsRefusedAtOnceWhileAnotherWorksInTheFolder) {
  ASSERT_EQ(Export("centro.xml").status, 0);
  GenerateSolution();
  // An export that stopped half-way: the command holding the lock may be
  // in the middle of its own, which nobody else may take for leftovers.
  std::ofstream(xtemp() / "ASIGNOMT.DBF.nuevo~1-1") << "tabla a medias";
  const auto tables = Tables();
  const auto root_files = Tables(root_);
  const std::string busy = "Otra exportación o importación está trabajando en la carpeta " +
                           xtemp().string() + "; espere a que termine.\n";
  {
    // Another program (this test) holds the folder.
    const pasahorario::ExchangeDirLock held = pasahorario::ExchangeDirLock::ForCommand(xtemp());
    ASSERT_TRUE(held.held());
    const struct {
      std::string command;
      std::string err;
    } cases[] = {
        {"exportar", busy},
        {"importar", busy},
        {"comprobar", "La carpeta " + xtemp().string() +
                          " está ocupada: otra exportación, importación o comprobación está "
                          "trabajando en ella. Vuelva a comprobar cuando termine.\n"},
    };
    for (const auto& c : cases) {
      SCOPED_TRACE(c.command);
      const Result r = Run({c.command, "centro.xml", "--xtemp", xtemp().string()});
      EXPECT_EQ(r.status, 1);
      EXPECT_EQ(r.err, c.err);
      EXPECT_EQ(Tables(), tables);
      EXPECT_EQ(Tables(root_), root_files);
    }
  }
  // Released, the file left in the folder holds nobody back.
  EXPECT_EQ(Export("centro.xml").status, 0);
  EXPECT_FALSE(fs::exists(xtemp() / "ASIGNOMT.DBF.nuevo~1-1"));
}

TEST_F(CliTest, AFileOfTheFolderThatIsNoRegularFileStopsEveryCommandAtOnce) {
  ASSERT_EQ(Export("centro.xml").status, 0);
  GenerateSolution();
  {
    // A SOLUC that declares no code page, so that SOLUC.cpg is read.
    std::string soluc = Read(xtemp() / "SOLUC.DBF");
    soluc[29] = '\0';
    std::ofstream(xtemp() / "SOLUC.DBF", std::ios::binary | std::ios::trunc) << soluc;
  }
  enum Kind { kPipe, kFolder, kHuge };
  const struct {
    std::string name;
    std::vector<std::string> commands;  // those that read it
    std::string named;                  // how the message names it
  } files[] = {
      {"PASAHORARIO.DIARIO",
       {"exportar", "importar", "comprobar"},
       (xtemp() / "PASAHORARIO.DIARIO").string()},
      {"SOLUC.cpg", {"importar", "comprobar"}, (xtemp() / "SOLUC.cpg").string()},
      {"SOLUC.DBF", {"importar", "comprobar"}, "la tabla SOLUC de la carpeta " + xtemp().string()},
  };
  for (const auto& file : files) {
    for (const Kind kind : {kPipe, kFolder, kHuge}) {
      const fs::path path = xtemp() / file.name;
      std::string kept;
      if (fs::exists(path)) kept = Read(path);
      fs::remove(path);
      std::string said;
      switch (kind) {
        case kPipe:
          ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
          said = "no es un archivo normal";
          break;
        case kFolder:
          fs::create_directory(path);
          said = "es una carpeta, no un archivo";
          break;
        case kHuge:
          if (file.name == "SOLUC.DBF") continue;  // tables are read in windows
          // 3 GiB, without using the disk.
          std::ofstream(path).close();
          fs::resize_file(path, uintmax_t{3} << 30);
          said = "es demasiado grande (3221225472 bytes";
          break;
      }
      for (const std::string& command : file.commands) {
        SCOPED_TRACE(file.name + " " + std::to_string(kind) + " " + command);
        const auto start = std::chrono::steady_clock::now();
        const Result r = Run({command, "centro.xml", "--xtemp", xtemp().string()});
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_EQ(r.status, 1);
        EXPECT_THAT(r.err, AllOf(HasSubstr(file.named), HasSubstr(said)));
      }
      fs::remove_all(path);
      if (!kept.empty()) std::ofstream(path, std::ios::binary) << kept;
    }
  }
}

TEST_F(CliTest, ComprobarWritesNothingAndTellsWhatItFoundInItsExitStatus) {
  ASSERT_EQ(Export("centro.xml").status, 0);
  const auto root_files = Tables(root_);
  const auto no_solution = Tables();

  // Nothing to tell; the import is left out without SOLUC.
  const Result clean = Run({"comprobar", "limpio", "--xtemp", xtemp().string()});
  EXPECT_EQ(clean.status, 0) << clean.out << clean.err;
  EXPECT_THAT(clean.out,
              AllOf(HasSubstr("Exportación comprobada; no se ha escrito ninguna tabla en " +
                              xtemp().string() + ". Se escribirían:\n  ASIGNOMT         1 fila\n"),
                    HasSubstr("  AULAT            1 fila\n"), HasSubstr("Sin avisos\n"),
                    EndsWith("No se comprueba la importación: faltan en " + xtemp().string() +
                             ": SOLUC\n")));
  EXPECT_EQ(Tables(), no_solution);

  // Sections the document lacks leave their tables empty: something to tell.
  const Result partial = Run({"comprobar", "aula", "--xtemp", xtemp().string()});
  EXPECT_EQ(partial.status, 4) << partial.out << partial.err;
  EXPECT_THAT(partial.out, AllOf(HasSubstr("  ASIGNOMT         0 filas\n"),
                                 HasSubstr("MATERIAS: La sección no está en el documento: la "
                                           "tabla ASIGNOMT queda vacía.")));
  EXPECT_EQ(Tables(), no_solution);

  // A solution value without a match is something to tell.
  GenerateSolution();
  const auto with_solution = Tables();
  const Result found = Run({"comprobar", "centro.xml", "--xtemp", xtemp().string(), "--informe",
                            (root_ / "consola" / "informe.txt").string()});
  EXPECT_EQ(found.status, 4) << found.err;
  EXPECT_THAT(found.err, IsEmpty());
  EXPECT_THAT(found.out, AllOf(HasSubstr("Importación comprobada; no se ha escrito el resultado.\n"
                                         "Profesores: 20\nActividades: "),
                               HasSubstr("AULA sin fila en AULAT: 'LAB2' (1 actividad)\n")));
  EXPECT_THAT(Read(root_ / "consola" / "informe.txt"),
              AllOf(StartsWith("Pasahorario: informe de comprobar\nArchivo: " +
                               (root_ / "centro.xml").string() + "\nCarpeta de intercambio: " +
                               xtemp().string() + "\n\nExportación:\n"),
                    HasSubstr("\n\nImportación:\n")));

  // The export would fail; the import is still checked.
  const Result failing = Run({"comprobar", "tramo-malo.xml", "--xtemp", xtemp().string()});
  EXPECT_EQ(failing.status, 1);
  EXPECT_THAT(failing.err, StartsWith("La exportación fallaría: Sección TRAMOS, registro 1, tramo LX, "
                                        "número del tramo:\n'X' is not a valid integer value"));
  EXPECT_THAT(failing.out, HasSubstr("Importación comprobada"));

  EXPECT_EQ(Tables(), with_solution);
  EXPECT_EQ(Tables(root_), root_files) << "no result beside the chosen file";
  EXPECT_TRUE(fs::is_empty(root_ / "tmp")) << "the private folder is removed";
}

// Whether this user can make a new name in `dir`.
bool CanCreateIn(const fs::path& dir) {
  const fs::path probe = dir / "prueba-de-escritura";
  std::error_code ec;
  if (!fs::create_directory(probe, ec)) return false;
  fs::remove(probe, ec);
  return true;
}

// A folder in which this user cannot create files while the object lives:
// its write permission taken away, and where that does not stop the user
// (root, or any user who may override permissions) its immutable
// attribute set, which stops root too. locked() says whether either worked.
class UnwritableFolder {
 public:
  explicit UnwritableFolder(fs::path dir) : dir_(std::move(dir)) {
    fs::permissions(dir_, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    if (CanCreateIn(dir_)) immutable_ = SetImmutable(true);
    locked_ = !CanCreateIn(dir_);
  }
  UnwritableFolder(const UnwritableFolder&) = delete;
  UnwritableFolder& operator=(const UnwritableFolder&) = delete;
  ~UnwritableFolder() {
    if (immutable_) SetImmutable(false);
    fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::add);
  }
  bool locked() const { return locked_; }

 private:
  bool SetImmutable(bool on) const {
    const int fd = ::open(dir_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return done;
  }

  fs::path dir_;
  bool immutable_ = false;
  bool locked_ = false;
};

TEST_F(CliTest, ComprobarFailsWhereTheRealCommandCannotWrite) {
  ASSERT_EQ(Export("centro.xml").status, 0);
  GenerateSolution();
  fs::create_directories(root_ / "datos");
  fs::copy_file(root_ / "centro.xml", root_ / "datos" / "centro.xml");
  const std::string x = xtemp().string();
  struct Case {
    const char* name;
    fs::path folder;  // the folder made unwritable
    std::vector<std::string> command, check;
    std::string said;  // what comprobar says on stderr
  };
  const Case cases[] = {
      {"export: the exchange directory",
       xtemp(),
       {"exportar", "centro.xml", "--xtemp", x},
       {"comprobar", "centro.xml", "--xtemp", x},
       "La exportación fallaría: No se puede escribir en la carpeta de intercambio " + x + " ("},
      {"import: the folder of the chosen file",
       root_ / "datos",
       {"importar", "datos/centro.xml", "--xtemp", x},
       {"comprobar", "datos/centro.xml", "--xtemp", x},
       "La importación fallaría: No se puede guardar el resultado " +
           (root_ / "datos" / "ResultadoTablerixcentro.xml").string() +
           ": no se puede escribir en la carpeta " + (root_ / "datos").string() + " ("},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto before = Tables(c.folder);
    const UnwritableFolder unwritable(c.folder);
    if (!unwritable.locked()) {
      GTEST_SKIP() << "neither the permission bits nor the immutable attribute keep this user "
                      "from writing in a folder here (root without CAP_LINUX_IMMUTABLE, or a "
                      "file system without the attribute)";
    }
    const Result real = Run(c.command);
    EXPECT_EQ(real.status, 1) << real.out << real.err;
    const Result checked = Run(c.check);
    EXPECT_EQ(checked.status, 1) << checked.out << checked.err;
    EXPECT_THAT(checked.err, HasSubstr(c.said));
    EXPECT_EQ(Tables(c.folder), before);
  }
}

TEST_F(CliTest, ReportFileHoldsTheCommandsFindings) {
  const fs::path informe = root_ / "consola" / "informe.txt";
  const Result exported = Export("centro.xml", {"--informe", informe.string()});
  ASSERT_EQ(exported.status, 0) << exported.err;
  const std::string header =
      "Pasahorario: informe de exportar\nArchivo: " + (root_ / "centro.xml").string() +
      "\nCarpeta de intercambio: " + xtemp().string() + "\n\nExportación:\n";
  EXPECT_THAT(Read(informe), StartsWith(header));
  // The findings are those the console printed last.
  const std::string findings = Read(informe).substr(header.size());
  EXPECT_THAT(exported.out, EndsWith("\n" + findings));

  GenerateSolution();
  ASSERT_EQ(
      Run({"importar", "centro.xml", "--xtemp", xtemp().string(), "--informe", informe.string()})
          .status,
      0);
  EXPECT_THAT(Read(informe), HasSubstr("informe de importar\n"));

  // The command completed, but the report the user asked for is missing.
  const Result unwritable = Run({"importar", "centro.xml", "--xtemp", xtemp().string(), "--informe",
                                 (root_ / "no-hay" / "informe.txt").string()});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_THAT(unwritable.err, HasSubstr("No se pudo escribir el archivo " +
                                        (root_ / "no-hay" / "informe.txt").string()));
}

TEST_F(CliTest, ExchangeDirectoryIsFoundInAnyLetterCase) {
  const std::string lower = (root_ / "xtemp").string();
  EXPECT_EQ(Run({"exportar", "centro.xml", "--xtemp", lower}).status, 0);
  EXPECT_TRUE(fs::exists(xtemp() / "ASIGNOMT.DBF"));
  EXPECT_FALSE(fs::exists(root_ / "xtemp"));
  const Result checked = Run({"comprobar", "limpio.xml", "--xtemp", lower});
  EXPECT_EQ(checked.status, 0) << checked.err;
  EXPECT_THAT(checked.out, HasSubstr("ninguna tabla en " + xtemp().string()));
}

TEST_F(CliTest, OutputThatCannotBeWrittenFailsTheCommand) {
  const Result r = Run({"exportar", "centro.xml", "--xtemp", xtemp().string()}, "/dev/full");
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("no se ha podido escribir en la salida estándar"));
}

}  // namespace
