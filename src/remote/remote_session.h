// One arm on the broker: its state published as it changes, at most once a tick, and the
// commands taken one at a time in the order they came, each answered once. A motion runs to its
// end on the caller's thread; while it runs the session is asked between its ticks, and then
// takes a halt at once and refuses other motions as busy, however the network bundled them.
#pragma once

#include <array>
#include <chrono>
#include <deque>
#include <functional>
#include <string>

#include "broker_link.h"
#include "remote_command.h"
#include "remote_state.h"

// Asked at least once a tick while a motion runs, and whenever a message arrives: true ends
// the motion where it stands.
using HaltCheck = std::function<bool()>;

// What the session needs from whoever owns the arm (the window, `vantrel serve`). A refusal or
// failure is raised as an exception carrying the text the window would show.
class RemoteArm {
 public:
  virtual ~RemoteArm() = default;
  virtual void MovePose(const std::array<int, 6>& pose, const HaltCheck& halted) = 0;
  virtual void MoveTo(const std::array<double, 3>& xyz, const HaltCheck& halted) = 0;
  virtual void Home(const HaltCheck& halted) = 0;
  // `repeat` 0: until halted.
  virtual void Play(const std::string& script, int speedPercent, int repeat,
                    const HaltCheck& halted) = 0;
  // Takes up a script waiting to be continued.
  virtual void Continue() = 0;
  // A halt while no command of the session moves the arm: whatever else moves it stops.
  virtual void Halt() {}
  // Pose, read-back, connected, moving, playing and line; the session adds speed and error.
  virtual RemoteState State() const = 0;
  virtual std::chrono::milliseconds Tick() const = 0;
};

struct SessionOptions {
  bool control = false;  // mqttControl
  std::chrono::milliseconds maxAge{2000};
  // A stop of the whole program (Ctrl-C): ends a motion as a halt does.
  std::function<bool()> stopping;
  // Connected, lost: said once each, to the log or the status line.
  std::function<void(const std::string&)> say;
};

class RemoteSession {
 public:
  RemoteSession(BrokerLink& link, RemoteArm& arm, SessionOptions options);

  // Takes everything that arrived and runs it, one command after the other.
  void Serve();
  // Publishes the state when it changed and a tick has passed since the last one.
  void PublishState();
  // True while a command's motion runs.
  bool Busy() const { return busy_; }
  const SessionOptions& options() const { return options_; }

 private:
  using Clock = std::chrono::steady_clock;
  void Handle(const BrokerLink::Message& message);
  void Run(const RemoteCommand& command);
  void Move(const RemoteCommand& command, const HaltCheck& halted);
  // Between the ticks of a motion: takes what arrived, true once a halt came.
  bool BetweenTicks();
  void Answer(const std::string& id, const std::string& error = {});
  void SayNotices();

  // Taken from the link, not yet handled: what came with a motion's command waits here.
  void HandlePending();

  BrokerLink& link_;
  RemoteArm& arm_;
  std::deque<BrokerLink::Message> pending_;
  SessionOptions options_;
  int speed_ = 100;
  std::string lastError_;
  bool busy_ = false;
  bool haltAsked_ = false;
  std::string published_;
  Clock::time_point publishedAt_{};
};
