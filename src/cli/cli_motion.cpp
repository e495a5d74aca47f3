// Move and Home from the command line and from the broker: through the gate, as the window
// moves the arm, a halt holding it where it is.
#include <optional>

#include "cli_clock.h"
#include "cli_commands.h"
#include "halting_clock.h"
#include "translate.h"

namespace {

// The port of a run as the gate writes to it; once a halt is asked for, no wait lasts.
class CliLine : public ArmLine {
 public:
  CliLine(CliArm& arm, ScheduleClock& clock, std::function<bool()> halted)
      : arm_(arm), runClock_(clock, std::move(halted), ScheduleClock::Duration::max()) {}

  bool Write(const ByteString& frames) override {
    arm_.Send(frames, runClock_);
    framesSent_ += frames.size() / kFrameSize;
    return true;
  }
  ScheduleClock& Clock() override { return runClock_; }
  bool Halted() override { return runClock_.Halted(); }
  uint64_t framesSent() const { return framesSent_; }

 private:
  CliArm& arm_;
  HaltingClock runClock_;
  uint64_t framesSent_ = 0;
};

}  // namespace

bool DriveArmTo(CliArm& arm, const Pose& target, ScheduleClock& clock, std::function<bool()> halted,
                const std::optional<ToolPoint>& along, uint64_t* framesSent) {
  CliLine line(arm, clock, std::move(halted));
  ArmGate gate(line);
  gate.Configure(arm.gate);
  gate.Place(PoseOf(arm.state));
  // What is reported is what the arm received, also after a failed write.
  const auto keep = [&] {
    for (int s = 1; s <= kServoCount; ++s) arm.state.position[s] = gate.received()[s];
    if (framesSent) *framesSent = line.framesSent();
  };
  bool done = false;
  try {
    done = gate.MoveTo(target, along);
  } catch (...) {
    keep();
    throw;
  }
  keep();
  return done;
}

int SendArmTo(CliArm& arm, const Pose& target, CliEnvironment& env,
              const std::optional<ToolPoint>& along) {
  std::optional<SignalClock> signalClock;
  CliClock& clock = env.clock ? *env.clock : signalClock.emplace();
  uint64_t sent = 0;
  const bool done = DriveArmTo(
      arm, target, clock, [&] { return clock.StopRequested(); }, along, &sent);
  if (!done) std::fprintf(env.err, "vantrel: %s\n", Tr("stopped"));
  arm.ReportSent(env.out, sent);
  return done ? kExitOk : kExitStopped;
}
