// What the window and `vantrel serve` share on the broker: the line of a script sent.
#include "broker_arm.h"

#include <gtest/gtest.h>

#include "errors.h"
#include "fake_arm.h"

namespace {

// An owner whose playback is whatever the test makes it.
class PlayingArm : public BrokerArm {
 public:
  std::function<void(int& line)> play;

 private:
  const ServoState& Servos() const override { return servos_; }
  const ServoTables& Tables() const override { return gate_.workspace.tables; }
  Workspace Reach() const override { return gate_.workspace; }
  const OptionStore& Settings() const override { return settings_; }
  const GateSettings& Gate() const override { return gate_; }
  Pose PlayStart() const override { return PoseOf(servos_); }
  bool Connected() const override { return true; }
  bool Playing() const override { return false; }
  bool Waiting() const override { return false; }
  void Drive(const ServoState&, const std::optional<ToolPoint>&, const HaltCheck&) override {}
  void PlayChecked(const TRoboPath&, const PlayOptions&, const HaltCheck&) override { play(line_); }
  void Resume() override {}

  OptionStore settings_{"/nonexistent/vantrel.ini"};  // every key at its built-in value
  GateSettings gate_ = TestGateSettings(false);
  ServoState servos_;
};

class BrokerArmTest : public testing::Test {
 protected:
  const HaltCheck never_ = [] { return false; };
  PlayingArm arm_;
};

TEST_F(BrokerArmTest, TheLinePlayingIsPublishedAndClearedHoweverPlaybackEnds) {
  int seen = -1;
  arm_.play = [&](int& line) {
    line = 2;
    seen = arm_.State().line;
  };
  arm_.Play("M;1;90\r\nM;2;80\r\n", 100, 1, never_);
  EXPECT_EQ(seen, 2);
  EXPECT_EQ(arm_.State().line, 0);
  arm_.play = [](int& line) {
    line = 1;
    throw EDetailedError("lost");
  };
  EXPECT_THROW(arm_.Play("M;1;90\r\n", 100, 1, never_), EDetailedError);
  EXPECT_EQ(arm_.State().line, 0);
}

}  // namespace
