#include "shell/tmform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/utf8_path.h"
#include "export/commit_journal.h"
#include "shell/exchange_dir.h"
#include "shell/scripted_ui.h"
#include "support/test_files.h"
#include "worktables/dbf_table.h"

namespace pasahorario {
namespace {
namespace fs = std::filesystem;

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;
using ::testing::StartsWith;

constexpr std::string_view kNoExiste = "ShowMessage: No existe archivo";
constexpr std::string_view kFinalizado = "ShowMessage: Proceso finalizado";

class TMFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(root_ / "XTEMP");
    // Tables a previous export left; a failing command must not touch them.
    Write(root_ / "XTEMP" / "ASIGNOMT.DBF", "tabla anterior");
  }
  // The form with these command-line parameters, created and shown.
  TMForm& Start(std::vector<std::string> parameters) {
    TMFormOptions options;
    options.parameters = std::move(parameters);
    options.exchange_dir = root_ / "XTEMP";
    options.host_ini = ini();
    form_ = std::make_unique<TMForm>(ui_, std::move(options));
    ui_.form = form_.get();
    form_->FormCreate();
    form_->FormShow();
    return *form_;
  }

  // The user closes the window (Salir, or the close box).
  void UserCloses() {
    ui_.closed = true;
    form_->FormClose();
  }

  fs::path ini() const { return root_ / "Tablerix.ini"; }
  std::string Ini() const { return Read(ini()); }
  std::string File(std::string_view name, std::string_view bytes) const {
    Write(root_ / name, bytes);
    return PathToUtf8(root_ / name);
  }
  std::string Missing() const { return PathToUtf8(root_ / "no-existe.xml"); }
  std::string Broken() const { return File("roto.xml", "<SERVICIO><SALIDAS>"); }
  static std::string Example() {
    return PathToUtf8(PathFromUtf8(PASAHORARIO_SOURCE_DIR) / "examples" /
                      "delphos-exportacion.xml");
  }
  // The example copied beside the test, where an import may write its result.
  std::string Centro() const {
    fs::copy_file(PathFromUtf8(Example()), root_ / "centro.xml",
                  fs::copy_options::overwrite_existing);
    return PathToUtf8(root_ / "centro.xml");
  }
  // SOLUC with one placed session (in a room the work tables lack) and one
  // without a day, both of the first teacher of PROFT.
  void WriteSoluc() const {
    dbf::DbfTable proft(root_ / "XTEMP", "PROFT");
    proft.Open();
    const std::string abrev = proft.Text(proft.FieldIndex("ABREV"));
    proft.Close();
    dbf::DbfTable soluc(root_ / "XTEMP", "SOLUC");
    soluc.Create({dbf::TextField("PROF", 10),
                  {"DIA", 'N', 2, 0},
                  {"HORA", 'N', 2, 0},
                  dbf::TextField("TAREA", 10),
                  dbf::TextField("AULA", 10),
                  dbf::TextField("CODGRUPO", 10),
                  dbf::TextField("ASIG", 10),
                  dbf::TextField("NIVEL", 5),
                  dbf::TextField("CURSO", 3)});
    soluc.Open();
    for (int dia : {1, 0}) {
      soluc.Append();
      soluc.SetText(soluc.FieldIndex("PROF"), abrev);
      soluc.SetInteger(soluc.FieldIndex("DIA"), dia);
      soluc.SetInteger(soluc.FieldIndex("HORA"), dia);
      soluc.SetText(soluc.FieldIndex("AULA"), "NOAULA");
      soluc.Post();
    }
    soluc.Close();
  }
  std::string NotDelphos() const { return File("otro.xml", "<?xml version=\"1.0\"?><OTRO/>"); }

  static std::string Read(const fs::path& file) { return testing_support::FileBytes(file); }
  static void Write(const fs::path& file, std::string_view bytes) {
    testing_support::WriteBytes(file, std::string(bytes));
  }
  std::string OldTable() const { return Read(root_ / "XTEMP" / "ASIGNOMT.DBF"); }

  testing_support::TempDir temp_{"tmform"};
  const fs::path root_ = temp_.path();
  ScriptedUi ui_;
  std::unique_ptr<TMForm> form_;
};

TEST(StandardErrorTextTest, AddsAFullStopAfterCharactersAboveIt) {
  struct Case {
    std::string_view in, out;
  };
  const Case cases[] = {
      {"'$0x1A2B' is not a valid integer value", "'$0x1A2B' is not a valid integer value."},
      {"Ya termina.", "Ya termina."},
      {"entre paréntesis (x)", "entre paréntesis (x)"},  // ')' is below '.'
      {"guion -", "guion -"},
      {"barra /", "barra /."},  // '/' is above '.'
      {"acción", "acción."},    // a letter beyond ASCII
      {"línea\n", "línea\n"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(StandardErrorText(c.in), c.out);
  }
}

TEST_F(TMFormTest, StandAloneStartDoesNothingUntilAButtonIsPressed) {
  const std::vector<std::string> stand_alone[] = {
      {}, {"exportar"}, {"exportar", "1A2B", "x"}, {"importar", "1A2B", ""}};
  for (const auto& parameters : stand_alone) {
    SCOPED_TRACE(parameters.size());
    ui_.calls.clear();
    TMForm& form = Start(parameters);
    EXPECT_THAT(ui_.calls, IsEmpty());
    EXPECT_FALSE(form.hosted());
    EXPECT_EQ(form.NumParametros(), 0);
    EXPECT_EQ(form.EstadoTransformado(), 0);
    UserCloses();
    EXPECT_FALSE(fs::exists(ini())) << "stand-alone never writes the host INI";
  }
}

TEST_F(TMFormTest, StandAloneExportCompletesAndDisablesTheButtonsAfterTheMessage) {
  TMForm& form = Start({});
  ui_.files = {Example()};
  ui_.start_times = {"24:00", " 9:30"};  // out of range: the dialog comes back
  form.BExportarClick();
  EXPECT_THAT(ui_.calls, ElementsAre("ChooseXmlFile", "SetBusy: 1", "AskStartTime: 08:00",
                                     "AskStartTime: 24:00", "SetBusy: 0", kFinalizado,
                                     "DisableDirectionButtons"));
  EXPECT_EQ(form.EstadoTransformado(), 1);
  EXPECT_EQ(form.last_outcome(), CommandOutcome::kCompleted);
  EXPECT_FALSE(ui_.closed);
  ASSERT_TRUE(form.last_export().has_value());
  std::vector<std::string> names;
  for (const ExportSummary::Table& table : form.last_export()->tables) {
    names.push_back(table.name);
    EXPECT_GT(table.rows, 0) << table.name;
    EXPECT_TRUE(fs::exists(root_ / "XTEMP" / (table.name + ".DBF"))) << table.name;
  }
  EXPECT_THAT(names, ElementsAre("ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"));
  EXPECT_NE(OldTable(), "tabla anterior");
  UserCloses();
  EXPECT_FALSE(fs::exists(ini()));
}

TEST_F(TMFormTest, HostedExportClosesAfterTheMessageAndReportsOne) {
  ui_.files = {Example()};
  TMForm& form = Start({"exportar", "1a2B"});
  EXPECT_THAT(ui_.calls, ElementsAre("EmbedIn: 6699", "RemoveFrame", "ChooseXmlFile", "SetBusy: 1",
                                     "AskStartTime: 08:00", "SetBusy: 0", kFinalizado,
                                     "DisableDirectionButtons", "CloseMainWindow"));
  EXPECT_EQ(form.EstadoTransformado(), 1);
  EXPECT_EQ(Ini(), "[Transformadores]\r\nTransformado=1\r\n");
}

// Once the six tables are in place, an old index that cannot be removed (a
// folder of that name) is a finding: the export has completed.
TEST_F(TMFormTest, HostedExportThatCannotRemoveAnOldIndexStillCompletesAndReportsOne) {
  fs::create_directories(root_ / "XTEMP" / "ASIGNOMT.MDX");
  Write(root_ / "XTEMP" / "ASIGNOMT.MDX" / "dentro", "x");
  ui_.files = {Example()};
  TMForm& form = Start({"exportar", "1a2B"});
  EXPECT_THAT(ui_.calls, ElementsAre("EmbedIn: 6699", "RemoveFrame", "ChooseXmlFile", "SetBusy: 1",
                                     "AskStartTime: 08:00", "SetBusy: 0", kFinalizado,
                                     "ShowReport: 1 aviso: 1 archivo sin borrar",
                                     "DisableDirectionButtons", "CloseMainWindow"));
  EXPECT_EQ(form.EstadoTransformado(), 1);
  EXPECT_EQ(Ini(), "[Transformadores]\r\nTransformado=1\r\n");
  EXPECT_NE(OldTable(), "");
}

TEST_F(TMFormTest, HostedImportSavesTheResultAndReportsOne) {
  Start({});
  ui_.files = {Centro()};
  form_->BExportarClick();
  ASSERT_EQ(form_->last_outcome(), CommandOutcome::kCompleted);
  WriteSoluc();

  ui_ = ScriptedUi();
  ui_.files = {Centro()};
  TMForm& form = Start({"importar", "1A2B"});
  EXPECT_THAT(ui_.calls, ElementsAre("EmbedIn: 6699", "RemoveFrame", "ChooseXmlFile", "SetBusy: 1",
                                     "SetBusy: 0", kFinalizado,
                                     "ShowReport: 2 avisos: 2 valores sin correspondencia",
                                     "DisableDirectionButtons", "CloseMainWindow"));
  EXPECT_EQ(Ini(), "[Transformadores]\r\nTransformado=1\r\n");
  ASSERT_TRUE(form.last_import().has_value());
  EXPECT_FALSE(form.last_export().has_value());
  EXPECT_EQ(form.last_import()->result_path, root_ / "ResultadoTablerixcentro.xml");
  EXPECT_EQ(form.last_import()->activities, 1);
  EXPECT_GT(form.last_import()->teachers, 1);
  EXPECT_THAT(Read(root_ / "ResultadoTablerixcentro.xml"), HasSubstr("ACTIVIDAD_1"));
}

TEST_F(TMFormTest, ImportWithoutSolutionTableFailsAndWritesNothing) {
  TMForm& form = Start({});
  ui_.files = {Centro()};
  form.BImportarClick();
  EXPECT_THAT(ui_.calls, ElementsAre("ChooseXmlFile", "SetBusy: 1", "SetBusy: 0",
                                     AllOf(StartsWith("ShowError: "), HasSubstr("SOLUC"))));
  EXPECT_EQ(form.EstadoTransformado(), 0);
  EXPECT_TRUE(ui_.buttons_enabled);
  EXPECT_FALSE(fs::exists(root_ / "ResultadoTablerixcentro.xml"));
}

TEST_F(TMFormTest, MissingFileEndsTheCommandAndHostedReportsItsStatus) {
  struct Case {
    std::string_view mode;
    bool hosted;
    int32_t status;  // after the command
  };
  const Case cases[] = {{"exportar", true, -1},
                        {"importar", true, 0},
                        {"exportar", false, 0},
                        {"importar", false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.mode) + (c.hosted ? " hosted" : " stand-alone"));
    fs::remove(ini());
    ui_ = ScriptedUi();
    ui_.files = {Missing()};
    TMForm& form = Start(c.hosted ? std::vector<std::string>{std::string(c.mode), "1A2B"}
                                  : std::vector<std::string>{});
    if (!c.hosted) c.mode == "exportar" ? form.BExportarClick() : form.BImportarClick();
    EXPECT_EQ(form.FicheroXML(), Missing());
    EXPECT_EQ(form.EstadoTransformado(), c.status);
    EXPECT_EQ(form.last_outcome(), CommandOutcome::kNoFile);
    EXPECT_TRUE(ui_.buttons_enabled);
    EXPECT_FALSE(ui_.busy);
    if (c.hosted) {
      EXPECT_THAT(ui_.calls, ElementsAre("EmbedIn: 6699", "RemoveFrame", "ChooseXmlFile", kNoExiste,
                                         "CloseMainWindow"));
      EXPECT_EQ(Ini(), "[Transformadores]\r\nTransformado=" + std::to_string(c.status) + "\r\n");
    } else {
      EXPECT_THAT(ui_.calls, ElementsAre("ChooseXmlFile", kNoExiste));
      EXPECT_FALSE(ui_.closed);
      EXPECT_FALSE(fs::exists(ini()));
    }
  }
}

TEST_F(TMFormTest, NoFileIsAlsoACancelledFirstDialogOrAFolder) {
  TMForm& form = Start({});
  ui_.files = {std::nullopt, PathToUtf8(root_ / "XTEMP")};
  form.BExportarClick();
  EXPECT_EQ(form.FicheroXML(), "");
  form.BImportarClick();
  EXPECT_THAT(ui_.CallsStartingWith("ShowMessage"), ElementsAre(kNoExiste, kNoExiste));
  EXPECT_EQ(form.EstadoTransformado(), 0);
}

TEST_F(TMFormTest, ErrorLeavesStatusButtonsWindowAndTablesAsTheyWere) {
  ui_.files = {Broken()};
  TMForm& form = Start({"exportar", "1A2B"});
  ASSERT_THAT(ui_.CallsStartingWith("ShowError"), SizeIs(1));
  EXPECT_THAT(ui_.CallsStartingWith("ShowError")[0], HasSubstr("roto.xml"));
  EXPECT_EQ(form.last_outcome(), CommandOutcome::kFailed);
  EXPECT_EQ(form.EstadoTransformado(), 0);
  EXPECT_TRUE(ui_.buttons_enabled);
  EXPECT_FALSE(ui_.closed);
  EXPECT_FALSE(ui_.busy);
  EXPECT_THAT(ui_.CallsStartingWith("ShowMessage"), IsEmpty());
  EXPECT_FALSE(fs::exists(ini())) << "the hosted window stays open";

  // A document that is no DELPHOS export stops before any table is touched;
  // the hourglass goes away with the error box.
  ui_.calls.clear();
  ui_.files = {NotDelphos()};
  form.BExportarClick();
  EXPECT_THAT(ui_.calls,
              ElementsAre("ChooseXmlFile", "SetBusy: 1", "SetBusy: 0",
                          AllOf(StartsWith("ShowError: "), HasSubstr("DELPHOS"), EndsWith("."))));
  EXPECT_EQ(OldTable(), "tabla anterior");

  // The import's load error is the same kind of failure.
  ui_.calls.clear();
  ui_.files = {Broken()};
  form.BImportarClick();
  EXPECT_THAT(ui_.calls,
              ElementsAre("ChooseXmlFile", "SetBusy: 1", "SetBusy: 0", StartsWith("ShowError: ")));
  EXPECT_EQ(form.EstadoTransformado(), 0);
  EXPECT_FALSE(form.last_import().has_value());

  UserCloses();
  EXPECT_EQ(Ini(), "[Transformadores]\r\nTransformado=0\r\n");
}

TEST_F(TMFormTest, CancelledDialogProcessesTheEarlierFileAgain) {
  TMForm& form = Start({});
  ui_.files = {Broken()};
  form.BExportarClick();
  const std::string first_error = ui_.CallsStartingWith("ShowError")[0];
  ui_.files = {std::nullopt};
  form.BImportarClick();  // another command may take the file too
  ui_.files = {std::nullopt};
  form.BExportarClick();
  EXPECT_EQ(form.FicheroXML(), PathToUtf8(root_ / "roto.xml"));
  EXPECT_THAT(ui_.CallsStartingWith("ShowError"),
              ElementsAre(first_error, first_error, first_error));
}

TEST_F(TMFormTest, BadHandleIsShownAndTheNamedCommandRunsStandAlone) {
  ui_.files = {Missing()};
  TMForm& form = Start({"exportar", "0x1A2B"});
  EXPECT_THAT(ui_.calls, ElementsAre("ShowError: '$0x1A2B' is not a valid integer value.",
                                     "ChooseXmlFile", kNoExiste));
  EXPECT_FALSE(form.hosted());
  EXPECT_TRUE(ui_.framed);
  EXPECT_FALSE(ui_.parent.has_value());
  EXPECT_FALSE(ui_.closed);
  EXPECT_EQ(form.EstadoTransformado(), 0) << "stand-alone: a missing file sets no status";
  UserCloses();
  EXPECT_FALSE(fs::exists(ini()));
}

TEST_F(TMFormTest, ModeWordIsComparedAfterAsciiLowerCasingOnly) {
  struct Case {
    std::string_view word;
    std::vector<std::string> after_setup;  // calls after EmbedIn and RemoveFrame
    std::string ini;
  };
  const std::string closed_with = "[Transformadores]\r\nTransformado=";
  const Case cases[] = {
      {"exportar",
       {"ChooseXmlFile", std::string(kNoExiste), "CloseMainWindow"},
       closed_with + "-1\r\n"},
      {"EXPORTAR",
       {"ChooseXmlFile", std::string(kNoExiste), "CloseMainWindow"},
       closed_with + "-1\r\n"},
      {"Importar",
       {"ChooseXmlFile", std::string(kNoExiste), "CloseMainWindow"},
       closed_with + "0\r\n"},
      {" exportar", {}, ""},
      {"exportar ", {}, ""},
      {"EXPORTAR\xc3\x81", {}, ""},
      {"otro", {}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    fs::remove(ini());
    ui_ = ScriptedUi();
    ui_.files = {Missing()};
    TMForm& form = Start({std::string(c.word), "1A2B"});
    EXPECT_TRUE(form.hosted());
    std::vector<std::string> expected = {"EmbedIn: 6699", "RemoveFrame"};
    expected.insert(expected.end(), c.after_setup.begin(), c.after_setup.end());
    EXPECT_EQ(ui_.calls, expected);
    if (c.ini.empty()) {
      EXPECT_FALSE(ui_.closed) << "nothing started: the window waits, still hosted";
      UserCloses();
      EXPECT_EQ(Ini(), closed_with + "0\r\n");
    } else {
      EXPECT_EQ(Ini(), c.ini);
    }
  }
}

TEST_F(TMFormTest, HandleZeroIsHostedWithoutANewParent) {
  ui_.files = {Missing()};
  TMForm& form = Start({"exportar", "0"});
  EXPECT_EQ(ui_.parent, 0u);
  EXPECT_FALSE(ui_.framed);
  EXPECT_EQ(form.NumParametros(), 2);
  EXPECT_TRUE(ui_.closed);
  EXPECT_EQ(Ini(), "[Transformadores]\r\nTransformado=-1\r\n");
}

TEST_F(TMFormTest, HostedCloseGoesThroughTheGivenWriterAndShowsItsFailure) {
  struct Write {
    fs::path file;
    std::string section, key, value;
  };
  std::vector<Write> writes;
  bool succeed = true;
  TMFormOptions options;
  options.parameters = {"otro", "FFFFFFFF"};
  options.exchange_dir = root_ / "XTEMP";
  options.host_ini = ini();
  options.write_ini = [&](const fs::path& file, std::string_view section, std::string_view key,
                          std::string_view value) {
    writes.push_back({file, std::string(section), std::string(key), std::string(value)});
    return succeed;
  };
  TMForm form(ui_, options);
  ui_.form = &form;
  form.FormCreate();
  form.FormShow();
  EXPECT_EQ(ui_.parent, 0xFFFFFFFFu);
  form.FormClose();
  ASSERT_THAT(writes, SizeIs(1));
  EXPECT_EQ(writes[0].file, ini());
  EXPECT_EQ(writes[0].section, "Transformadores");
  EXPECT_EQ(writes[0].key, "Transformado");
  EXPECT_EQ(writes[0].value, "0");

  succeed = false;
  form.FormClose();
  EXPECT_THAT(ui_.CallsStartingWith("ShowError"),
              ElementsAre("ShowError: Unable to write to " + PathToUtf8(ini()) + "."));
}

TEST_F(TMFormTest, EitherCommandFirstFinishesAnInterruptedExportAndSaysSo) {
  const fs::path xtemp = root_ / "XTEMP";
  const Journal journal{Journal::Direction::kForward,
                        {{"ASIGNOMT.DBF.nuevo~1-1", "ASIGNOMT.DBF", "ASIGNOMT.DBF.anterior~1-2"}}};
  for (const bool exportar : {true, false}) {
    SCOPED_TRACE(exportar);
    Write(xtemp / "ASIGNOMT.DBF.nuevo~1-1", "tabla nueva");
    Write(xtemp / "ASIGNOMT.DBF.anterior~1-2", "tabla anterior");
    Write(xtemp / "PASAHORARIO.DIARIO", FormatJournal(journal));
    ui_.calls.clear();
    ui_.files = {std::nullopt};  // the user cancels the file dialog
    TMForm& form = Start({});
    exportar ? form.BExportarClick() : form.BImportarClick();
    ASSERT_THAT(ui_.calls, SizeIs(3));
    EXPECT_THAT(ui_.calls[0], StartsWith("ShowMessage: Se ha terminado una exportación que quedó "
                                         "interrumpida en la carpeta " +
                                         PathToUtf8(xtemp)));
    EXPECT_EQ(ui_.calls[2], kNoExiste);
    EXPECT_EQ(OldTable(), "tabla nueva");
    // The table and the lock file, which stays.
    EXPECT_EQ(std::distance(fs::directory_iterator(xtemp), fs::directory_iterator()), 2);
    EXPECT_TRUE(fs::is_regular_file(xtemp / "PASAHORARIO.BLOQUEO"));
  }
}

TEST_F(TMFormTest, HelpButtonOpensTheContents) {
  TMForm& form = Start({});
  form.Button1Click();
  EXPECT_THAT(ui_.calls, ElementsAre("ShowHelpContents"));
}

TEST(ExchangeDirTest, FindsTheFolderInAnyLetterCase) {
  const testing_support::TempDir temp("exchange_dir");
  const fs::path root = temp.path();
  fs::create_directories(root / "xtemp");
  EXPECT_TRUE(fs::equivalent(FindFolderIgnoringCase(root, "XTEMP"), root / "xtemp"));
  EXPECT_EQ(FindFolderIgnoringCase(root, "OTRA"), root / "OTRA");
  EXPECT_EQ(FindFolderIgnoringCase(root / "no-existe", "XTEMP"), root / "no-existe" / "XTEMP");
}

}  // namespace
}  // namespace pasahorario
