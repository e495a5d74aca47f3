#include "jog_controller.h"

#include "joy_form.h"
#include "joy_mapping.h"
#include "status_line.h"
#include "teach_control.h"
#include "window_placement.h"

TJogController::TJogController(QWidget* window, ServoState& state, TStatusLine& status,
                               Directions directions)
    : window_(window),
      state_(state),
      status_(status),
      directions_(std::move(directions)),
      pad_(new TfrmJogPad(window)) {}

void TJogController::ReadInput(TfrmJoy& joy, TTeachControl& teach) {
  // While the pad is used it wins over a real stick; let go, the stick is read again.
  if (pad_->Engaged()) {
    const JogPadInput input = pad_->TakeInput();
    directions_(input.buttons, input.axisX, input.axisY);
    return;
  }
  const auto reading = joy.PollJoystick();
  teach.StickRead(reading.has_value());
  if (reading && padMode_ == JogPadMode::Auto && !padByKey_) pad_->hide();
}

void TJogController::ShowPadAtStart(JogPadMode mode, bool stickAttached) {
  padMode_ = mode;
  if (padMode_ == JogPadMode::Always || (padMode_ == JogPadMode::Auto && !stickAttached)) {
    ShowPad();
  }
}

void TJogController::ShowPad() {
  pad_->adjustSize();
  PlaceWindowBeside(pad_, window_, {Side::Left});
  pad_->show();
}

void TJogController::TogglePad() {
  if (pad_->isVisible()) {
    pad_->hide();
    return;
  }
  padByKey_ = true;
  ShowPad();
}

void TJogController::Steer(uint16_t buttons, double axisX, double axisY) {
  if (jog_.toolMode) {
    // The stick moves the tool point: X and Y as pushed, the first two buttons Z.
    const JogInputDirections d = JogDirectionsOf(buttons, axisX, axisY);
    jog_.direction = {d.x, d.y, d.buttons};
    return;
  }
  JoystickToDirections(state_, buttons, axisX, axisY);
}

void TJogController::Stop() {
  StopJogging(state_);
  jog_.direction = {};
}

void TJogController::Release() {
  Stop();
  pad_->Release();
}

void TJogController::SetToolMode(bool on) {
  jog_.toolMode = on;
  Stop();
}

ByteString TJogController::AfterStep(const ServoState& before, const Workspace& ws,
                                     bool horizontal) {
  const ByteString frames = jog_.AfterStep(state_, before, ws, horizontal, step_);
  ShowStatus();
  return frames;
}

void TJogController::ShowStatus() {
  const QString now = QString::fromStdString(jog_.status());
  if (now == said_) return;
  // Only what the jog said is taken back; other standing messages stay.
  if (!now.isEmpty() || status_.Text() == said_) status_.Say(now);
  said_ = now;
}
