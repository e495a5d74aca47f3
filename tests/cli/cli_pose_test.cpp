// home, and the pose each run leaves for the next on its port.
#include <gtest/gtest.h>

#include <numeric>

#include "cli_harness.h"
#include "motion_plan.h"
#include "pose_store.h"
#include "unSerialLink.h"

namespace {

class ArmOnPty : public ::testing::Test {
 protected:
  ArmOnPty() {
    clock.onSleep = [this] { peer.CatchUp(); };
  }
  CliResult Run(std::vector<std::string> words,
                const std::map<std::string, std::string>& settings = {}) {
    words.insert(words.begin() + 1, {"--settings", WriteSettings(dir, pty.slavePath(), settings)});
    return RunCliCaptured(words, &clock);
  }
  std::optional<ServoPose> Remembered() {
    return ReadRememberedPose(PoseFolder(), pty.slavePath());
  }

  TempDir dir;
  PtyPair pty;
  PeerReader peer{pty};
  StopClock clock;
};

TEST_F(ArmOnPty, HomeSendsEveryServoToItsInitialWithinItsLimits) {
  const CliResult r = Run({"home"}, {{"sv1Initial", "100"},
                                     {"sv2Initial", "300"},
                                     {"sv4Initial", "20"},
                                     {"sv4Minval", "50"},
                                     {"sv6Initial", "0"}});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  // Servo 3 and 5 have none: the middle.
  EXPECT_EQ(r.out, "servos 1-6 sent to 100 254 127 50 127 0\n");
  EXPECT_EQ(peer.Bytes(24), EncodeServoFrame(1, 100) + EncodeServoFrame(2, 254) +
                                EncodeServoFrame(3, 127) + EncodeServoFrame(4, 50) +
                                EncodeServoFrame(5, 127) + EncodeServoFrame(6, 0));
  EXPECT_EQ(clock.sleeps, std::vector<int64_t>{2});
}

TEST_F(ArmOnPty, EachRunStartsWhereTheLastOneLeftTheArmOnThatPort) {
  EXPECT_EQ(Remembered(), std::nullopt);
  ASSERT_EQ(
      Run({"play", "--quiet", WriteScript(dir, "s.vco", {"M;5;50", "M;6;60", "M;1;137"})}).status,
      kExitOk);
  const ServoPose played{0, 137, 127, 127, 127, 50, 60};
  EXPECT_EQ(Remembered(), played);
  // move keeps servos 5 and 6 where they were left.
  CliResult r = Run({"move", "15", "5", "0"});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, "servos 1-6 sent to 169 85 0 212 50 60\n");
  // play measures its first wait from the remembered 169: 19 steps back to 150.
  clock.sleeps.clear();
  r = Run({"play", "--quiet", WriteScript(dir, "t.vco", {"M;1;150"})});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(clock.sleeps, (std::vector<int64_t>{2, 380}));
  const ServoPose moved{0, 150, 85, 0, 212, 50, 60};
  EXPECT_EQ(Remembered(), moved);
  // Another port knows nothing of it.
  EXPECT_EQ(ReadRememberedPose(PoseFolder(), "/dev/ttyOther"), std::nullopt);
}

TEST_F(ArmOnPty, SmoothHomeArrivesOverTicksAndAStopHoldsTheArmWhereItIs) {
  const std::map<std::string, std::string> smooth{
      {"motion", "smooth"}, {"sv1Speed", "100"}, {"sv1Initial", "27"}, {"sv2Initial", "137"}};
  // Where the arm was left; without it the arm would be taken to stand at home already.
  ASSERT_TRUE(
      WriteRememberedPose(PoseFolder(), pty.slavePath(), {0, 127, 127, 127, 127, 127, 127}));
  CliResult r = Run({"home"}, smooth);
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, "servos 1-6 sent to 27 137 127 127 127 127\n");
  // Servo 1 needs 1.5 s under its limit and servo 2 keeps pace: 75 ticks of 20 ms, the last
  // step coming before the last tick. Only servos that moved are on the line.
  EXPECT_EQ(std::accumulate(clock.sleeps.begin(), clock.sleeps.end(), int64_t{0}), 1500);
  const std::string sent = peer.Bytes();
  ASSERT_GT(sent.size(), 20u * kFrameSize);
  Pose last{};
  for (size_t i = 0; i + kFrameSize <= sent.size(); i += kFrameSize) {
    const int servo = static_cast<uint8_t>(sent[i + 1]) - kAddressOffset;
    ASSERT_TRUE(servo == 1 || servo == 2) << servo;
    last[servo] = static_cast<uint8_t>(sent[i + 2]);
  }
  EXPECT_EQ(last[1], 27);
  EXPECT_EQ(last[2], 137);

  // Back up, stopped after ten ticks: no frame more, and the pose held is the one sent.
  clock.sleeps.clear();
  clock.stopAtSleep = 20;
  const size_t before = sent.size();
  r = Run(
      {"home"},
      {{"motion", "smooth"}, {"sv1Speed", "100"}, {"sv1Initial", "227"}, {"sv2Initial", "137"}});
  EXPECT_EQ(r.status, kExitStopped);
  const std::string stopped = peer.Bytes().substr(before);
  ASSERT_FALSE(stopped.empty());
  const int held = static_cast<uint8_t>(stopped[stopped.size() - 2]);
  EXPECT_GT(held, 27);
  EXPECT_LT(held, 227);
  EXPECT_EQ(r.out, "servos 1-6 sent to " + std::to_string(held) + " 137 127 127 127 127\n");
  EXPECT_EQ(Remembered(), (ServoPose{0, held, 137, 127, 127, 127, 127}));
}

}  // namespace
