#include "export/exportar.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/error.h"
#include "base/utf8_path.h"
#include "export/export_test_support.h"
#include "worktables/file_lock.h"

namespace pasahorario {
namespace {
using namespace testing_support;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

const char* const kTables[] = {"ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"};

// A small school with every section; `asignaturas` and `tramos` may be
// replaced to make the fifth or the sixth converter fail.
delphos::XmlDocument School(const std::string& asignaturas = Rec({"CA", "1A", "A1", "M", "ESO", "1",
                                                                  "A", "55", "G01"}),
                            const std::string& tramos = Slot("L1", "55", "4701")) {
  return Export({Section("MATERIAS", {Rec({"G01", "TUT", "TUTORIA", "Tutoría"}),
                                      Rec({"370001", "MAT", "MATEMAT", "Matemáticas"})}),
                 Section("PROFESORES", {Rec({"E1", "01/09/2020", "Ana", "ANA"})}),
                 Section("AULAS", {Rec({"D1", "A1", "Aula 1", "N"})}),
                 Section("GRUPOS", {Rec({"U1", "1A", "M", "ESO", "1", "A"})}),
                 Section("ASIGNATURAS", {asignaturas}), Section("TRAMOS", {tramos})});
}

class ExportarTodoTest : public ExchangeDirTest {
 protected:
  ExportSummary Run(const delphos::XmlDocument& doc, const fs::path& dir) {
    return ExportarTodo(doc, dir, [this](const std::string& entry) {
      prompts_.push_back(entry);
      return std::string("08:00");
    });
  }
  // Runs an export that must fail; returns its message.
  std::string Failure(const delphos::XmlDocument& doc, const fs::path& dir) {
    try {
      Run(doc, dir);
    } catch (const Error& e) {
      return e.what();
    }
    ADD_FAILURE() << "no error";
    return "";
  }
  std::vector<std::string> prompts_;
};

TEST_F(ExportarTodoTest, RebuildsTheSixTablesAndRemovesTheOldIndexes) {
  WriteBytes(dir_ / "ASIGNOMT.MDX", "índice viejo");
  WriteBytes(dir_ / "PROFT.DBF", "tabla vieja");
  WriteBytes(dir_ / "PROFT.MDX", "índice viejo");
  WriteBytes(dir_ / "SOLUC.DBF", "solución del programa de horarios");
  const ExportSummary summary = Run(School(), dir_);

  std::vector<std::string> counts;
  for (const auto& t : summary.tables) counts.push_back(t.name + " " + std::to_string(t.rows));
  EXPECT_THAT(counts, ElementsAre("ASIGNOMT 2", "PROFT 1", "AULAT 1", "GRUPOST 1", "ASIGT 1",
                                  "DIASHORAST 1"));
  EXPECT_TRUE(summary.absent_sections.empty());
  EXPECT_THAT(prompts_, ElementsAre("08:00"));

  std::vector<std::string> files;
  for (const auto& [name, bytes] : Snapshot(dir_)) files.push_back(name);
  EXPECT_THAT(files, ElementsAre("ASIGNOMT.DBF", "ASIGT.DBF", "AULAT.DBF", "DIASHORAST.DBF",
                                 "GRUPOST.DBF", "PROFT.DBF", "SOLUC.DBF"));
  EXPECT_THAT(ReadTable(dir_ / "ASIGT.DBF").Column("CTAREA"), ElementsAre("TUT"));
  EXPECT_THAT(ReadTable(dir_ / "PROFT.DBF").Column("ABREV"), ElementsAre("ANA"));
  EXPECT_THAT(ReadTable(dir_ / "DIASHORAST.DBF").Column("TEXTOHOR"), ElementsAre("1-08:00-08:55"));
}

TEST_F(ExportarTodoTest, MissingSectionsAreListedAndTheirTablesLeftEmpty) {
  WriteBytes(dir_ / "GRUPOST.DBF", "tabla vieja");
  const ExportSummary summary =
      Run(Export({Section("MATERIAS", {Rec({"370001", "MAT", "MATEMAT", "Matemáticas"})}),
                  Section("materias", {}), Section(" AULAS", {})}),
          dir_);
  EXPECT_THAT(summary.absent_sections,
              ElementsAre("PROFESORES", "AULAS", "GRUPOS", "ASIGNATURAS", "TRAMOS"));
  for (const char* name : kTables) {
    const TableContents t = ReadTable(dir_ / (std::string(name) + ".DBF"));
    EXPECT_EQ(t.rows.size(), std::string(name) == "ASIGNOMT" ? 1u : 0u) << name;
    EXPECT_FALSE(t.fields.empty()) << name;
  }
  EXPECT_THAT(prompts_, ElementsAre("08:00"));  // asked also without TRAMOS
}

TEST_F(ExportarTodoTest, ReplacesATableWhateverTheLetterCaseOfItsFile) {
  WriteBytes(dir_ / "aulat.dbf", "tabla vieja");
  Run(School(), dir_);
  int aulat = 0;
  for (const auto& [name, bytes] : Snapshot(dir_)) {
    if (name == "aulat.dbf" || name == "AULAT.DBF") ++aulat;
  }
  EXPECT_EQ(aulat, 1);
  EXPECT_THAT(ReadTable(dbf::TablePath(dir_, "AULAT")).Column("ABREV"), ElementsAre("A1"));
}

TEST_F(ExportarTodoTest, ADocumentThatIsNoDelphosExportChangesNothing) {
  struct Case {
    std::string xml, error;
  };
  const Case cases[] = {
      {"<OTRO><SALIDAS><listasal seq=\"AULAS\"/></SALIDAS></OTRO>",
       "su elemento raíz es <OTRO>, no <SERVICIO>"},
      {"<SERVICIO><listasal seq=\"AULAS\"><listasal><salida>a</salida><salida>b</salida>"
       "</listasal></listasal></SERVICIO>",
       "<SERVICIO> no tiene el elemento <SALIDAS>"},
      {"<SERVICIO><SALIDAS><listasal seq=\"materias\"/><listasal seq=\"AULAS \"/>"
       "<otro seq=\"TRAMOS\"/></SALIDAS></SERVICIO>",
       "<SALIDAS> no tiene ninguna de las secciones MATERIAS, PROFESORES, AULAS, GRUPOS, "
       "ASIGNATURAS y TRAMOS"},
  };
  Run(School(), dir_);
  const auto before = Snapshot(dir_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xml);
    EXPECT_EQ(Failure(delphos::XmlDocument::Parse(c.xml), dir_),
              "El documento no es una exportación de DELPHOS: " + c.error);
    EXPECT_EQ(Snapshot(dir_), before);
  }
  EXPECT_EQ(prompts_.size(), 1u);  // only the first export asked
}

TEST_F(ExportarTodoTest, AFailingConverterLeavesEveryPreviousTableByteForByte) {
  struct Case {
    std::string name;
    delphos::XmlDocument doc;
    std::string error;
    size_t prompts;
  };
  Case cases[] = {
      {"ASIGNATURAS, fifth", School(Rec({"CA", "1A", "A1", "M", "ESO", "1", "A", "55 min", "G01"})),
       "Sección ASIGNATURAS, registro 1, posición 8 (los minutos del campo HORAS):\n"
       "'55 min' is not a valid integer value",
       0},
      {"TRAMOS, sixth", School(Rec({"CA"}), Slot("L1", "55") + Slot("M0", "55")),
       "Sección TRAMOS, registro 2, tramo M0, número del tramo:\n'' is not a valid integer value",
       1},
  };
  Run(Export({Section("AULAS", {Rec({"D9", "A9", "Aula vieja", "S"})})}), dir_);
  WriteBytes(dir_ / "ASIGT.MDX", "índice viejo");
  const auto before = Snapshot(dir_);
  ASSERT_EQ(before.size(), 7u);
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    prompts_.clear();
    EXPECT_EQ(Failure(c.doc, dir_), c.error);
    EXPECT_EQ(Snapshot(dir_), before);
    EXPECT_EQ(prompts_.size(), c.prompts);
  }
}

TEST_F(ExportarTodoTest, AnExchangeDirectoryThatIsNoDirectoryIsRefusedFirst) {
  const fs::path not_a_dir = dir_ / "XTEMP";
  WriteBytes(not_a_dir, "un archivo");
  EXPECT_EQ(Failure(School(), not_a_dir),
            "La carpeta de intercambio " + not_a_dir.string() +
                " no es una carpeta, sino un archivo; no se ha cambiado ninguna tabla");
  EXPECT_EQ(Failure(School(), dir_ / "no-existe"), "No existe la carpeta de intercambio " +
                                                       (dir_ / "no-existe").string() +
                                                       "; no se ha cambiado ninguna tabla");
  EXPECT_EQ(Snapshot(dir_).size(), 1u);
  EXPECT_TRUE(prompts_.empty());
}

TEST_F(ExportarTodoTest, AnUnreadableExchangeDirectoryIsRefusedFirst) {
  const fs::path xtemp = dir_ / "XTEMP";
  fs::create_directory(xtemp);
  Run(School(), xtemp);
  const auto before = Snapshot(xtemp);
  fs::permissions(xtemp, fs::perms::none);
  std::error_code ec;
  fs::directory_iterator probe(xtemp, ec);
  if (!ec) {
    fs::permissions(xtemp, fs::perms::owner_all);
    GTEST_SKIP() << "permissions do not deny listing here (administrator, or no POSIX modes)";
  }
  const std::string error = Failure(School(), xtemp);
  fs::permissions(xtemp, fs::perms::owner_all);
  EXPECT_THAT(error, StartsWith("No se puede leer la carpeta de intercambio " + xtemp.string()));
  EXPECT_THAT(error, HasSubstr("no se ha cambiado ninguna tabla"));
  EXPECT_EQ(Snapshot(xtemp), before);
}

TEST_F(ExportarTodoTest, ATableHeldByAnotherProgramStopsTheExportBeforeAnythingIsWritten) {
  Run(School(), dir_);
  WriteBytes(dir_ / "ASIGT.MDX", "índice viejo");
  const auto before = Snapshot(dir_);
  for (const char* held_file : {"GRUPOST.DBF", "ASIGT.MDX"}) {
    SCOPED_TRACE(held_file);
    prompts_.clear();
    dbf::LockedFile held;  // as the host holds it: exclusively
    std::string reason;
    ASSERT_EQ(held.Open(dir_ / held_file, true, &reason), dbf::LockedFile::Status::kOpen) << reason;
    EXPECT_EQ(Failure(School(), dir_),
              "La tabla " + std::string(held_file) + " de la carpeta " + PathToUtf8(dir_) +
                  " está abierta en otro programa, probablemente Tablerix. Ciérrelo y vuelva a "
                  "exportar; no se ha cambiado ninguna tabla");
    EXPECT_TRUE(prompts_.empty());
    held.Close();
    EXPECT_EQ(Snapshot(dir_), before);
  }
}

}  // namespace
}  // namespace pasahorario
