#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

#include "cli_harness.h"
#include "unSerialLink.h"

namespace {

// Moves from the start position, one past servo 2's limit, a pause, a letter playback skips
// and a move to where servo 1 already is.
const std::vector<std::string> kScript{"M;1;150", "M;2;250", "P;0;3", "m;1;5", "M;1;150"};

class PlayOnPty : public ::testing::Test {
 protected:
  PlayOnPty() {
    clock.onSleep = [this] { peer.CatchUp(); };
  }

  CliResult Play(std::vector<std::string> extra = {},
                 const std::function<void(CliEnvironment&)>& adjust = {}) {
    const std::string settings = WriteSettings(dir, "/nonexistent/ttyNone", {{"sv2Maxval", "200"}});
    const std::string script = WriteScript(dir, "arm.vco", kScript);
    std::vector<std::string> words{"play", "--settings", settings, "--port", pty.slavePath()};
    words.insert(words.end(), extra.begin(), extra.end());
    words.push_back(script);
    return RunCliCaptured(words, &clock, adjust);
  }

  TempDir dir;
  PtyPair pty;
  PeerReader peer{pty};
  StopClock clock;
};

const ByteString kAllFrames =
    EncodeServoFrame(1, 150) + EncodeServoFrame(2, 200) + EncodeServoFrame(1, 150);

TEST_F(PlayOnPty, SendsTheFramesAndWaitsOfTheWindowsPlayback) {
  const CliResult r = Play();
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(peer.Bytes(kAllFrames.size()), kAllFrames);
  // 2 ms after each write; 23 and 123 steps of 20 ms (servo 2 waits for the raw 250 though
  // it stops at 200); the pause; nothing for the skipped letter or the move to where it is.
  EXPECT_EQ(clock.sleeps, (std::vector<int64_t>{2, 460, 2, 2460, 3000, 2}));
  EXPECT_TRUE(r.out.empty()) << r.out;
}

TEST_F(PlayOnPty, SpeedScalesTheWaitsAndRepeatPlaysAgainFromWhereTheArmIs) {
  const CliResult r = Play({"--speed", "200", "--repeat", "2"});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  // The first pass at half the waits; the second starts with servo 1 at 150 and servo 2 at
  // 200, so only servo 2's 50 steps to the raw 250 are waited for.
  EXPECT_EQ(clock.sleeps, (std::vector<int64_t>{2, 230, 2, 1230, 1500, 2, 2, 2, 500, 1500, 2}));
  EXPECT_EQ(peer.Bytes(2 * kAllFrames.size()), kAllFrames + kAllFrames);
  for (const char* line :
       {"\npass 1 of 2, command 5 of 5, M;1;150, ", "\npass 2 of 2, command 1 of 5, "}) {
    EXPECT_NE(r.err.find(line), std::string::npos) << r.err;
  }
}

TEST_F(PlayOnPty, ReportsOneLinePerCommandWhenNotOnATerminal) {
  const CliResult r = Play();
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.err,
            "command 1 of 5, M;1;150, 0:00 elapsed, about 0:05 left\n"
            "command 2 of 5, M;2;250, 0:00 elapsed, about 0:05 left\n"
            "command 3 of 5, P;0;3, 0:02 elapsed, about 0:03 left\n"
            "command 4 of 5, m;1;5, 0:05 elapsed, about 0:00 left\n"
            "command 5 of 5, M;1;150, 0:05 elapsed, about 0:00 left\n"
            "played 5 commands in 0:05\n");
}

TEST_F(PlayOnPty, RedrawsOneLineOnATerminalAsTheWaitsPass) {
  const CliResult r = Play({}, [](CliEnvironment& env) { env.errIsTerminal = true; });
  ASSERT_EQ(r.status, kExitOk) << r.err;
  // Waits are cut at whole seconds so the line can show the time passing.
  EXPECT_EQ(clock.sleeps, (std::vector<int64_t>{2, 460, 2, 1000, 1000, 460, 1000, 1000, 1000, 2}));
  // One redrawn line, ended when the run is over, and the summary.
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << r.err;
  EXPECT_NE(r.err.find("\033[K\nplayed 5 commands in 0:05\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("\rcommand 3 of 5, P;0;3, 0:03 elapsed, about 0:02 left\033[K"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(peer.Bytes(kAllFrames.size()), kAllFrames);
}

TEST_F(PlayOnPty, QuietPrintsNothing) {
  const CliResult r = Play({"--quiet"});
  ASSERT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "");
}

TEST_F(PlayOnPty, AStopInsideThePauseEndsAtOnceWithStatus130) {
  clock.stopAtSleep = 4;  // the 3 s pause
  const CliResult r = Play({"--quiet"});
  EXPECT_EQ(r.status, kExitStopped);
  ASSERT_EQ(clock.sleeps.size(), 5u);  // nothing waited after the stop
  // The frames sent before stay sent; the move after the pause never goes out.
  EXPECT_EQ(peer.Bytes(8), EncodeServoFrame(1, 150) + EncodeServoFrame(2, 200));
  EXPECT_EQ(r.err, "vantrel: stopped at command 3 of 5, P;0;3, after 0:02\n");
}

// A W line waits for a line on standard input, here a terminal the test types into.
TEST_F(PlayOnPty, AWaitHoldsTheArmUntilEnterOrEndsWithTheInput) {
  const ByteString first = EncodeServoFrame(1, 150);
  const struct {
    const char* typed;
    bool noWait;
    int status;
    ByteString frames;
    const char* err;
  } cases[] = {
      {"\n", false, kExitOk, first + EncodeServoFrame(1, 127),
       "Waiting: press Enter\ncommand 3 of 3, M;1;127"},
      {nullptr, false, kExitFailure, first,
       "Waiting: press Enter\nvantrel: the input ended while waiting at command 2 of 3, W;0;0"},
      {"", true, kExitOk, first + EncodeServoFrame(1, 127), "command 3 of 3, M;1;127"},
  };
  const std::string script = WriteScript(dir, "wait.vco", {"M;1;150", "W;0;0", "M;1;127"});
  for (const auto& c : cases) {
    PtyPair arm, terminal;
    PeerReader armPeer(arm);
    const int in = ::open(terminal.slavePath().c_str(), O_RDWR | O_NOCTTY);
    // Nothing typed: the terminal goes away.
    c.typed ? terminal.WritePeer(c.typed) : terminal.CloseMaster();
    std::vector<std::string> words{"play", "--settings", WriteSettings(dir, arm.slavePath()),
                                   script};
    if (c.noWait) words.insert(words.begin() + 1, "--no-wait");
    const CliResult r =
        RunCliCaptured(words, nullptr, [in](CliEnvironment& env) { env.inFd = in; });
    ::close(in);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Waiting") == std::string::npos, c.noWait) << r.err;
    EXPECT_EQ(armPeer.Bytes(c.frames.size()), c.frames);
  }
}

TEST_F(PlayOnPty, AStopDuringAMoveWaitSendsNothingMore) {
  clock.stopAtSleep = 1;  // the travel wait of the first move
  const CliResult r = Play();
  EXPECT_EQ(r.status, kExitStopped);
  EXPECT_EQ(clock.sleeps, (std::vector<int64_t>{2, 460}));
  EXPECT_EQ(peer.Bytes(4), EncodeServoFrame(1, 150));
  EXPECT_NE(r.err.find("vantrel: stopped at command 1 of 5, M;1;150, after 0:00\n"),
            std::string::npos)
      << r.err;
}

TEST_F(PlayOnPty, TheSettingsFileIsLeftAsItWas) {
  const std::string before =
      ReadFile(WriteSettings(dir, "/nonexistent/ttyNone", {{"sv2Maxval", "200"}}));
  ASSERT_EQ(Play().status, kExitOk);
  EXPECT_EQ(ReadFile(dir.File("vantrel.ini")), before);
}

TEST(Play, TheVirtualControllerReportsWhatItDecoded) {
  TempDir dir;
  const std::string settings = WriteSettings(dir, "sim", {{"sv3Address", "9"}});
  const std::string script = WriteScript(dir, "arm.vco", {"M;1;140", "M;3;20", "M;6;200"});
  StopClock clock;
  const CliResult r = RunCliCaptured({"play", "--settings", settings, script}, &clock);
  ASSERT_EQ(r.status, kExitOk) << r.err;
  // Servo 3 answers its own address, so the controller moves it too.
  EXPECT_EQ(r.out, "sim: 3 frames, 0 bad frames; servos at 140 127 20 127 127 200\n");
}

TEST(Play, RuntimeErrorsEndWithStatus1AndTheMessage) {
  TempDir dir;
  const std::string settings = WriteSettings(dir, dir.File("no-such-tty"));
  const std::string script = WriteScript(dir, "arm.vco", {"M;1;140"});
  StopClock clock;
  CliResult r = RunCliCaptured({"play", "--settings", settings, script}, &clock);
  EXPECT_EQ(r.status, kExitFailure);
  // The window's message with the port's detail.
  EXPECT_EQ(r.err.rfind("vantrel: Unable to open com port: No such file or directory (error 2) - " +
                            dir.File("no-such-tty"),
                        0),
            0u)
      << r.err;

  r = RunCliCaptured({"play", "--settings", settings, dir.File("missing.vco")}, &clock);
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_EQ(r.err, "vantrel: 1001 :TRobopath: load - " + dir.File("missing.vco") +
                       ": No such file or directory\n");
  EXPECT_TRUE(clock.sleeps.empty());

  r = RunCliCaptured({"play", "--settings", dir.File("none.ini"), script}, &clock);
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_NE(r.err.find("none.ini"), std::string::npos) << r.err;
}

}  // namespace
