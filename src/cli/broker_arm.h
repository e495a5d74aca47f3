// An arm on the broker, the window's or `vantrel serve`'s: where a move, Home or playback of
// the session takes it, and the state it publishes, worked out once; the owner moves the arm.
#pragma once

#include <functional>
#include <optional>

#include "arm_gate.h"
#include "option_store.h"
#include "playback.h"
#include "pose_store.h"
#include "remote_session.h"

// The broker settings: mqttHost, mqttPort, mqttUser, mqttPassword, mqttCaFile, and mqttArm or
// else this machine's name.
BrokerSettings BrokerSettingsOf(const OptionStore& settings);
// mqttControl and mqttMaxAge.
SessionOptions SessionOptionsOf(const OptionStore& settings);

// A script sent as text, read as the window's Load reads a file: through a file of its own,
// so that a bad line is refused with the same words.
void LoadScriptText(const std::string& text, TRoboPath& script);

class BrokerArm : public RemoteArm {
 public:
  void MovePose(const std::array<int, 6>& pose, const HaltCheck& halted) final;
  void MoveTo(const std::array<double, 3>& xyz, const HaltCheck& halted) final;
  void Home(const HaltCheck& halted) final;
  void Play(const std::string& script, int speedPercent, int repeat, const HaltCheck& halted) final;
  void Continue() final;
  RemoteState State() const final;
  std::chrono::milliseconds Tick() const final;

 protected:
  // The servos as last sent.
  virtual const ServoState& Servos() const = 0;
  // The servos as the board reports them; nothing where it does not.
  virtual std::optional<ServoPose> PoseRead() const { return std::nullopt; }
  virtual const ServoTables& Tables() const = 0;
  virtual Workspace Reach() const = 0;
  virtual const OptionStore& Settings() const = 0;
  virtual const GateSettings& Gate() const = 0;
  // Where a script sent starts from, for the check of the tables it crosses.
  virtual Pose PlayStart() const = 0;
  virtual bool Connected() const = 0;
  virtual bool Playing() const = 0;
  virtual bool Waiting() const = 0;

  // Runs a motion of the session; an owner busy with a motion of its own refuses it here.
  virtual void Run(const HaltCheck&, const std::function<void()>& motion) { motion(); }
  // Takes the arm to `moved`, along a straight line to `along` when there is one.
  virtual void Drive(const ServoState& moved, const std::optional<ToolPoint>& along,
                     const HaltCheck& halted) = 0;
  // Plays a script already checked, `line_` kept as it goes.
  virtual void PlayChecked(const TRoboPath& script, const PlayOptions& options,
                           const HaltCheck& halted) = 0;
  // Takes up the script waiting.
  virtual void Resume() = 0;

  int line_ = 0;  // the script line playing, from 1; 0 when none
};
