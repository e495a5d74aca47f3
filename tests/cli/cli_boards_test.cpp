// Each board family against its virtual board on the port sim: moves and scripts end at their
// targets, and a board that reports its pose is where the first move starts from.
#include <gtest/gtest.h>

#include <array>
#include <chrono>

#include "cli_harness.h"
#include "virtual_controller.h"

namespace {

std::map<std::string, std::string> BoardSettings(const std::string& family, bool smooth) {
  std::map<std::string, std::string> settings{{"controller", family}};
  // Bus servos at their own rates: a tick of six fits the line.
  if (family == "sts") settings["baudRate"] = "1000000";
  if (family == "lx16a") settings["baudRate"] = "115200";
  if (smooth) settings["motion"] = "smooth";
  for (int s = 1; s <= 6; ++s) {
    settings["sv" + std::to_string(s) + "Speed"] = "100";  // 5 positions a 50 ms tick
    settings["sv" + std::to_string(s) + "Accel"] = "0";
  }
  return settings;
}

// The servo list after `head` on its line of `out` ("servos 1-6 sent to A B ..." and the virtual
// board's "... servos at A B ..."), `none` where there is no such line.
std::string ListAfter(const std::string& out, const std::string& head, const char* none) {
  const size_t at = out.find(head);
  return at == std::string::npos
             ? none
             : out.substr(at + head.size(), out.find('\n', at) - at - head.size());
}
const std::string kBoardAt = "0 bad frames; servos at ";

class BoardFamilyRun : public testing::TestWithParam<const char*> {
 protected:
  CliResult Run(std::vector<std::string> words, bool smooth) {
    words.insert(words.begin() + 1,
                 {"--settings", WriteSettings(dir, "sim", BoardSettings(GetParam(), smooth))});
    return RunCliCaptured(words, &clock);
  }
  TempDir dir;
  StopClock clock;
};

TEST_P(BoardFamilyRun, AMoveAndAScriptEndAtTheirTargets) {
  for (const bool smooth : {false, true}) {
    SCOPED_TRACE(smooth ? "smooth" : "classic");
    CliResult r = Run({"move", "15", "5", "0"}, smooth);
    ASSERT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(ListAfter(r.out, kBoardAt, "?"), ListAfter(r.out, "servos 1-6 sent to ", ""))
        << r.out;
    r = Run({"play", WriteScript(dir, "s.vco", {"M;1;140", "M;3;20", "M;6;200", "M;2;0"})}, smooth);
    ASSERT_EQ(r.status, kExitOk) << r.err;
    const std::string at = ListAfter(r.out, kBoardAt, "?");
    EXPECT_EQ(at.substr(0, at.find(' ')), "140") << r.out;
    EXPECT_EQ(at.substr(at.rfind(' ') + 1), "200") << r.out;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, BoardFamilyRun,
                         testing::Values("vantrel", "ssc32", "maestro", "minissc", "sts", "lx16a"));

class SafeStart : public BoardFamilyRun {};

TEST_P(SafeStart, HomeRampsFromThePoseTheBoardReports) {
  TVirtualServoController& board = TVirtualServoController::Instance();
  // The arm was left far from its home (127) while Vantrel was not looking.
  const std::array<int32_t, 7> far = {0, 20, 230, 40, 200, 10, 250};
  board.SetPose(far.data());
  // At every wait of the run, what the board has taken of the ticks before it.
  std::vector<TVirtualServoController::Snapshot> seen;
  clock.onSleep = [&] {
    for (uint64_t n = ~uint64_t{0}; n != board.State().frames;) {
      n = board.State().frames;
      board.WaitForFrames(n, std::chrono::steady_clock::now() + std::chrono::milliseconds(30));
    }
    seen.push_back(board.State());
  };
  const CliResult r = Run({"home"}, true);
  ASSERT_EQ(r.status, kExitOk) << r.err;
  ASSERT_FALSE(seen.empty());
  auto before = far;
  for (const auto& s : seen) {
    for (int i = 1; i <= 6; ++i) {
      ASSERT_LE(std::abs(s.position[i] - before[i]), 5) << "servo " << i;
      before[i] = s.position[i];
    }
  }
  EXPECT_EQ(seen.back().position[1], 127);
}

INSTANTIATE_TEST_SUITE_P(AnsweringFamilies, SafeStart,
                         testing::Values("ssc32", "maestro", "sts", "lx16a"));

TEST(Read, PrintsThePoseAndHealthTheBoardReports) {
  TempDir dir;
  TVirtualServoController& board = TVirtualServoController::Instance();
  const std::string settings = WriteSettings(dir, "sim", BoardSettings("sts", false));
  StopClock clock;
  // The first run makes the board one of the family; the pose and health set after it stay.
  ASSERT_EQ(RunCliCaptured({"read", "--settings", settings}, &clock).status, kExitOk);
  const int32_t pose[7] = {0, 10, 20, 30, 40, 50, 60};
  board.SetPose(pose);
  board.SetHealth(2, 41, false);
  CliResult r = RunCliCaptured({"read", "--settings", settings}, &clock);
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "servos 1-6 at 10 20 30 40 50 60");
  EXPECT_NE(r.out.find("servo 2: 41 °C, 7.4 V, load 0 %\n"), std::string::npos) << r.out;
  board.SetHealth(2, 35, false);

  board.SetAnswering(4, false);
  r = RunCliCaptured({"read", "--settings", settings}, &clock);
  board.SetAnswering(4, true);
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_NE(r.err.find("Servo 4: the reply is too short or never came"), std::string::npos)
      << r.err;

  r = RunCliCaptured(
      {"read", "--settings", WriteSettings(dir, "sim", BoardSettings("minissc", false))}, &clock);
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_NE(r.err.find("The minissc board does not tell where its servos stand"), std::string::npos)
      << r.err;
}

}  // namespace
