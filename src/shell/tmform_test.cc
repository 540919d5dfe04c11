#include "shell/tmform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "shell/exchange_dir.h"
#include "shell/scripted_ui.h"
#include "shell/utf8_path.h"

namespace pasahorario {
namespace {
namespace fs = std::filesystem;

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
    root_ = fs::temp_directory_path() /
            ("tmform_test_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "XTEMP");
    // Tables a previous export left; a failing command must not touch them.
    Write(root_ / "XTEMP" / "ASIGNOMT.DBF", "tabla anterior");
  }
  void TearDown() override { fs::remove_all(root_); }

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
  std::string NotDelphos() const { return File("otro.xml", "<?xml version=\"1.0\"?><OTRO/>"); }

  static std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static void Write(const fs::path& file, std::string_view bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
  }
  std::string OldTable() const { return Read(root_ / "XTEMP" / "ASIGNOMT.DBF"); }

  fs::path root_;
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
      {"barra /", "barra /."},                           // '/' is above '.'
      {"acción", "acción."},                             // a letter beyond ASCII
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

TEST_F(TMFormTest, MissingFileEndsTheCommandAndHostedReportsItsStatus) {
  struct Case {
    std::string_view mode;
    bool hosted;
    int32_t status;  // after the command
  };
  const Case cases[] = {
      {"exportar", true, -1}, {"importar", true, 0}, {"exportar", false, 0}, {"importar", false, 0}};
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
      EXPECT_THAT(ui_.calls, ElementsAre("EmbedIn: 6699", "RemoveFrame", "ChooseXmlFile",
                                         kNoExiste, "CloseMainWindow"));
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
  EXPECT_THAT(ui_.calls, ElementsAre("ChooseXmlFile", "SetBusy: 1", "SetBusy: 0",
                                     testing::AllOf(StartsWith("ShowError: "),
                                                    HasSubstr("DELPHOS"), EndsWith("."))));
  EXPECT_EQ(OldTable(), "tabla anterior");

  // The import's load error is the same kind of failure.
  ui_.calls.clear();
  ui_.files = {Broken()};
  form.BImportarClick();
  EXPECT_THAT(ui_.calls, ElementsAre("ChooseXmlFile", "SetBusy: 1", "SetBusy: 0",
                                     StartsWith("ShowError: ")));
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
  EXPECT_THAT(ui_.CallsStartingWith("ShowError"), ElementsAre(first_error, first_error, first_error));
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
      {"exportar", {"ChooseXmlFile", std::string(kNoExiste), "CloseMainWindow"}, closed_with + "-1\r\n"},
      {"EXPORTAR", {"ChooseXmlFile", std::string(kNoExiste), "CloseMainWindow"}, closed_with + "-1\r\n"},
      {"Importar", {"ChooseXmlFile", std::string(kNoExiste), "CloseMainWindow"}, closed_with + "0\r\n"},
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

TEST_F(TMFormTest, HelpButtonOpensTheContents) {
  TMForm& form = Start({});
  form.Button1Click();
  EXPECT_THAT(ui_.calls, ElementsAre("ShowHelpContents"));
}

TEST(ExchangeDirTest, FindsTheFolderInAnyLetterCase) {
  const fs::path root = fs::temp_directory_path() / "exchange_dir_test";
  fs::remove_all(root);
  fs::create_directories(root / "xtemp");
  EXPECT_TRUE(fs::equivalent(FindFolderIgnoringCase(root, "XTEMP"), root / "xtemp"));
  EXPECT_EQ(FindFolderIgnoringCase(root, "OTRA"), root / "OTRA");
  EXPECT_EQ(FindFolderIgnoringCase(root / "no-existe", "XTEMP"), root / "no-existe" / "XTEMP");
  fs::remove_all(root);
}

}  // namespace
}  // namespace pasahorario
