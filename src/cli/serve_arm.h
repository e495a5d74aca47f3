// The arm of `vantrel serve` as the broker session drives it: moves, Home and playback on the
// run's port, every wait ending early when a message arrives so a halt is taken at once.
#pragma once

#include <memory>
#include <optional>

#include "broker_arm.h"
#include "cli_clock.h"
#include "cli_commands.h"

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

class ServeArm : public BrokerArm {
 public:
  ServeArm(CliArm& arm, const OptionStore& settings, ScheduleClock& clock);

  uint64_t framesSent() const { return framesSent_; }

 private:
  const ServoState& Servos() const override { return arm_.state; }
  std::optional<ServoPose> PoseRead() const override { return arm_.PoseRead(); }
  const ServoTables& Tables() const override { return arm_.tables; }
  Workspace Reach() const override { return arm_.gate.workspace; }
  const OptionStore& Settings() const override { return settings_; }
  const GateSettings& Gate() const override { return arm_.gate; }
  Pose PlayStart() const override { return PoseOf(arm_.state); }
  bool Connected() const override { return arm_.port.Connected(); }
  bool Playing() const override { return playing_; }
  bool Waiting() const override { return wait_.waiting; }
  void Drive(const ServoState& moved, const std::optional<ToolPoint>& along,
             const HaltCheck& halted) override;
  void PlayChecked(const TRoboPath& script, const PlayOptions& options,
                   const HaltCheck& halted) override;
  void Resume() override { wait_.continued = true; }

  CliArm& arm_;
  const OptionStore& settings_;
  ScheduleClock& clock_;
  uint64_t framesSent_ = 0;
  bool playing_ = false;
  OperatorWait wait_;
};
