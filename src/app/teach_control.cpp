#include "teach_control.h"

#include <QAbstractButton>

#include "translate.h"

int TeachIntervalMs(const OptionStore& store) {
  // The store fills in the built-in value and keeps it in range.
  return store.ReadOptionInt("teachInterval");
}

TTeachControl::TTeachControl(QAbstractButton* toggle, std::function<void(const QString&)> say,
                             TRoboPath& script)
    : toggle_(toggle), say_(std::move(say)), script_(script) {
  toggle_->setCheckable(true);
}

TTeachControl::~TTeachControl() = default;

void TTeachControl::Toggle(const ServoState& state, ScheduleClock& clock, int intervalMs) {
  if (active()) {
    Stop();
  } else {
    Start(state, clock, intervalMs);
  }
}

void TTeachControl::Start(const ServoState& state, ScheduleClock& clock, int intervalMs) {
  recorder_ = std::make_unique<TeachRecorder>(clock);
  recorder_->Start(script_, state, intervalMs);
  toggle_->setChecked(true);
  ShowStatus();
}

void TTeachControl::Stop() {
  // The button toggles itself before its click arrives; it must say what is so.
  toggle_->setChecked(false);
  if (!active()) return;
  recorder_->Stop();
  say_({});
}

void TTeachControl::Tick(const ServoState& state) {
  if (active() && recorder_->Sample(script_, state) > 0) ShowStatus();
}

void TTeachControl::StickRead(bool present) {
  if (stickSeen_ && !present) Stop();
  stickSeen_ = present;
}

void TTeachControl::ShowStatus() {
  const int count = recorder_->commands();
  // One English text for every count; other languages have a singular of their own.
  say_(QString::fromStdString(FormatText(
      TrN("Teaching: {1} commands", "Teaching: {1} commands", count), {std::to_string(count)})));
}
