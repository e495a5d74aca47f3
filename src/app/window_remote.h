// The window on the MQTT broker of mqttHost: its arm's state published, and with mqttControl=1
// commands taken between ticks through the window's own Move, Home and playback. A command
// that comes while the window moves the arm itself, or has a dialog open, is refused as busy;
// a halt stops whatever moves.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>

#include "broker_arm.h"

class TfrmVantrel;

class TWindowRemote : public QObject, public BrokerArm {
 public:
  // Makes `remote` follow the window's settings: a link when mqttHost is set, made anew when
  // the broker settings, mqttControl or mqttMaxAge changed, none when it is empty. A link in
  // use by a command is replaced once the command ends. A broker that cannot be reached yet is
  // no error: the link keeps trying.
  static void Follow(std::unique_ptr<TWindowRemote>& remote, TfrmVantrel& window);
  TWindowRemote(TfrmVantrel& window, const BrokerSettings& broker, SessionOptions options);

  void Halt() override;

 private:
  // Messages or news of the connection arrived.
  void Wake();

  const ServoState& Servos() const override;
  std::optional<ServoPose> PoseRead() const override;
  const ServoTables& Tables() const override;
  Workspace Reach() const override;
  const OptionStore& Settings() const override;
  const GateSettings& Gate() const override;
  Pose PlayStart() const override;
  bool Connected() const override;
  bool Playing() const override;
  bool Waiting() const override;
  // A motion of the window for the session, `halted` asked whenever a message comes.
  void Run(const HaltCheck& halted, const std::function<void()>& motion) override;
  void Drive(const ServoState& moved, const std::optional<ToolPoint>& along,
             const HaltCheck& halted) override;
  void PlayChecked(const TRoboPath& script, const PlayOptions& options,
                   const HaltCheck& halted) override;
  void Resume() override;

  TfrmVantrel& window_;
  BrokerLink link_;
  RemoteSession session_;
  QSocketNotifier wake_;
  QTimer publish_;
  const HaltCheck* running_ = nullptr;  // while a motion of the session runs
  int serving_ = 0;                     // Wake's depth: the link is on the stack meanwhile
};
