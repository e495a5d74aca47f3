#include "broker_arm.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <system_error>

#include "cli_commands.h"
#include "errors.h"
#include "home_pose.h"
#include "move_to_point.h"
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

void BrokerArm::MovePose(const std::array<int, 6>& pose, const HaltCheck& halted) {
  Run(halted, [&] {
    ServoPose target{};
    for (int i = 1; i <= kServoCount; ++i) target[i] = pose[i - 1];
    ServoState moved = Servos();
    GoToPose(moved, Tables(), target);
    Drive(moved, std::nullopt, halted);
  });
}

void BrokerArm::MoveTo(const std::array<double, 3>& xyz, const HaltCheck& halted) {
  Run(halted, [&] {
    const std::string x = CoordinateText(xyz[0]), y = CoordinateText(xyz[1]),
                      z = CoordinateText(xyz[2]);
    ServoState moved = Servos();
    MoveWithin(x, y, z, Reach(), moved, MoveRule::Refuse);
    Drive(moved, ParseTarget(x, y, z), halted);
  });
}

void BrokerArm::Home(const HaltCheck& halted) {
  Run(halted, [&] {
    ServoState home = Servos();
    GoToPose(home, Tables(), HomePose(Settings()));
    Drive(home, std::nullopt, halted);
  });
}

void BrokerArm::Play(const std::string& text, int speedPercent, int repeat,
                     const HaltCheck& halted) {
  TRoboPath script;
  LoadScriptText(text, script);
  RefuseTableCrossing(script, PlayStart(), Gate());
  Run(halted, [&] {
    PlayOptions options;
    options.speedPercent = speedPercent;
    options.repeat = repeat;
    struct Done {
      int& line;
      ~Done() { line = 0; }
    } done{line_};
    PlayChecked(script, options, halted);
  });
}

void BrokerArm::Continue() {
  if (!Waiting()) throw EDetailedError(Tr("Nothing is waiting to be continued"));
  Resume();
}

RemoteState BrokerArm::State() const {
  RemoteState state;
  for (int i = 1; i <= kServoCount; ++i) state.pose[i - 1] = Servos().position[i];
  if (const auto read = PoseRead()) {
    state.poseRead.emplace();
    std::copy(read->begin() + 1, read->end(), state.poseRead->begin());
  }
  state.connected = Connected();
  state.playing = Playing();
  state.waiting = Waiting();
  state.line = line_;
  return state;
}

std::chrono::milliseconds BrokerArm::Tick() const {
  return std::chrono::milliseconds(std::max(1, Gate().motion.tickMs));
}
