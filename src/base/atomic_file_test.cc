#include "base/atomic_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <string>

#include "base/durable_file.h"
#include "base/error.h"
#include "base/system_error.h"
#include "base/utf8_path.h"
#include "support/test_files.h"

namespace pasahorario {
namespace {
namespace fs = std::filesystem;
using ::testing::HasSubstr;
using testing_support::FileBytes;

class AtomicFileTest : public testing::Test {
 protected:
  testing_support::TempDir temp_{"atomic"};
  const fs::path dir_ = temp_.path();
};

TEST_F(AtomicFileTest, ReplacesTheTargetAndLeavesNothingElse) {
  const fs::path target = dir_ / "r.xml";
  WriteFileAtomically(target, "viejo");
  WriteFileAtomically(target, std::string("nuevo\0x", 7));
  EXPECT_EQ(FileBytes(target), std::string("nuevo\0x", 7));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(AtomicFileTest, MissingDirectoryIsAnErrorNamingTheFileAndTheReason) {
  const fs::path target = dir_ / "no-existe" / "r.xml";
  try {
    WriteFileAtomically(target, "x");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_THAT(e.what(), HasSubstr("No se pudo escribir el archivo " + PathToUtf8(target) + ": "));
    // Windows words its reasons itself, in its own language, with the code.
    EXPECT_THAT(e.what(), testing::AnyOf(HasSubstr("no existe el archivo o la carpeta"),
                                         HasSubstr("(código 3)")));
  }
}

TEST_F(AtomicFileTest, StagingPathsAreFreshAndBesideTheTarget) {
  const fs::path target = dir_ / "ASIGT.DBF";
  const fs::path a = StagingPath(target, "nuevo");
  const fs::path b = StagingPath(target, "nuevo");
  EXPECT_NE(a, b);
  EXPECT_EQ(a.parent_path(), dir_);
  EXPECT_EQ(a.filename().string().rfind("ASIGT.DBF.nuevo~", 0), 0u);
}

TEST_F(AtomicFileTest, CreationErrorTriesAndLeavesTheFolderAsItWas) {
  fs::create_directories(dir_ / "llena");
  WriteFileAtomically(dir_ / "llena" / "a.txt", "a");
  EXPECT_FALSE(CreationError(dir_ / "llena"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "llena"), fs::directory_iterator()), 1);
  // A folder that is not there, and a file where the folder should be.
  EXPECT_TRUE(CreationError(dir_ / "no-existe"));
  EXPECT_TRUE(CreationError(dir_ / "llena" / "a.txt"));
  EXPECT_FALSE(fs::exists(dir_ / "no-existe"));
}

TEST_F(AtomicFileTest, AFailedRenameKeepsTheTargetAndNamesBothFiles) {
  const fs::path target = dir_ / "carpeta";
  fs::create_directories(target / "dentro");  // a folder that is not empty cannot be replaced
  try {
    WriteFileAtomically(target, "x");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_THAT(e.what(), HasSubstr("No se pudo sustituir el archivo " + PathToUtf8(target)));
  }
  EXPECT_TRUE(fs::is_directory(target / "dentro"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST(DurableFileTest, AFullDiskSaysSo) {
  const fs::path full = "/dev/full";  // every write fails as on a full disk
  std::error_code ec;
  if (!fs::exists(full, ec)) GTEST_SKIP() << "no /dev/full here";
  try {
    WriteFlushed(full, "x");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_THAT(e.what(), HasSubstr("No se pudo escribir el archivo /dev/full: "));
    EXPECT_THAT(e.what(), HasSubstr("el disco está lleno"));
  }
}

TEST_F(AtomicFileTest, TemporariesLeftByAStoppedWriteAreRemovedAndNothingElse) {
  const fs::path target = dir_ / "Resultado.xml";
  // What a write stopped before its rename leaves, as it names it.
  const fs::path left = StagingPath(target, "nuevo");
  testing_support::WriteBytes(left, "a medias");
  testing_support::WriteBytes(dir_ / "Resultado.xml.nuevo~7-12", "a medias");
  const std::map<std::string, bool> others = {
      {"Resultado.xml", true},
      {"Resultado.xml.nuevo~7-", true},
      {"Resultado.xml.nuevo~x-1", true},
      {"Resultado.xml.nuevo~1-1.bak", true},
      {"Resultado.xml.anterior~1-1", true},
      {"Resultado.xmlx.nuevo~1-1", true},
      {"Otro.xml.nuevo~1-1", true},
      {"Resultado.xml.nuevo~8-8", false},  // a folder: not one of ours
  };
  for (const auto& [name, file] : others) {
    if (file) {
      testing_support::WriteBytes(dir_ / name, name);
    } else {
      fs::create_directory(dir_ / name);
    }
  }
  EXPECT_TRUE(RemoveLeftTemporaries(target).empty());
  EXPECT_FALSE(fs::exists(left));
  EXPECT_FALSE(fs::exists(dir_ / "Resultado.xml.nuevo~7-12"));
  for (const auto& [name, file] : others) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(fs::exists(dir_ / name));
    if (file) {
      EXPECT_EQ(FileBytes(dir_ / name), name);
    }
  }
}

TEST(SystemErrorTextTest, ReasonsUsersMeetAreSpanish) {
  struct Case {
    int error;
    const char* text;
  };
  const Case cases[] = {
      {ENOSPC, "no queda espacio en el disco (el disco está lleno)"},
      {EROFS, "el disco o la carpeta solo admite lectura"},
      {EACCES, "no hay permiso para hacerlo"},
      {EPERM, "no hay permiso para hacerlo"},
      {ENOENT, "no existe el archivo o la carpeta"},
      {EISDIR, "es una carpeta, no un archivo"},
      {ELOOP, "demasiados enlaces"},
      {EIO, "error de entrada/salida del disco"},
      {EBUSY, "está en uso"},
      {ENAMETOOLONG, "el nombre es demasiado largo"},
      {ENOTEMPTY, "es una carpeta y no está vacía"},
      {ENOTDIR, "una parte de la ruta no es una carpeta"},
      {EXDEV, "los dos nombres están en unidades distintas"},
      {EFBIG, "el archivo es demasiado grande"},
      {ENOMEM, "no hay memoria suficiente"},
      {EAGAIN, "otro programa lo tiene bloqueado"},
      {ENXIO, "no es un archivo normal (es una tubería o un dispositivo)"},
      {EINVAL,
       "la operación no es válida para ese nombre (¿una carpeta donde debería haber un archivo, o "
       "al revés?)"},
      {ETIMEDOUT, "se ha perdido la conexión con la unidad de red"},
      {-7, "error del sistema número -7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    EXPECT_EQ(ErrnoText(c.error), c.text);
  }
#ifdef _WIN32
  // The system's own codes: Spanish words whatever the system's language.
  const Case windows[] = {
      {5, "no hay permiso para hacerlo (código 5)"},
      {32, "está abierto en otro programa (código 32)"},
      {39, "no queda espacio en el disco (el disco está lleno) (código 39)"},
      {112, "no queda espacio en el disco (el disco está lleno) (código 112)"},
      {145, "es una carpeta y no está vacía (código 145)"},
      {267,
       "una parte de la ruta no es una carpeta, o es una carpeta donde debería haber un archivo "
       "(código 267)"},
  };
  for (const Case& c : windows) {
    SCOPED_TRACE(c.error);
    EXPECT_EQ(SystemErrorText(std::error_code(c.error, std::system_category())), c.text);
  }
#endif
  EXPECT_EQ(SystemErrorText(std::make_error_code(std::errc::no_space_on_device)),
            ErrnoText(ENOSPC));
}

}  // namespace
}  // namespace pasahorario
