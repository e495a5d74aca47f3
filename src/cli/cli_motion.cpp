// Move and Home from the command line: the six frames at once, or a smooth move that Ctrl-C
// halts where it is.
#include <optional>

#include "cli_clock.h"
#include "cli_commands.h"
#include "halting_clock.h"
#include "smooth_move.h"
#include "translate.h"

namespace {

// The arm of a run as a smooth move drives it: no window to update or pump, and once a stop
// is asked for no wait. The tick in progress still goes out, so the pose held is the one
// sent; the move ends after it.
class CliMotionHost : public MotionHost {
 public:
  CliMotionHost(CliArm& arm, CliClock& clock)
      : arm_(arm),
        clock_(clock),
        runClock_(
            clock, [this] { return clock_.StopRequested(); }, ScheduleClock::Duration::max()) {}

  ServoState& servoState() override { return arm_.state; }
  const ServoTables& servoTables() const override { return arm_.tables; }
  void UpdateGauges() override {}
  void PumpEvents() override {}
  ScheduleClock& Clock() override { return runClock_; }
  void SendFrames(const ByteString& frames) override {
    arm_.Send(frames, runClock_);
    framesSent_ += frames.size() / kFrameSize;
  }

  bool Halted() { return runClock_.Halted(); }
  uint64_t framesSent() const { return framesSent_; }

 private:
  CliArm& arm_;
  CliClock& clock_;
  HaltingClock runClock_;
  uint64_t framesSent_ = 0;
};

}  // namespace

int SendArmTo(CliArm& arm, const Pose& target, const ByteString& frames, CliEnvironment& env,
              std::span<const Pose> path) {
  if (!arm.motion.smooth) {
    for (int i = 1; i <= kServoCount; ++i) arm.state.position[i] = target[i];
    arm.Send(frames, env.clock ? *env.clock : SteadyScheduleClock());
    arm.ReportSent(env.out, kServoCount);
    return kExitOk;
  }
  std::optional<SignalClock> signalClock;
  CliClock& clock = env.clock ? *env.clock : signalClock.emplace();
  CliMotionHost host(arm, clock);
  const auto halted = [&] { return host.Halted(); };
  if (!(path.empty() ? MoveSmoothly(host, arm.motion, target, halted)
                     : MoveThrough(host, arm.motion, path, halted))) {
    std::fprintf(env.err, "vantrel: %s\n", Tr("stopped"));
    arm.ReportSent(env.out, host.framesSent());
    return kExitStopped;
  }
  arm.ReportSent(env.out, host.framesSent());
  return kExitOk;
}
