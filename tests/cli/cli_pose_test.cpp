// home, and the pose each run leaves for the next on its port.
#include <gtest/gtest.h>

#include "cli_harness.h"
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

}  // namespace
