// The console front-end run in-process, where a terminal can be played:
// the start-time question and the report. The built program's exit
// statuses are checked end to end in tests/cli.
#include "cli/console_app.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include <fstream>
#include <iterator>
#include <sstream>

#include "base/utf8_path.h"
#include "worktables/dbf_table.h"
#include "support/test_files.h"

namespace pasahorario {
namespace {
namespace fs = std::filesystem;

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

class ConsoleAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    temp_.emplace("console_app_test");
    root_ = temp_->path();
    fs::create_directories(root_ / "XTEMP");
    fs::copy_file(PathFromUtf8(PASAHORARIO_SOURCE_DIR) / "examples" / "delphos-exportacion.xml",
                  root_ / "centro.xml");
  }
  std::optional<testing_support::TempDir> temp_;

  // Runs the console with `arguments`, `typed` as what the terminal gives.
  int Run(std::vector<std::string> arguments, std::string_view typed, bool interactive) {
    std::istringstream in{std::string(typed)};
    std::ostringstream out, err;
    const int status = RunConsole(arguments, in, out, err, interactive);
    out_ = out.str();
    err_ = err.str();
    return status;
  }
  std::vector<std::string> Export(std::string file) {
    return {"exportar", PathToUtf8(root_ / file), "--xtemp", PathToUtf8(root_ / "XTEMP")};
  }

  // HORADESDE of the first time slot written.
  std::string FirstStart() const {
    dbf::DbfTable table(root_ / "XTEMP", "DIASHORAST");
    table.Open();
    std::string start = table.Text(table.FieldIndex("HORADESDE"));
    table.Close();
    return start;
  }

  static std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  fs::path root_;
  std::string out_, err_;
};

TEST_F(ConsoleAppTest, TerminalIsAskedUntilTheTimeIsWellFormedAndInRange) {
  // Not a time, then out of range (named, asked again), then a one-digit
  // hour.
  EXPECT_EQ(Run(Export("centro.xml"), "las ocho\n24:00\n 9:30\n", true), kExitCompleted) << err_;
  EXPECT_THAT(out_, AllOf(HasSubstr("Debe indicar la Hora de Inicio de la primera clase"),
                          HasSubstr("[08:00]"), HasSubstr("Escriba la hora como HH:MM"),
                          HasSubstr("La hora '24:00' no es válida"),
                          HasSubstr("Proceso finalizado"), HasSubstr("DIASHORAST")));
  EXPECT_EQ(FirstStart(), " 9:30");
}

TEST_F(ConsoleAppTest, RefusedTimeIsNotOfferedBack) {
  // Enter after a refusal keeps the time offered first, not the refused one.
  EXPECT_EQ(Run(Export("centro.xml"), "25:99\n\n", true), kExitCompleted) << err_;
  EXPECT_THAT(out_, AllOf(HasSubstr("La hora '25:99' no es válida"), Not(HasSubstr("[25:99]"))));
  EXPECT_EQ(FirstStart(), "08:00");
}

TEST_F(ConsoleAppTest, EnterTakesTheDefaultAndNoTerminalMeansEightOClock) {
  EXPECT_EQ(Run(Export("centro.xml"), "\n", true), kExitCompleted) << err_;
  EXPECT_EQ(FirstStart(), "08:00");

  EXPECT_EQ(Run(Export("centro.xml"), "", false), kExitCompleted) << err_;
  EXPECT_THAT(out_, AllOf(Not(HasSubstr("Hora de Inicio")), HasSubstr(": se toma 08:00")));
  EXPECT_EQ(FirstStart(), "08:00");

  // The option wins over the terminal.
  EXPECT_EQ(Run({"exportar", PathToUtf8(root_ / "centro"), "--hora-inicio", "7:45", "--xtemp",
                 PathToUtf8(root_ / "XTEMP")},
                "09:00\n", true),
            kExitCompleted)
      << err_;
  EXPECT_EQ(FirstStart(), " 7:45");
}

TEST_F(ConsoleAppTest, InputEndingAtTheQuestionFailsAndKeepsTheTables) {
  ASSERT_EQ(Run(Export("centro.xml"), "", false), kExitCompleted) << err_;
  const std::string before = Bytes(root_ / "XTEMP" / "DIASHORAST.DBF");
  EXPECT_EQ(Run(Export("centro.xml"), "25:00\n", true), kExitFailed);
  EXPECT_EQ(err_, "No se ha indicado la hora de inicio de la primera clase.\n");
  EXPECT_EQ(Bytes(root_ / "XTEMP" / "DIASHORAST.DBF"), before);
}

TEST_F(ConsoleAppTest, ExportReportListsRowsPerTableAndAbsentSections) {
  std::ofstream(root_ / "parcial.xml")
      << "<SERVICIO><SALIDAS><listasal seq=\"AULAS\"><listasal><salida>1</salida>"
         "<salida>A1</salida><salida>Aula 1</salida></listasal></listasal></SALIDAS></SERVICIO>";
  ASSERT_EQ(Run(Export("parcial"), "", false), kExitCompleted) << err_;
  EXPECT_THAT(out_, HasSubstr("Proceso finalizado\nTablas escritas en " +
                              PathToUtf8(root_ / "XTEMP") + ":\n  ASIGNOMT         0 filas\n"));
  EXPECT_THAT(out_, HasSubstr("\n  AULAT            1 fila\n"));
  EXPECT_THAT(out_, HasSubstr("  5 secciones que faltan:\n"));
  for (const char* section : {"MATERIAS", "PROFESORES", "GRUPOS", "ASIGNATURAS", "TRAMOS"}) {
    EXPECT_THAT(out_, HasSubstr(std::string("\u2022 ") + section)) << section;
  }
}

TEST_F(ConsoleAppTest, LinesThatCannotBeWrittenMakeTheRunFail) {
  std::istringstream in;
  std::ostringstream out, err;
  out.setstate(std::ios::badbit);  // as a full disk or a closed pipe leaves it
  EXPECT_EQ(RunConsole(Export("centro.xml"), in, out, err, false), kExitFailed);
  EXPECT_EQ(err.str(), "pasahorario-cli: no se ha podido escribir en la salida estándar\n");
}

}  // namespace
}  // namespace pasahorario
