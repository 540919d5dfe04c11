// Two commands started together in one exchange directory, each in its own
// process, in every pairing: one runs, the other is refused at once with
// the Spanish message and touches nothing, and the tables are those of one
// whole export. The one that gets the lock waits (at its file dialog, or at
// its start-time question) until the other has ended, so that every round
// is a real meeting of the two.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>

#include "base/utf8_path.h"
#include "shell/comprobar.h"
#include "shell/scripted_ui.h"
#include "shell/tmform.h"
#include "support/test_files.h"

namespace pasahorario {
namespace {
namespace fs = std::filesystem;
using testing_support::Snapshot;

// How a command of a child process ended, as its exit status.
constexpr int kRan = 0;
constexpr int kRefused = 10;
constexpr int kOther = 20;

// Rounds per pairing; PASAHORARIO_OVERLAP_ROUNDS changes it.
int Rounds() {
  const char* rounds = std::getenv("PASAHORARIO_OVERLAP_ROUNDS");
  return rounds != nullptr ? std::atoi(rounds) : 100;
}

// A pipe, both ends closed when it goes.
struct Pipe {
  int fd[2] = {-1, -1};
  Pipe() { EXPECT_EQ(::pipe(fd), 0); }
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  void CloseRead() {
    if (fd[0] >= 0) ::close(fd[0]);
    fd[0] = -1;
  }
  void CloseWrite() {
    if (fd[1] >= 0) ::close(fd[1]);
    fd[1] = -1;
  }
};

// Where a command stops, once it holds the lock, until it is let go.
enum class Pause { kFileDialog, kStartTime };

struct Command {
  enum Kind { kExport, kImport, kCheck } kind;
  Pause pause = Pause::kFileDialog;
  std::string start_time = "08:00";  // the export's answer
};

// The Ui of a child: at its pause it tells the parent (its number on
// `held`) and waits until the parent writes to `go`.
class PausingUi : public ScriptedUi {
 public:
  PausingUi(Pause pause, char number, int held, int go)
      : pause_(pause), number_(number), held_(held), go_(go) {}
  std::optional<std::string> ChooseXmlFile() override {
    if (pause_ == Pause::kFileDialog) Wait();
    return ScriptedUi::ChooseXmlFile();
  }
  std::string AskStartTime(std::string_view entry) override {
    if (pause_ == Pause::kStartTime) Wait();
    return ScriptedUi::AskStartTime(entry);
  }
  void Wait() {
    if (::write(held_, &number_, 1) != 1) std::_Exit(kOther);
    char byte;
    if (::read(go_, &byte, 1) < 0) std::_Exit(kOther);  // the parent closes it
  }

 private:
  Pause pause_;
  char number_;
  int held_, go_;
};

class CommandOverlapTest : public ::testing::Test {
 protected:
  // Hundreds of exports flush their files; in memory that costs nothing,
  // and the lock works there as on a disk.
  static void SetUpTestSuite() {
    if (::access("/dev/shm", W_OK) == 0) ::setenv("TMPDIR", "/dev/shm", 1);
  }
  void SetUp() override {
    fs::create_directories(xtemp());
    fs::copy_file(fs::path(PASAHORARIO_SOURCE_DIR) / "examples" / "delphos-exportacion.xml",
                  chosen());
    fs::copy_file(fs::path(PASAHORARIO_SOURCE_DIR) / "examples" / "SOLUC.DBF",
                  xtemp() / "SOLUC.DBF");
    // The tables of an export at 09:00 and of one at 08:00, which stay.
    ASSERT_EQ(RunHere({Command::kExport, Pause::kFileDialog, "09:00"}), kRan);
    at_nine_ = Snapshot(xtemp());
    ASSERT_EQ(RunHere({Command::kExport, Pause::kFileDialog, "08:00"}), kRan);
    at_eight_ = Snapshot(xtemp());
    ASSERT_NE(at_eight_, at_nine_);
  }

  fs::path xtemp() const { return root_ / "XTEMP"; }
  fs::path chosen() const { return root_ / "centro.xml"; }
  std::string Refusal() const {
    return "ShowError: Otra exportación o importación está trabajando en la carpeta " +
           PathToUtf8(xtemp()) + "; espere a que termine.";
  }

  // Runs `command` with `ui`; how it ended.
  int Run(const Command& command, ScriptedUi& ui) const {
    ui.files = {PathToUtf8(chosen())};
    ui.start_times = {command.start_time};
    if (command.kind == Command::kCheck) {
      try {
        delphos::XmlDocument doc = delphos::XmlDocument::Load(chosen());
        Comprobar(doc, chosen(), xtemp(),
                  [&ui](const std::string& entry) { return ui.AskStartTime(entry); });
        return kRan;
      } catch (const std::exception& e) {
        const bool busy = std::string(e.what()) ==
                          "La carpeta " + PathToUtf8(xtemp()) +
                              " está ocupada: otra exportación, importación o comprobación está "
                              "trabajando en ella. Vuelva a comprobar cuando termine";
        if (!busy) std::fprintf(stderr, "comprobar: %s\n", e.what());
        return busy && ui.calls.empty() ? kRefused : kOther;
      }
    }
    TMFormOptions options;
    options.exchange_dir = xtemp();
    TMForm form(ui, options);
    command.kind == Command::kExport ? form.BExportarClick() : form.BImportarClick();
    if (form.last_outcome() == CommandOutcome::kCompleted) return kRan;
    // Refused: the error box and nothing else.
    if (ui.calls == std::vector<std::string>{"SetBusy: 0", Refusal()}) return kRefused;
    for (const std::string& call : ui.calls) std::fprintf(stderr, "%s\n", call.c_str());
    return kOther;
  }
  int RunHere(const Command& command) const {
    ScriptedUi ui;
    return Run(command, ui);
  }

  // Starts `a` and `b` together in two processes; the first to hold the
  // lock waits until the other has ended. Checks the outcome; returns the
  // number (0 or 1) of the one that ran.
  int Round(const Command (&commands)[2]) {
    Pipe start, held, go;
    pid_t pid[2];
    for (int i = 0; i < 2; ++i) {
      pid[i] = ::fork();
      if (pid[i] == 0) {
        // Only the parent writes to `start` and `go` and reads `held`, so
        // that their ends are seen as closed when it closes them.
        start.CloseWrite();
        go.CloseWrite();
        held.CloseRead();
        char byte;
        if (::read(start.fd[0], &byte, 1) != 0) std::_Exit(kOther);  // together, at its end
        PausingUi ui(commands[i].pause, static_cast<char>('0' + i), held.fd[1], go.fd[0]);
        std::_Exit(Run(commands[i], ui));
      }
    }
    start.CloseWrite();

    // The one holding the lock says so; the other ends, refused.
    int winner = -1;
    pollfd wait{held.fd[0], POLLIN, 0};
    if (::poll(&wait, 1, 20000) == 1) {
      char number;
      if (::read(held.fd[0], &number, 1) == 1) winner = number - '0';
    }
    int status[2] = {-1, -1};
    if (winner == 0 || winner == 1) {
      // What the one holding the lock has written so far, before its pause.
      const auto before = Snapshot(xtemp());
      const int loser = 1 - winner;
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (::waitpid(pid[loser], &status[loser], WNOHANG) == 0 &&
             std::chrono::steady_clock::now() < deadline) {
        // A second holder would say so on `held` instead of ending.
        pollfd second{held.fd[0], POLLIN, 0};
        if (::poll(&second, 1, 1) == 1) break;
      }
      EXPECT_TRUE(WIFEXITED(status[loser]) && WEXITSTATUS(status[loser]) == kRefused)
          << "the second command was not refused (status " << status[loser] << ")";
      EXPECT_EQ(Snapshot(xtemp()), before) << "the refused command changed the folder";
    } else {
      ADD_FAILURE() << "no command took the lock";
    }
    go.CloseWrite();  // lets the one that waits go on
    for (int i = 0; i < 2; ++i) {
      if (status[i] == -1) ::waitpid(pid[i], &status[i], 0);
    }
    if (winner == 0 || winner == 1) {
      EXPECT_TRUE(WIFEXITED(status[winner]) && WEXITSTATUS(status[winner]) == kRan)
          << "the command that held the lock did not complete";
    }
    return winner;
  }

  // Runs `rounds` rounds of `first` against `second`; after each, the
  // folder holds the six tables of the last export that ran, SOLUC and the
  // lock file, and nothing else.
  void Meet(Command first, Command second) {
    auto current = Snapshot(xtemp());
    for (int round = 0; round < Rounds() && !HasFailure(); ++round) {
      SCOPED_TRACE("round " + std::to_string(round));
      // Exports alternate between the two start times, so that every
      // export that runs changes DIASHORAST.
      const bool eight = current == at_nine_;
      for (Command* c : {&first, &second}) c->start_time = eight ? "08:00" : "09:00";
      if (first.kind == Command::kExport && second.kind == Command::kExport) {
        second.start_time = eight ? "09:00" : "08:00";
      }
      const Command pair[2] = {round % 2 == 0 ? first : second, round % 2 == 0 ? second : first};
      const int winner = Round(pair);
      if (winner < 0) return;
      if (pair[winner].kind == Command::kExport) {
        current = pair[winner].start_time == "08:00" ? at_eight_ : at_nine_;
      }
      EXPECT_EQ(Snapshot(xtemp()), current);
    }
  }

  testing_support::TempDir temp_{"overlap"};
  const fs::path root_ = temp_.path();
  std::map<std::string, std::string> at_eight_, at_nine_;
};

TEST_F(CommandOverlapTest, ExportAgainstExport) {
  Meet({Command::kExport}, {Command::kExport, Pause::kStartTime});
}

TEST_F(CommandOverlapTest, ExportAgainstImport) { Meet({Command::kExport}, {Command::kImport}); }

TEST_F(CommandOverlapTest, ExportAtItsStartTimeQuestionAgainstImport) {
  Meet({Command::kExport, Pause::kStartTime}, {Command::kImport});
}

TEST_F(CommandOverlapTest, ExportAgainstCheck) {
  Meet({Command::kExport}, {Command::kCheck, Pause::kStartTime});
}

}  // namespace
}  // namespace pasahorario
