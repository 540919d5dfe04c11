// pasahorario-cli as a user runs it: exit statuses, what it prints, and the
// work tables it leaves (every failure leaves the earlier ones byte for byte).
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "worktables/dbf_table.h"

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

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("cli_end_to_end_test_" +
             std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
             std::to_string(std::random_device{}()));
    fs::remove_all(root_);
    fs::create_directories(xtemp());
    fs::copy_file(fs::path(PASAHORARIO_SOURCE_DIR) / "examples" / "delphos-exportacion.xml",
                  root_ / "centro.xml");
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
  void TearDown() override { fs::remove_all(root_); }

  fs::path xtemp() const { return root_ / "XTEMP"; }

  // Runs the program in `root_` with `arguments`, standard input empty (not
  // a terminal).
  Result Run(const std::vector<std::string>& arguments) const {
    std::string command = "cd " + Quoted(root_.string()) + " && " + Quoted(PASAHORARIO_CLI);
    for (const std::string& a : arguments) command += " " + Quoted(a);
    command += " </dev/null >out.txt 2>err.txt";
    const int raw = std::system(command.c_str());
    Result result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = Read(root_ / "out.txt");
    result.err = Read(root_ / "err.txt");
    return result;
  }
  Result Export(const std::string& file, std::vector<std::string> more = {}) const {
    std::vector<std::string> arguments = {"exportar", file, "--xtemp", xtemp().string()};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return Run(arguments);
  }

  // Every file of the exchange directory with its bytes.
  std::map<std::string, std::string> Tables() const {
    std::map<std::string, std::string> tables;
    for (const auto& entry : fs::directory_iterator(xtemp())) {
      tables[entry.path().filename().string()] = Read(entry.path());
    }
    return tables;
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
  EXPECT_THAT(r.out, AllOf(StartsWith("Proceso finalizado\nTablas escritas en " + xtemp().string()),
                           HasSubstr("  ASIGNOMT        30 filas\n"),
                           HasSubstr("  DIASHORAST      30 filas\n")));
  EXPECT_THAT(r.out, ::testing::Not(HasSubstr("Hora de Inicio"))) << "no terminal: no question";
  EXPECT_EQ(FirstStart(), "08:00");
  EXPECT_EQ(Tables().size(), 6u);

  EXPECT_EQ(Export("centro.xml", {"--hora-inicio", "9:05"}).status, 0);
  EXPECT_EQ(FirstStart(), " 9:05");
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
  const Case cases[] = {
      {{"exportar", "no-existe", "--xtemp", x}, 3, "No existe archivo\n", r + "/no-existe.xml"},
      {{"importar", "no-existe.xml", "--xtemp", x}, 3, "No existe archivo\n", r + "/no-existe.xml"},
      {{"exportar", "roto.xml", "--xtemp", x}, 1, "", "roto.xml"},
      {{"exportar", "tramo-malo.xml", "--xtemp", x}, 1, "", "'X' is not a valid integer value\n"},
      {{"importar", "roto.xml", "--xtemp", x}, 1, "", "roto.xml"},
      {{"exportar", "centro.xml", "--xtemp", r + "/no-hay"}, 1, "", "no-hay"},
      {{}, 2, "", "exportar o importar"},
      {{"exportar"}, 2, "", "FICHERO.xml"},
      {{"convertir", "centro.xml"}, 2, "", "pasahorario-cli --help"},
      {{"exportar", "centro.xml", "otro.xml", "--xtemp", x}, 2, "", "otro.xml"},
      {{"exportar", "centro.xml", "--xtemp", x, "--hora-inicio", "24:00"},
       2,
       "",
       "la hora no puede pasar de 23"},
      {{"exportar", "centro.xml", "--xtemp", x, "--hora-inicio", "08:60"},
       2,
       "",
       "los minutos no pueden pasar de 59"},
      {{"exportar", "centro.xml", "--xtemp", x, "--hora-inicio", "8h"}, 2, "", "HH:MM o H:MM"},
      {{"exportar", "centro.xml", "--xtemp", x, "--hora-inicio"}, 2, "", "--hora-inicio"},
      {{"importar", "centro.xml", "--xtemp", x, "--hora-inicio", "08:00"}, 2, "", "--hora-inicio"},
      {{"exportar", "centro.xml", "--xtemp", ""}, 2, "", "--xtemp"},
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
}

TEST_F(CliTest, ImportAfterExportPrintsTheResultAndEveryUnmatchedValue) {
  ASSERT_EQ(Export("centro.xml").status, 0);
  // The example solution: one session in a lab DELPHOS does not know yet.
  const std::string generate =
      Quoted(PASAHORARIO_GENERAR_SOLUC) + " " + Quoted(xtemp().string()) + " >/dev/null";
  ASSERT_EQ(std::system(generate.c_str()), 0);
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

TEST_F(CliTest, HelpIsSpanishAndExitsZero) {
  const Result r = Run({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_THAT(r.out, AllOf(HasSubstr("Uso: pasahorario-cli"), HasSubstr("exportar"),
                           HasSubstr("importar"), HasSubstr("No existe archivo")));
  const Result e = Run({"exportar", "--help"});
  EXPECT_EQ(e.status, 0);
  EXPECT_THAT(e.out, AllOf(HasSubstr("--hora-inicio HH:MM"), HasSubstr("--xtemp CARPETA"),
                           HasSubstr("FICHERO (obligatorio)")));
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

}  // namespace
