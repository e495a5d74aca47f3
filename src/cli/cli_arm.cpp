// What the subcommands share: the settings of the run and the arm on its port.
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "applied_settings.h"
#include "board_settings.h"
#include "cli_commands.h"
#include "error_report.h"
#include "errors.h"
#include "file_process.h"
#include "home_pose.h"
#include "port_reply_line.h"
#include "servo_link.h"
#include "settings_location.h"
#include "translate.h"
#include "virtual_controller.h"
#include "virtual_devices.h"

namespace {

// "127 140 ...": servos 1 to 6 as the line carries them.
std::string PositionList(const int32_t (&position)[kServoCount + 1]) {
  std::string text;
  for (int i = 1; i <= kServoCount; ++i) {
    if (i > 1) text += ' ';
    text += std::to_string(int{static_cast<uint8_t>(position[i])});
  }
  return text;
}

}  // namespace

OptionStore LoadRunSettings(const ParsedArgs& args, const CliEnvironment& env) {
  std::string path =
      env.defaultSettings.empty() ? FindSettingsFile(PlacesOfThisProgram()) : env.defaultSettings;
  if (args.HasValue("--settings")) {
    // A run never creates the file, so a name that leads nowhere is a mistake worth saying.
    path = args.Value("--settings");
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
      throw EDetailedError(Tr("Cannot read the settings file"), path + ": " + std::strerror(errno));
    }
  }
  OptionStore settings(path, OptionStore::Problems::Keep);
  // A run on other limits and addresses than the user's could drive the arm anywhere.
  if (!settings.readFailure().empty()) throw EDetailedError(settings.readFailure());
  if (const auto& notice = settings.notice()) {
    std::fprintf(env.err, "%s\n", ErrorLine(notice->message, notice->detail).c_str());
  }
  return settings;
}

std::string RunPortName(const OptionStore& settings, const ParsedArgs& args) {
  return args.HasValue("--port") ? args.Value("--port") : settings.ReadOption("comPort");
}

GateSettings RunGateSettings(const OptionStore& settings) {
  const AppliedSettings applied = ReadAppliedSettings(settings);
  // The gate sends the program's own frames; the line turns them into the board's bytes.
  return {WorkspaceOf(settings), applied.motion, applied.moveLine, std::nullopt};
}

ServoPose RunStartPose(const OptionStore& settings, const ParsedArgs& args) {
  RegisterVirtualServoController();
  return StartPose(settings, DevicePathOf(RunPortName(settings, args)));
}

CliArm::CliArm(const OptionStore& settings, const std::string& portName, bool readBack) {
  RegisterVirtualServoController();
  AppliedSettings applied = ReadAppliedSettings(settings);
  applied.line.port = portName;
  tables = settings.tables;
  arm = applied.arm;
  motion = applied.motion;
  gate = RunGateSettings(settings);
  state.servoIncr = applied.servoIncr;
  SetStartPose(state, StartPose(settings, DevicePathOf(portName)));
  PlaceServoPort(port);
  // Nothing here listens to line events; without them the port runs no event thread and
  // needs no event loop.
  port.SetEvents({});
  board_ = BoardLine(applied.board.config, tables);
  virtual_ = IsVirtualPortName(portName);
  if (virtual_) {
    TVirtualServoController& controller = TVirtualServoController::Instance();
    controller.SetAddresses(tables.Address);
    controller.SetBoard(applied.board.config);
    // The virtual arm stands where this run takes the arm to stand, unless its board can tell
    // where it stands itself.
    if (!board().Answers()) controller.SetPose(state.position);
    const auto before = controller.State();
    framesBefore_ = before.frames;
    badFramesBefore_ = before.badFrames;
  }
  ReportBoardProblems(applied.board);
  ConnectServoPort(port, applied.line);
  maxCelsius_ = settings.ReadOptionInt("maxServoTemp");
  if (readBack && board().Answers()) {
    reader_.emplace(board(), true);
    PortReplyLine line(port);
    const auto reading = reader_->ReadAll(line);
    if (!reading) ReportError(reader_->fault());
    // A board with no target yet leaves the arm where it was left.
    if (const auto pose = reading ? MeasuredPose(*reading) : std::nullopt) {
      SetStartPose(state, *pose);
    }
    if (const auto halt = reading ? HealthHalt(*reading, maxCelsius_) : std::nullopt) {
      throw EDetailedError(*halt);
    }
  }
  keeper_.Follow(PoseFolder(), port.DevicePath(), state);
  state.runState = 1;
}

void CliArm::Send(const ByteString& frames, ScheduleClock& clock) {
  WriteServoFrames(port, state, frames, clock, board_);
  keeper_.Sent(frames, tables, TPoseKeeper::Clock::now());
  if (!reader_ || !reader_->active()) return;
  PortReplyLine line(port);
  if (!reader_->ReadNext(line)) ReportError(reader_->fault());
  if (const auto halt = HealthHalt(reader_->reading(), maxCelsius_)) {
    throw EDetailedError(*halt);
  }
}

void CliArm::ReportSent(std::FILE* out, uint64_t frames) const {
  std::fprintf(out, "%s\n",
               TrFormat("servos 1-6 sent to {1}", {PositionList(state.position)}).c_str());
  if (virtual_) std::fprintf(out, "%s\n", VirtualControllerReport(frames).c_str());
}

std::string CliArm::VirtualControllerReport(uint64_t frames) const {
  // The controller reads on its own thread; the last write may still be on its way there.
  const TVirtualServoController& controller = TVirtualServoController::Instance();
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  TVirtualServoController::Snapshot s = controller.State();
  // The counts run on over earlier runs in the same process: this run's share.
  auto decoded = [&] { return s.frames - framesBefore_; };
  auto bad = [&] { return s.badFrames - badFramesBefore_; };
  while (decoded() + bad() < frames && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    s = controller.State();
  }
  return TrFormat("sim: {1} frames, {2} bad frames; servos at {3}",
                  {std::to_string(decoded()), std::to_string(bad()), PositionList(s.position)});
}

void LoadScriptFile(const std::string& path, TRoboPath& script) {
  TFileProcess source;
  source.RecordSource = path;
  script.load(source);
}
