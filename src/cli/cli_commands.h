// The subcommands, each on the options common to all of them. Errors travel out as
// exceptions: UsageError for the command line, anything else for the run.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "arm_gate.h"
#include "board_line.h"
#include "board_reader.h"
#include "cli.h"
#include "cli_args.h"
#include "com_port.h"
#include "motion_config.h"
#include "option_store.h"
#include "pose_store.h"
#include "schedule_clock.h"
#include "script_model.h"
#include "servo_state.h"
#include "unMoveLibrary.h"

int RunPlay(const ParsedArgs& args, CliEnvironment& env);
int RunMove(const ParsedArgs& args, CliEnvironment& env);
int RunCheck(const ParsedArgs& args, CliEnvironment& env);
int RunPorts(const ParsedArgs& args, CliEnvironment& env);
int RunHome(const ParsedArgs& args, CliEnvironment& env);
int RunRead(const ParsedArgs& args, CliEnvironment& env);
int RunServe(const ParsedArgs& args, CliEnvironment& env);

// The settings of this run: the --settings file or the window's. An explicitly named file
// that is not there is an error, and so is any file that is there but cannot be read; the
// window's own may be missing and reads as the built-in values. Keys missing or out of range
// are warned about on `env.err`. Nothing is ever written, not even the user's first copy of
// the shipped defaults.
OptionStore LoadRunSettings(const ParsedArgs& args, const CliEnvironment& env);
// comPort, or the --port given for this run.
std::string RunPortName(const OptionStore& settings, const ParsedArgs& args);

// The workspace and how moves run, as the settings say, for the gate.
GateSettings RunGateSettings(const OptionStore& settings);

// The pose the arm on the run's port starts from: the one remembered for it, else home.
ServoPose RunStartPose(const OptionStore& settings, const ParsedArgs& args);

// The arm as a subcommand drives it: the port set up and opened as the window does it, the
// servos where the arm was left (else at home), the limits, addresses and geometry from the
// settings. The pose sent is remembered for the port.
class CliArm {
 public:
  // Where the board can tell, the servos start from the pose it reports, not from the one
  // remembered (unless `readBack` is false).
  CliArm(const OptionStore& settings, const std::string& portName, bool readBack = true);

  // Frames go out as the window sends them: one write, then the pause on `clock`. After it
  // one question to a board that answers; a servo that reports overload or a temperature
  // over maxServoTemp raises an error naming it, so that nothing more is sent.
  void Send(const ByteString& frames, ScheduleClock& clock);
  const Board& board() const { return board_.board(); }
  // The pose the board last reported; nothing while reading back is off or incomplete.
  std::optional<ServoPose> PoseRead() const {
    return reader_ && reader_->active() ? MeasuredPose(reader_->reading()) : std::nullopt;
  }
  // "servos 1-6 sent to 127 ..." on `out`, and on the virtual controller what it decoded of
  // the `frames` frames sent.
  void ReportSent(std::FILE* out, uint64_t frames) const;
  bool OnVirtualController() const { return virtual_; }
  // Waits (briefly) until the virtual controller has decoded `frames` frames and says what it
  // has seen: "sim: 12 frames, 0 bad frames; servos at 127 140 ...".
  std::string VirtualControllerReport(uint64_t frames) const;

  TComPort port;
  ServoState state;
  ServoTables tables;
  ArmGeometry arm;
  MotionConfig motion;
  // The workspace and how moves run, for the gate the arm's motions go through.
  GateSettings gate;

 private:
  bool virtual_ = false;
  TPoseKeeper keeper_;
  std::optional<BoardReader> reader_;
  int32_t maxCelsius_ = 0;
  BoardLine board_;
  uint64_t framesBefore_ = 0;
  uint64_t badFramesBefore_ = 0;
};

// Takes the arm to `target` through the gate, as the window's Move (along a straight line to
// `along` where the settings ask for one) and Home do, Ctrl-C halting it where it is (status
// 130). Prints the positions the arm received and answers the exit status.
int SendArmTo(CliArm& arm, const Pose& target, CliEnvironment& env,
              const std::optional<ToolPoint>& along = std::nullopt);

// The motion of SendArmTo on `clock`, without a word: false when `halted` stopped it, the arm
// holding the pose last sent. `framesSent`, when given, receives the count of frames sent.
bool DriveArmTo(CliArm& arm, const Pose& target, ScheduleClock& clock, std::function<bool()> halted,
                const std::optional<ToolPoint>& along = std::nullopt,
                uint64_t* framesSent = nullptr);

// Loads the script file into `script`, as the window's Load does.
void LoadScriptFile(const std::string& path, TRoboPath& script);
