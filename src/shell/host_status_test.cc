#include "shell/host_status.h"

#include <gtest/gtest.h>

#include <string>

#include "base/error.h"
#include "base/utf8_path.h"
#include "shell/ini_file.h"
#include "support/test_files.h"

namespace pasahorario {
namespace {
namespace fs = std::filesystem;

TEST(SetIniValueTest, ChangesOnlyTheOneValue) {
  struct Case {
    std::string_view name, before, after;
  };
  const Case cases[] = {
      {"empty file", "", "[Transformadores]\r\nTransformado=1\r\n"},
      {"replaces the value, keeps CRLF and the rest",
       "[Otros]\r\nTransformado=9\r\n[Transformadores]\r\nAntes=a\r\nTransformado=-1\r\nDespues="
       "b\r\n",
       "[Otros]\r\nTransformado=9\r\n[Transformadores]\r\nAntes=a\r\nTransformado=1\r\nDespues="
       "b\r\n"},
      {"names matched without case or blanks, spelling kept",
       "  [ TRANSFORMADORES ]\nTRANSFORMADO = 0   \n", "  [ TRANSFORMADORES ]\nTRANSFORMADO = 1\n"},
      {"LF file, key added after the section's last line, blank lines stay",
       "[Transformadores]\nOtra=2\n\n[Siguiente]\nx=1\n",
       "[Transformadores]\nOtra=2\nTransformado=1\n\n[Siguiente]\nx=1\n"},
      {"section added at the end, missing final line end supplied",
       "; comentario\r\n[Tablerix]\r\nRuta=C:\\TX",
       "; comentario\r\n[Tablerix]\r\nRuta=C:\\TX\r\n[Transformadores]\r\nTransformado=1\r\n"},
      {"key added to a last section without final line end", "[Transformadores]\r\nOtra=2",
       "[Transformadores]\r\nOtra=2\r\nTransformado=1\r\n"},
      {"only the first of two equal sections and keys",
       "[Transformadores]\nTransformado=0\nTransformado=0\n[transformadores]\nTransformado=0\n",
       "[Transformadores]\nTransformado=1\nTransformado=0\n[transformadores]\nTransformado=0\n"},
      {"a key of the same name in another section is not touched", "[A]\nTransformado=0\n",
       "[A]\nTransformado=0\n[Transformadores]\nTransformado=1\n"},
      {"similar names do not match",
       "[Transformadores2]\nTransformado=0\n[Transformadores]\nTransformados=0\n",
       "[Transformadores2]\nTransformado=0\n[Transformadores]\nTransformados=0\nTransformado=1\n"},
      {"empty value replaced", "[Transformadores]\r\nTransformado=\r\n",
       "[Transformadores]\r\nTransformado=1\r\n"},
      {"UTF-8 byte-order mark before the first section",
       "\xEF\xBB\xBF[Transformadores]\nTransformado=0\n",
       "\xEF\xBB\xBF[Transformadores]\nTransformado=1\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SetIniValue(c.before, "Transformadores", "Transformado", "1"), c.after);
  }
}

class HostStatusTest : public ::testing::Test {
 protected:
  static std::string Read(const fs::path& file) { return testing_support::FileBytes(file); }
  static void Write(const fs::path& file, std::string_view bytes) {
    testing_support::WriteBytes(file, std::string(bytes));
  }

  testing_support::TempDir temp_{"host_status"};
  const fs::path dir_ = temp_.path();
};

TEST_F(HostStatusTest, IniPathIsBesideTheExecutable) {
  EXPECT_EQ(HostIniPath(dir_ / "Pasahorario.exe"), dir_ / "Tablerix.ini");
}

TEST_F(HostStatusTest, WritesEachStatusInDecimalAndKeepsTheRestOfTheFile) {
  const fs::path ini = dir_ / "Tablerix.ini";
  Write(ini, "[Tablerix]\r\nIdioma=es\r\n");
  WriteHostStatus(ini, -1, WriteIniValue);
  EXPECT_EQ(Read(ini), "[Tablerix]\r\nIdioma=es\r\n[Transformadores]\r\nTransformado=-1\r\n");
  WriteHostStatus(ini, 0, WriteIniValue);
  WriteHostStatus(ini, 1, WriteIniValue);
  EXPECT_EQ(Read(ini), "[Tablerix]\r\nIdioma=es\r\n[Transformadores]\r\nTransformado=1\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1)
      << "no temporary file left behind";
}

TEST_F(HostStatusTest, CreatesTheFileInAFolderWithAccents) {
  const fs::path folder = dir_ / PathFromUtf8("Año lectivo");
  fs::create_directory(folder);
  WriteHostStatus(folder / "Tablerix.ini", 0, WriteIniValue);
  EXPECT_EQ(Read(folder / "Tablerix.ini"), "[Transformadores]\r\nTransformado=0\r\n");
}

TEST_F(HostStatusTest, FailedWriteNamesTheFileAndChangesNothing) {
  const fs::path missing_dir = dir_ / "no-existe" / "Tablerix.ini";
  try {
    WriteHostStatus(missing_dir, 1, WriteIniValue);
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + PathToUtf8(missing_dir));
  }

  // A UTF-16 file is not ours to edit: refused and left byte for byte.
  const fs::path utf16 = dir_ / "Tablerix.ini";
  const std::string bytes("\xFF\xFE[\0T\0]\0\r\0\n\0", 12);
  Write(utf16, bytes);
  EXPECT_THROW(WriteHostStatus(utf16, 1, WriteIniValue), Error);
  EXPECT_EQ(Read(utf16), bytes);

  // A writer that fails (as the system's may) gives the same error.
  const IniWriter failing = [](const fs::path&, std::string_view, std::string_view,
                               std::string_view) { return false; };
  EXPECT_THROW(WriteHostStatus(dir_ / "x.ini", 1, failing), Error);
}

}  // namespace
}  // namespace pasahorario
