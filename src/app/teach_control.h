// The Teach toggle: records the operator's jogging as a timed script while it is on, and says
// how far it has got.
#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "option_store.h"
#include "teach_recorder.h"

class QAbstractButton;

// The sample interval in ms: the setting "teachInterval".
int TeachIntervalMs(const OptionStore& store);

class TTeachControl {
 public:
  // `say` shows what teaching has done so far; an empty text clears it.
  TTeachControl(QAbstractButton* toggle, std::function<void(const QString&)> say,
                TRoboPath& script);
  ~TTeachControl();

  // Starts with the pose of `state`, sampling on `clock` every `intervalMs`; or stops.
  void Toggle(const ServoState& state, ScheduleClock& clock, int intervalMs);
  void Start(const ServoState& state, ScheduleClock& clock, int intervalMs);
  void Stop();
  bool active() const { return recorder_ && recorder_->active(); }
  int commands() const { return recorder_ ? recorder_->commands() : 0; }
  bool SampleDue() const { return recorder_ && recorder_->Due(); }

  // After each tick's step: samples the positions when a sample is due.
  void Tick(const ServoState& state);
  // Each poll of the stick: a stick that was there and is gone ends teaching.
  void StickRead(bool present);

 private:
  void ShowStatus();

  QAbstractButton* toggle_;
  std::function<void(const QString&)> say_;
  TRoboPath& script_;
  std::unique_ptr<TeachRecorder> recorder_;
  bool stickSeen_ = false;
};
