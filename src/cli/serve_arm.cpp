#include "serve_arm.h"

#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <system_error>

#include "applied_settings.h"
#include "errors.h"
#include "halting_clock.h"
#include "home_pose.h"
#include "move_to_point.h"
#include "playback.h"
#include "table_check.h"
#include "translate.h"

namespace {

std::string HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0 || !*name) return "vantrel";
  return name;
}

// Locale-free, so that the coordinate reads back as the number sent.
std::string CoordinateText(double value) {
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

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

void LoadScriptText(const std::string& text, TRoboPath& script) {
  char path[] = "/tmp/vantrel-script-XXXXXX";
  const int fd = ::mkstemp(path);
  if (fd < 0) throw std::system_error(errno, std::generic_category(), "mkstemp");
  struct Removed {
    const char* path;
    ~Removed() { ::unlink(path); }
  } removed{path};
  std::string_view left = text;
  while (!left.empty()) {
    const ssize_t n = ::write(fd, left.data(), left.size());
    if (n <= 0) {
      ::close(fd);
      throw std::system_error(errno, std::generic_category(), "write");
    }
    left.remove_prefix(static_cast<size_t>(n));
  }
  ::close(fd);
  try {
    LoadScriptFile(path, script);
  } catch (EDetailedError& e) {
    // The file is ours, not the sender's: its name would only puzzle.
    std::string detail = e.detail();
    const std::string name = path;
    for (size_t at = detail.find(name); at != std::string::npos; at = detail.find(name, at)) {
      detail.replace(at, name.size(), Tr("the script sent"));
    }
    e.SetDetail(detail);
    throw;
  }
}

BrokerSettings BrokerSettingsOf(const OptionStore& settings) {
  BrokerSettings broker;
  broker.host = settings.ReadOption("mqttHost");
  broker.port = static_cast<int>(settings.ReadOptionInt("mqttPort"));
  broker.arm = settings.ReadOption("mqttArm");
  if (broker.arm.empty()) broker.arm = HostName();
  broker.user = settings.ReadOption("mqttUser");
  broker.password = settings.ReadOption("mqttPassword");
  broker.caFile = settings.ReadOption("mqttCaFile");
  return broker;
}

SessionOptions SessionOptionsOf(const OptionStore& settings) {
  SessionOptions options;
  options.control = settings.ReadOptionInt("mqttControl") == 1;
  options.maxAge = std::chrono::seconds(settings.ReadOptionInt("mqttMaxAge"));
  return options;
}

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

void ServeArm::Drive(const ServoState& moved, const HaltCheck& halted,
                     const std::optional<ToolPoint>& along) {
  uint64_t sent = 0;
  DriveArmTo(arm_, PoseOf(moved), clock_, halted, along, &sent);
  framesSent_ += sent;
}

void ServeArm::MovePose(const std::array<int, 6>& pose, const HaltCheck& halted) {
  ServoPose target{};
  for (int i = 1; i <= kServoCount; ++i) target[i] = pose[i - 1];
  ServoState moved = arm_.state;
  GoToPose(moved, arm_.tables, target);
  Drive(moved, halted);
}

void ServeArm::MoveTo(const std::array<double, 3>& xyz, const HaltCheck& halted) {
  ServoState moved = arm_.state;
  const std::string x = CoordinateText(xyz[0]), y = CoordinateText(xyz[1]),
                    z = CoordinateText(xyz[2]);
  MoveWithin(x, y, z, WorkspaceOf(settings_), moved, MoveRule::Refuse);
  Drive(moved, halted, ParseTarget(x, y, z));
}

void ServeArm::Home(const HaltCheck& halted) {
  ServoState home = arm_.state;
  GoToPose(home, arm_.tables, HomePose(settings_));
  Drive(home, halted);
}

void ServeArm::Play(const std::string& text, int speedPercent, int repeat,
                    const HaltCheck& halted) {
  TRoboPath script;
  LoadScriptText(text, script);
  RefuseTableCrossing(script, PoseOf(arm_.state), arm_.gate);
  PlayOptions options;
  options.speedPercent = speedPercent;
  options.repeat = repeat;
  playing_ = true;
  struct Done {
    ServeArm& arm;
    ~Done() {
      arm.playing_ = false;
      arm.line_ = 0;
      arm.wait_ = {};
    }
  } done{*this};
  ServePlayback host(arm_, clock_, halted, framesSent_, line_, wait_);
  ArmGate gate(host);
  gate.Configure(arm_.gate);
  gate.Place(PoseOf(arm_.state));
  PlayScript(script, gate, host, options);
}

void ServeArm::Continue() {
  if (!wait_.waiting) throw EDetailedError(Tr("Nothing is waiting to be continued"));
  wait_.continued = true;
}

RemoteState ServeArm::State() const {
  RemoteState state;
  for (int i = 1; i <= kServoCount; ++i) state.pose[i - 1] = arm_.state.position[i];
  state.connected = arm_.port.Connected();
  state.playing = playing_;
  state.waiting = wait_.waiting;
  state.line = line_;
  return state;
}

std::chrono::milliseconds ServeArm::Tick() const {
  return std::chrono::milliseconds(std::max(1, arm_.motion.tickMs));
}
