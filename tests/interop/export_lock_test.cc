// Locks of another process on the work tables, as the host and other dBase
// programs take them (flock, fcntl record locks, lockf): the export refuses
// to replace a held table and changes nothing; the import's exclusive open
// refuses a held table too.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "base/error.h"
#include "delphos/xml_document.h"
#include "export/exportar.h"
#include "support/test_files.h"
#include "worktables/dbf_table.h"

namespace {
namespace fs = std::filesystem;
using pasahorario::Error;
using pasahorario::testing_support::Snapshot;
using pasahorario::testing_support::TempDir;
using pasahorario::testing_support::WriteBytes;
using ::testing::HasSubstr;

enum class Hold { kFlock, kFcntlWrite, kFcntlRead, kLockf };

// A child process that holds `file` with `hold` until the object goes.
class HeldElsewhere {
 public:
  HeldElsewhere(const fs::path& file, Hold hold) {
    int ready[2], release[2];
    if (pipe(ready) != 0 || pipe(release) != 0) ADD_FAILURE() << "pipe";
    child_ = fork();
    if (child_ == 0) {
      close(ready[0]);
      close(release[1]);
      const int fd = open(file.c_str(), hold == Hold::kFcntlRead ? O_RDONLY : O_RDWR);
      bool held = fd >= 0;
      if (held && hold == Hold::kFlock) held = flock(fd, LOCK_EX | LOCK_NB) == 0;
      if (held && (hold == Hold::kFcntlWrite || hold == Hold::kFcntlRead)) {
        struct flock lock {};
        lock.l_type = hold == Hold::kFcntlWrite ? F_WRLCK : F_RDLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = 0;
        lock.l_len = 1;  // one byte is enough to count as held
        held = fcntl(fd, F_SETLK, &lock) == 0;
      }
      if (held && hold == Hold::kLockf) held = lockf(fd, F_TLOCK, 0) == 0;
      char byte = held ? 'r' : 'x';
      if (write(ready[1], &byte, 1) != 1) _exit(3);
      if (read(release[0], &byte, 1) < 0) _exit(4);
      _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    release_ = release[1];
    char byte = 0;
    EXPECT_EQ(read(ready[0], &byte, 1), 1);
    EXPECT_EQ(byte, 'r') << "the child could not lock " << file;
    close(ready[0]);
  }
  ~HeldElsewhere() {
    close(release_);
    int status = 0;
    waitpid(child_, &status, 0);
  }

 private:
  pid_t child_ = -1;
  int release_ = -1;
};

pasahorario::delphos::XmlDocument SmallExport() {
  return pasahorario::delphos::XmlDocument::Parse(
      "<SERVICIO><SALIDAS><listasal seq=\"MATERIAS\"><listasal><salida>G01</salida>"
      "<salida>MAT</salida><salida>MAT1</salida><salida>Matemáticas</salida></listasal>"
      "</listasal></SALIDAS></SERVICIO>");
}

TEST(ExportLockTest, ATableOrIndexHeldByAnotherProcessStopsTheExportAndNothingChanges) {
  struct Case {
    const char* file;
    Hold hold;
  };
  const Case cases[] = {
      {"ASIGNOMT.DBF", Hold::kFlock},      {"proft.dbf", Hold::kFcntlWrite},
      {"AULAT.DBF", Hold::kFcntlRead},     {"ASIGT.DBF", Hold::kLockf},
      {"ASIGNOMT.MDX", Hold::kFcntlWrite},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const TempDir temp("bloqueo");
    const fs::path dir = temp.path();
    for (const char* name :
         {"ASIGNOMT.DBF", "proft.dbf", "AULAT.DBF", "ASIGT.DBF", "ASIGNOMT.MDX"}) {
      WriteBytes(dir / name, std::string("viejo ") + name);
    }
    const auto before = Snapshot(dir);
    bool asked = false;
    {
      HeldElsewhere held(dir / c.file, c.hold);
      try {
        pasahorario::ExportarTodo(SmallExport(), dir, [&](const std::string& entry) {
          asked = true;
          return entry;
        });
        ADD_FAILURE() << "no error";
      } catch (const Error& e) {
        EXPECT_THAT(e.what(), HasSubstr(std::string("La tabla ") + c.file));
        EXPECT_THAT(e.what(), HasSubstr("está abierta en otro programa, probablemente Tablerix"));
      }
    }
    EXPECT_FALSE(asked);
    EXPECT_EQ(Snapshot(dir), before);
  }
}

TEST(ExportLockTest, TheExclusiveOpenSeesRecordLocks) {
  const TempDir temp("bloqueo");
  pasahorario::dbf::DbfTable(temp.path(), "SOLUC")
      .Create({pasahorario::dbf::TextField("PROF", 10)});
  for (const Hold hold : {Hold::kFcntlWrite, Hold::kFcntlRead, Hold::kLockf}) {
    HeldElsewhere held(temp.path() / "SOLUC.DBF", hold);
    pasahorario::dbf::DbfTable table(temp.path(), "SOLUC");
    EXPECT_THAT([&] { table.Open(pasahorario::dbf::Access::kExclusive); },
                ::testing::ThrowsMessage<Error>(HasSubstr("está abierta en otro programa")));
  }
  // A read lock still lets others read.
  HeldElsewhere held(temp.path() / "SOLUC.DBF", Hold::kFcntlRead);
  pasahorario::dbf::DbfTable table(temp.path(), "SOLUC");
  EXPECT_NO_THROW(table.Open(pasahorario::dbf::Access::kShared));
}

}  // namespace
