// Move and Home from the command line: the six frames at once, or a smooth move that Ctrl-C
// halts where it is.
#include <optional>

#include "cli_clock.h"
#include "cli_commands.h"
#include "halting_clock.h"
#include "smooth_move.h"
#include "translate.h"

namespace {

// The arm of a run as a smooth move drives it: no window to update or pump, and once a halt
// is asked for no wait. The tick in progress still goes out, so the pose held is the one
// sent; the move ends after it.
class CliMotionHost : public MotionHost {
 public:
  CliMotionHost(CliArm& arm, ScheduleClock& clock, std::function<bool()> halted)
      : arm_(arm), runClock_(clock, std::move(halted), ScheduleClock::Duration::max()) {}

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
  HaltingClock runClock_;
  uint64_t framesSent_ = 0;
};

}  // namespace

bool DriveArmTo(CliArm& arm, const Pose& target, const ByteString& frames, ScheduleClock& clock,
                std::function<bool()> halted, std::span<const Pose> path, uint64_t* framesSent) {
  if (!arm.motion.smooth) {
    for (int i = 1; i <= kServoCount; ++i) arm.state.position[i] = target[i];
    arm.Send(frames, clock);
    if (framesSent) *framesSent = kServoCount;
    return true;
  }
  CliMotionHost host(arm, clock, std::move(halted));
  const auto hostHalted = [&] { return host.Halted(); };
  const bool done = path.empty() ? MoveSmoothly(host, arm.motion, target, hostHalted)
                                 : MoveThrough(host, arm.motion, path, hostHalted);
  if (framesSent) *framesSent = host.framesSent();
  return done;
}

int SendArmTo(CliArm& arm, const Pose& target, const ByteString& frames, CliEnvironment& env,
              std::span<const Pose> path) {
  if (!arm.motion.smooth) {
    DriveArmTo(arm, target, frames, env.clock ? *env.clock : SteadyScheduleClock(), {});
    arm.ReportSent(env.out, kServoCount);
    return kExitOk;
  }
  std::optional<SignalClock> signalClock;
  CliClock& clock = env.clock ? *env.clock : signalClock.emplace();
  uint64_t sent = 0;
  if (!DriveArmTo(
          arm, target, frames, clock, [&] { return clock.StopRequested(); }, path, &sent)) {
    std::fprintf(env.err, "vantrel: %s\n", Tr("stopped"));
    arm.ReportSent(env.out, sent);
    return kExitStopped;
  }
  arm.ReportSent(env.out, sent);
  return kExitOk;
}
