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

#include "option_store.h"
#include "remote_session.h"

class TfrmVantrel;

class TWindowRemote : public QObject, public RemoteArm {
 public:
  // Nothing when mqttHost is empty. A broker that cannot be reached yet is no error: the
  // link keeps trying.
  static std::unique_ptr<TWindowRemote> Create(TfrmVantrel& window, const OptionStore& settings);
  TWindowRemote(TfrmVantrel& window, const BrokerSettings& broker, SessionOptions options);

  void MovePose(const std::array<int, 6>& pose, const HaltCheck& halted) override;
  void MoveTo(const std::array<double, 3>& xyz, const HaltCheck& halted) override;
  void Home(const HaltCheck& halted) override;
  void Play(const std::string& script, int speedPercent, int repeat,
            const HaltCheck& halted) override;
  void Continue() override;
  void Halt() override;
  RemoteState State() const override;
  std::chrono::milliseconds Tick() const override;

 private:
  // Messages or news of the connection arrived.
  void Wake();
  // Runs a motion of the window for the session, `halted` asked whenever a message comes.
  void Run(const HaltCheck& halted, const std::function<void()>& motion);

  TfrmVantrel& window_;
  BrokerLink link_;
  RemoteSession session_;
  QSocketNotifier wake_;
  QTimer publish_;
  const HaltCheck* running_ = nullptr;  // while a motion of the session runs
  int line_ = 0;
};
