// The import over solution tables written by another dBase writer,
// python3-dbf, as a host may write them: fields in another order, of other
// types and with others beside them, other code pages, Visual FoxPro; and a
// table that another process holds locked. Runs only where Debian's python3
// with python3-dbf is found (not in the cross build).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "base/error.h"
#include "import/import_test_support.h"
#include "import/importar.h"

namespace pasahorario::import_testing {
namespace {
using testing::ElementsAre;
using testing::HasSubstr;

constexpr char kPython[] = PASAHORARIO_PYTHON3;

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

// A solution whose DIA and HORA are text fields, as the cases that re-encode
// the file need: every row's PROF is then the only text above 127.
constexpr char kTextFields[] =
    "PROF C(10); DIA C(2); HORA C(2); TAREA C(10); AULA C(10); CODGRUPO C(10); ASIG C(10); "
    "NIVEL C(5); CURSO C(3)";

class ImportarPythonDbfTest : public ImportTest {
 protected:
  void SetUp() override {
    ImportTest::SetUp();
    if (std::string(kPython).empty()) GTEST_SKIP() << "sin python3 en esta plataforma";
    if (std::system((std::string(kPython) + " -c 'import dbf' 2>/dev/null").c_str()) != 0) {
      GTEST_SKIP() << "python3-dbf no está instalado";
    }
    WriteWorkTables(xtemp_, {.asignomt = {{{"COD", "T1"}, {"MATERIA", "G100"}}},
                             .proft = {Teacher("PE\xc3\x91"
                                               "A",
                                               "E1"),
                                       Teacher("P2", "E2")},
                             .aulat = {{{"ABREV", "A1"}, {"DEPCENTRO", "D1"}}},
                             .grupost = {{{"ABREV", "G1"}, {"UNIDAD", "U1"}}},
                             .asigt = {{{"CASIG", "S1"}, {"CGRUP", "G1"}, {"MATERIA", "M1"}}},
                             .diashorast = {{{"DIHO", "13"}, {"CODDIHO", "C13"}, {"DIA", "1"}},
                                            {{"DIHO", "25"}, {"CODDIHO", "C25"}, {"DIA", "2"}}}});
    fs::remove(dbf::TablePath(xtemp_, "SOLUC"));  // the host's own comes next
  }

  // Runs `script` with Debian's python3; `background` leaves it running.
  void Python(const std::string& script, bool background = false) {
    const fs::path file = root_ / "script.py";
    WriteBytes(file, script);
    const std::string command =
        std::string(kPython) + " " + Quoted(file) + (background ? " >/dev/null 2>&1 &" : "");
    ASSERT_EQ(std::system(command.c_str()), 0) << script;
  }
};

// Waits up to ten seconds for `file` to exist (or, with `gone`, to vanish).
bool WaitFor(const fs::path& file, bool gone = false) {
  for (int i = 0; i < 200; ++i) {
    if (fs::exists(file) != gone) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

TEST_F(ImportarPythonDbfTest, SolutionTablesOfOtherLayoutsAndCodePages) {
  struct Case {
    const char* name;
    const char* fields;
    const char* type;
    const char* codepage;
    const char* number;  // how DIA and HORA are given: int, str or float
    // Python run on the written file `path` afterwards, as other tools leave
    // a table whose header declares no code page.
    const char* after = "";
    const char* assumed = "";  // what the report says the text was read as
  };
  // The header's code page byte set to 0, and PEÑA re-encoded in UTF-8 (in
  // the same 10 bytes) where the table is to hold UTF-8.
  constexpr char kNoCodePage[] =
      "b = bytearray(open(path, 'rb').read()); b[29] = 0; open(path, 'wb').write(b)\n";
  constexpr char kUtf8[] =
      "b = open(path, 'rb').read().replace(b'PE\\xd1A ', 'PE\\u00d1A'.encode('utf-8'))\n"
      "open(path, 'wb').write(b)\n";
  const std::string cp850_cpg =
      std::string(kNoCodePage) + "open(path[:-4] + '.cpg', 'w').write('850')\n";
  const std::string utf8_cpg =
      std::string(kUtf8) + kNoCodePage +
      "open(os.path.join(os.path.dirname(path), 'SOLUC.CPG'), 'w').write('UTF-8')\n";
  const std::string utf8_alone = std::string(kUtf8) + kNoCodePage;
  const Case cases[] = {
      {"otro orden, campos de más",
       "NOTA C(30); ASIG C(10); CURSO C(3); NIVEL C(5); HORA N(2,0); EXTRA N(5,0); "
       "CODGRUPO C(10); AULA C(10); TAREA C(10); DIA N(2,0); PROF C(10)",
       "db3", "cp1252", "int"},
      {"DIA y HORA de texto, cp850",
       "PROF C(10); DIA C(2); HORA C(2); TAREA C(10); AULA C(10); CODGRUPO C(10); ASIG C(10); "
       "NIVEL C(5); CURSO C(3)",
       "db3", "cp850", "str"},
      {"Visual FoxPro, enteros binarios",
       "PROF C(10); DIA I; HORA I; TAREA C(10); AULA C(10); CODGRUPO C(10); ASIG C(10); "
       "NIVEL C(5); CURSO C(3); PESO B",
       "vfp", "cp1252", "int"},
      {"DIA y HORA con decimales, cp437",
       "PROF C(10); DIA N(3,1); HORA N(4,1); TAREA C(10); AULA C(10); CODGRUPO C(10); "
       "ASIG C(10); NIVEL C(5); CURSO C(3)",
       "db3", "cp437", "float"},
      {"cp850 sin página declarada, con .cpg", kTextFields, "db3", "cp850", "str",
       cp850_cpg.c_str(), "850"},
      {"UTF-8 sin página declarada, con .CPG", kTextFields, "db3", "cp1252", "str",
       utf8_cpg.c_str(), "UTF-8"},
      {"UTF-8 sin página declarada ni .cpg", kTextFields, "db3", "cp1252", "str",
       utf8_alone.c_str(), "UTF-8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const char* name : {"soluc.dbf", "soluc.cpg", "SOLUC.CPG"}) fs::remove(xtemp_ / name);
    fs::remove(result_);
    Python(std::string("import dbf\n") + "t = dbf.Table(" + Quoted(xtemp_ / "soluc.dbf") + ", '" +
           c.fields + "', dbf_type='" + c.type + "', codepage='" + c.codepage + "')\n" +
           "t.open(dbf.READ_WRITE)\n"
           "rows = [('PE\xc3\x91"
           "A', 1, 3, 'T1', 'A1', 'G1', 'S1', 'ESO', '1'),\n"
           "        ('P2', 0, 9, 'X', '', '', '', '', ''),\n"
           "        ('ZZ', 1, 1, '', '', '', '', '', ''),\n"
           "        ('P2', 2, 5, '', '', '', '', '', '')]\n"
           "for p, d, h, ta, au, cg, asg, ni, cu in rows:\n"
           "    t.append(dict(prof=p, dia=" +
           c.number + "(d), hora=" + c.number +
           "(h), tarea=ta,\n"
           "                  aula=au, codgrupo=cg, asig=asg, nivel=ni, curso=cu))\n"
           "t.close()\n"
           "import os\npath = " +
           Quoted(xtemp_ / "soluc.dbf") + "\n" + c.after);
    const ImportSummary summary = Run();
    EXPECT_THAT(Records(delphos::XmlDocument::Load(result_)),
                ElementsAre("EMPLEADO_1 E1|01/09/2020", "  ACTIVIDAD_1 G100|1|C13|D1|U1|M1",
                            "EMPLEADO_2 E2|01/09/2020", "  ACTIVIDAD_1 G439|2|C25|||"));
    EXPECT_EQ(summary.activities, 2);
    std::string assumed;
    for (const Finding& f : summary.report.findings()) {
      if (f.kind == FindingKind::kCodePageAssumed) assumed = f.text;
    }
    if (*c.assumed == '\0') {
      EXPECT_EQ(assumed, "");
    } else {
      EXPECT_THAT(assumed, HasSubstr(c.assumed));
    }
  }
}

TEST_F(ImportarPythonDbfTest, TableLockedByAnotherProcessStopsTheImport) {
  WriteTable(xtemp_, "SOLUC", SolucLayout(), {});
  const fs::path ready = root_ / "bloqueada", release = root_ / "soltar";
  Python(
      "import fcntl, os, time\n"
      "f = open(" +
          Quoted(dbf::TablePath(xtemp_, "SOLUC")) +
          ", 'r+b')\n"
          "fcntl.flock(f, fcntl.LOCK_EX)\n"
          "open(" +
          Quoted(ready) +
          ", 'w').close()\n"
          "end = time.time() + 30\n"
          "while not os.path.exists(" +
          Quoted(release) +
          ") and time.time() < end:\n"
          "    time.sleep(0.05)\n"
          "f.close()\n"
          "os.remove(" +
          Quoted(ready) + ")\n",
      /*background=*/true);
  ASSERT_TRUE(WaitFor(ready)) << "the other process did not take the lock";
  WriteBytes(result_, "resultado anterior");
  EXPECT_THAT([&] { Run(); }, testing::ThrowsMessage<Error>(
                                  testing::AllOf(HasSubstr("SOLUC"), HasSubstr("otro programa"))));
  EXPECT_EQ(FileBytes(result_), "resultado anterior");
  WriteBytes(release, "");
  EXPECT_TRUE(WaitFor(ready, /*gone=*/true));
  EXPECT_NO_THROW(Run());  // the same import once the table is free
}

}  // namespace
}  // namespace pasahorario::import_testing
