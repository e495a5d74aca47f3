// The arm of `vantrel serve` as the broker session drives it: moves, Home and playback on the
// run's port, every wait ending early when a message arrives so a halt is taken at once.
#pragma once

#include <memory>
#include <optional>

#include "cli_clock.h"
#include "cli_commands.h"
#include "remote_session.h"

// The broker settings: mqttHost, mqttPort, mqttUser, mqttPassword, mqttCaFile, and mqttArm or
// else this machine's name.
BrokerSettings BrokerSettingsOf(const OptionStore& settings);
// mqttControl and mqttMaxAge.
SessionOptions SessionOptionsOf(const OptionStore& settings);

// A script sent as text, read as the window's Load reads a file: through a file of its own,
// so that a bad line is refused with the same words.
void LoadScriptText(const std::string& text, TRoboPath& script);

// The steady clock, its waits ending when `signals` asks for a stop or `wakeFd` turns readable.
class ServeClock : public CliClock {
 public:
  ServeClock(CliClock& signals, int wakeFd) : signals_(signals), wakeFd_(wakeFd) {}
  TimePoint Now() override { return Clock::now(); }
  void SleepUntil(TimePoint when) override;
  bool StopRequested() override { return signals_.StopRequested(); }
  int StopFd() const override { return signals_.StopFd(); }

 private:
  CliClock& signals_;
  int wakeFd_;
};

// A W line of a script played for the broker, held until a continue comes.
struct OperatorWait {
  bool waiting = false;
  bool continued = false;
};

class ServeArm : public RemoteArm {
 public:
  ServeArm(CliArm& arm, const OptionStore& settings, ScheduleClock& clock);

  void MovePose(const std::array<int, 6>& pose, const HaltCheck& halted) override;
  void MoveTo(const std::array<double, 3>& xyz, const HaltCheck& halted) override;
  void Home(const HaltCheck& halted) override;
  void Play(const std::string& script, int speedPercent, int repeat,
            const HaltCheck& halted) override;
  void Continue() override;
  RemoteState State() const override;
  std::chrono::milliseconds Tick() const override;

  uint64_t framesSent() const { return framesSent_; }

 private:
  void Drive(const ServoState& moved, const HaltCheck& halted,
             const std::optional<ToolPoint>& along = std::nullopt);

  CliArm& arm_;
  const OptionStore& settings_;
  ScheduleClock& clock_;
  uint64_t framesSent_ = 0;
  bool playing_ = false;
  int line_ = 0;
  OperatorWait wait_;
};
