#include "serve_arm.h"

#include <poll.h>

#include <cerrno>
#include <system_error>

#include "halting_clock.h"
#include "playback.h"

namespace {

// Playback for the broker: no window, no progress; a halt ends the wait in progress.
class ServePlayback : public PlaybackHost, public ArmLine {
 public:
  ServePlayback(CliArm& arm, ScheduleClock& clock, const HaltCheck& halted, uint64_t& framesSent,
                int& line, OperatorWait& wait)
      : arm_(arm),
        runClock_(clock, halted, ScheduleClock::Duration::max()),
        framesSent_(framesSent),
        line_(line),
        wait_(wait) {}

  ScheduleClock& Clock() override { return runClock_; }
  bool Halted() override { return runClock_.Halted(); }
  bool Write(const ByteString& frames) override {
    arm_.Send(frames, runClock_);
    framesSent_ += frames.size() / kFrameSize;
    return true;
  }
  void Received(const Pose&, const Pose& now) override {
    for (int s = 1; s <= kServoCount; ++s) arm_.state.position[s] = now[s];
  }
  void CommandStarting(int index, int) override { line_ = index + 1; }
  bool WaitForOperator() override {
    // Nothing goes out meanwhile: the arm holds its pose. Each message wakes the clock, and
    // the halt check takes it, a continue included.
    wait_ = {true, false};
    const auto tick = std::chrono::milliseconds(std::max(1, arm_.motion.tickMs));
    while (!wait_.continued && !runClock_.Halted()) runClock_.SleepFor(tick);
    wait_.waiting = false;
    return wait_.continued && !runClock_.Halted();
  }

 private:
  CliArm& arm_;
  HaltingClock runClock_;
  uint64_t& framesSent_;
  int& line_;
  OperatorWait& wait_;
};

}  // namespace

void ServeClock::SleepUntil(TimePoint when) {
  while (!signals_.StopRequested()) {
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(when - Now()).count();
    if (left <= 0) return;
    const timespec span{static_cast<time_t>(left / 1000000000),
                        static_cast<long>(left % 1000000000)};
    pollfd fds[2] = {{signals_.StopFd(), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    const int ready = ::ppoll(fds, 2, &span, nullptr);
    if (ready < 0 && errno != EINTR) {
      throw std::system_error(errno, std::generic_category(), "ppoll");
    }
    if (ready > 0 && (fds[1].revents & POLLIN)) return;  // a message: the caller looks at it
  }
}

ServeArm::ServeArm(CliArm& arm, const OptionStore& settings, ScheduleClock& clock)
    : arm_(arm), settings_(settings), clock_(clock) {}

void ServeArm::Drive(const ServoState& moved, const std::optional<ToolPoint>& along,
                     const HaltCheck& halted) {
  uint64_t sent = 0;
  DriveArmTo(arm_, PoseOf(moved), clock_, halted, along, &sent);
  framesSent_ += sent;
}

void ServeArm::PlayChecked(const TRoboPath& script, const PlayOptions& options,
                           const HaltCheck& halted) {
  playing_ = true;
  struct Done {
    ServeArm& arm;
    ~Done() {
      arm.playing_ = false;
      arm.wait_ = {};
    }
  } done{*this};
  ServePlayback host(arm_, clock_, halted, framesSent_, line_, wait_);
  ArmGate gate(host);
  gate.Configure(arm_.gate);
  gate.Place(PoseOf(arm_.state));
  PlayScript(script, gate, host, options);
}
