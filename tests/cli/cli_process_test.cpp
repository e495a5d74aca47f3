// The program itself, started with a subcommand and no display in its environment.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "build_paths.h"
#include "child_process.h"
#include "cli_harness.h"
#include "unSerialLink.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

// The program, started without a display.
class Child : public ChildProcess {
 public:
  explicit Child(const std::vector<std::string>& args, int errFd = -1, int outFd = -1)
      : ChildProcess(ProgramPath(), args, errFd, outFd) {}
};

TEST(Program, HelpListsTheSubcommands) {
  Child child({"--help"});
  ASSERT_EQ(child.Wait(10s), 0);
  for (const char* line : {"play FILE.vco", "move X Y Z", "check FILE.vco", "ports", "serve"}) {
    EXPECT_NE(child.out.find(std::string("  ") + line), std::string::npos) << child.out;
  }
  EXPECT_EQ(child.err, "");
}

TEST(Program, UsageErrorsExitWith2OnStandardError) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"frobnicate"}, {"--frobnicate"}, {"play"}, {"move", "--x", "1"}}) {
    Child child(args);
    EXPECT_EQ(child.Wait(10s), 2) << args[0];
    EXPECT_EQ(child.out, "") << args[0];
    EXPECT_NE(child.err.find("usage: vantrel"), std::string::npos) << child.err;
  }
}

TEST(Program, OptionsBeforeTheCommandAreItsOwn) {
  TempDir dir;
  const std::string settings = WriteSettings(dir, "sim");
  const std::string script = WriteScript(dir, "one.vco", {"M;1;128"});
  Child child({"--settings", settings, "check", script});
  ASSERT_EQ(child.Wait(10s), 0) << child.err;
  EXPECT_EQ(child.out.rfind(script + ": 1 command, ", 0), 0u) << child.out;
  // A word that names no command is no window either.
  Child stray({"--settings", settings, "frobnicate"});
  EXPECT_EQ(stray.Wait(10s), kExitUsage);
  EXPECT_NE(stray.err.find("'frobnicate' is not a vantrel command"), std::string::npos);
}

TEST(Program, ResultsThatCannotBeWrittenExitWith1) {
  TempDir dir;
  const std::string settings = WriteSettings(dir, "sim");
  const std::string script = WriteScript(dir, "one.vco", {"M;1;128"});
  const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
  ASSERT_GE(full, 0);
  Child child({"check", "--settings", settings, script}, -1, full);
  ::close(full);
  EXPECT_EQ(child.Wait(10s), 1);
  EXPECT_NE(child.err.find("Unable to write to standard output - No space left on device"),
            std::string::npos)
      << child.err;
}

class StopSignal : public ::testing::TestWithParam<int> {};

TEST_P(StopSignal, EndsALongPauseAtOnceWithStatus130) {
  TempDir dir;
  PtyPair pty;
  PeerReader peer(pty);
  const std::string settings = WriteSettings(dir, pty.slavePath());
  const std::string script = WriteScript(dir, "long.vco", {"M;1;130", "P;0;255", "M;1;10"});
  Child child({"play", "--settings", settings, script});
  ASSERT_TRUE(child.WaitForError("command 2 of 3, P;0;255", 10s)) << child.err;
  ::kill(child.pid(), GetParam());
  // Far less than the pause: the wait was cut, not slept out.
  EXPECT_EQ(child.Wait(2s), kExitStopped) << child.err;
  EXPECT_NE(child.err.find("vantrel: stopped at command 2 of 3, P;0;255, after 0:00\n"),
            std::string::npos)
      << child.err;
  EXPECT_EQ(peer.Bytes(4), EncodeServoFrame(1, 130));
}

// Smooth: the move stops where it has got to; no frame follows the stop's tick.
TEST_P(StopSignal, HaltsASmoothMoveWhereItIs) {
  TempDir dir;
  PtyPair pty;
  PeerReader peer(pty);
  // 100 positions at 20 a second: 7.5 s on the way.
  const std::string settings =
      WriteSettings(dir, pty.slavePath(), {{"motion", "smooth"}, {"sv3Speed", "20"}});
  const std::string script = WriteScript(dir, "slow.vco", {"M;3;227"});  // the base turns
  Child child({"play", "--settings", settings, script});
  // However long the program takes to start on a busy machine.
  ASSERT_EQ(peer.Bytes(3 * kFrameSize, 10s).size(), 3u * kFrameSize) << child.err;
  ::kill(child.pid(), GetParam());
  EXPECT_EQ(child.Wait(2s), kExitStopped) << child.err;
  const std::string sent = peer.Bytes();
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(peer.Bytes(), sent);
  ASSERT_EQ(sent.size() % kFrameSize, 0u);
  EXPECT_LT(static_cast<uint8_t>(sent[sent.size() - 2]), 227);  // held short of the target
}

INSTANTIATE_TEST_SUITE_P(IntAndTerm, StopSignal, ::testing::Values(SIGINT, SIGTERM));

// The line takes nothing: without the stop the write would wait out its time-out (3 s for a
// frame) and fail with status 1.
TEST_P(StopSignal, EndsAWriteToAStalledLineWithStatus130) {
  TempDir dir;
  PtyPair pty;
  pty.Stall();
  const std::string settings = WriteSettings(dir, pty.slavePath());
  const std::string script = WriteScript(dir, "stalled.vco", {"M;1;130", "M;1;10"});
  Child child({"play", "--settings", settings, script});
  ASSERT_TRUE(child.WaitForError("command 1 of 2, M;1;130", 10s)) << child.err;
  ::kill(child.pid(), GetParam());
  EXPECT_EQ(child.Wait(2s), kExitStopped) << child.err;
  EXPECT_NE(child.err.find("vantrel: stopped at command 1 of 2, M;1;130"), std::string::npos)
      << child.err;
}

// The catalogue the build makes, found beside the program as an installed one is.
TEST(Program, SpeaksGermanWhereTheUserAsksForIt) {
  TempDir dir;
  const std::string settings = WriteSettings(dir, "sim");
  const std::string script = WriteScript(dir, "two.vco", {"M;1;128", "X;1;5"});
  struct Case {
    std::vector<std::string> args;
    int status;
    bool onError;
    std::vector<std::string> german;
    std::vector<std::string> english;
  };
  const Case cases[] = {
      {{"--help"},
       0,
       false,
       {"Aufruf: vantrel [--settings DATEI]", "  check DATEI.vco  ein Skript prüfen, ohne den Arm",
        "„vantrel BEFEHL --help“ zeigt"},
       {"usage", "Without a command", "play a script"}},
      {{"play", "--help"},
       0,
       false,
       {"Optionen:\n  --settings DATEI die Einstellungen", "  --speed PROZENT  mit PROZENT %"},
       {"options:", "Plays the script", "show this help"}},
      {{"check", "--settings", settings, script},
       0,
       false,
       {": 2 Befehle, 0:00 Spielzeit ab den Startpositionen (klassisch; 0:00 sanft)\n",
        "Servo     von      bis  Grenzen\n",
        "Zeile 2: X;1;5: unbekannter Buchstabe, wird beim Abspielen übersprungen\n"},
       {"commands", "servo  lowest", "skipped"}},
      {{"play"}, 2, true, {"vantrel play: Argument fehlt\nAufruf: vantrel play"}, {"missing"}},
  };
  ::setenv("LANGUAGE", "de", 1);
  ::setenv("LC_ALL", "C.UTF-8", 1);
  for (const Case& c : cases) {
    Child child(c.args);
    EXPECT_EQ(child.Wait(10s), c.status) << c.args[0] << child.err;
    const std::string& shown = c.onError ? child.err : child.out;
    for (const std::string& text : c.german)
      EXPECT_NE(shown.find(text), std::string::npos) << shown;
    for (const std::string& text : c.english)
      EXPECT_EQ(shown.find(text), std::string::npos) << shown;
  }
  ::unsetenv("LANGUAGE");
  ::unsetenv("LC_ALL");
}

// What the build command of scripts/run builds includes the German catalogue where the program
// looks for it (which the test above reads from).
TEST(Program, TheBuildOfScriptsRunMakesTheCatalogues) {
  const std::string command = MakeProgram() + " -C " + BuildPath("") +
                              " -t commands $(sed -n 's|.*scripts/build build --target \\([^ "
                              "]*\\).*|\\1|p' " +
                              SourcePath("scripts/run") + ")";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string commands;
  char buffer[4096];
  while (const size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) commands.append(buffer, n);
  EXPECT_EQ(::pclose(pipe), 0);
  EXPECT_NE(commands.find("-o " + ShippedLocaleDir() + "/de/LC_MESSAGES/vantrel.mo"),
            std::string::npos);
}

TEST(Program, TheWindowWithoutADisplaySaysWhatRunsWithoutOne) {
  Child child({});
  EXPECT_EQ(child.Wait(10s), 1);
  EXPECT_EQ(child.err,
            "vantrel: no display; the commands play, move, check and ports run without one "
            "(vantrel --help)\n");
}

TEST(Program, ProgressRedrawsOneLineOnATerminal) {
  TempDir dir;
  PtyPair terminal;
  const std::string settings = WriteSettings(dir, "sim");
  const std::string script = WriteScript(dir, "short.vco", {"M;1;128", "M;2;128"});
  int errFd = ::open(terminal.slavePath().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(errFd, 0);
  Child child({"play", "--settings", settings, script}, errFd);
  ::close(errFd);
  ASSERT_EQ(child.Wait(10s), 0) << child.out;
  const std::string shown = terminal.Drain(200ms);
  EXPECT_NE(shown.find("\rcommand 2 of 2, M;2;128, 0:00 elapsed, about 0:00 left\033[K"),
            std::string::npos)
      << shown;
  EXPECT_EQ(child.out, "sim: 2 frames, 0 bad frames; servos at 128 128 127 127 127 127\n");
}

}  // namespace
