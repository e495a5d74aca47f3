#include "jog_pad.h"

#include <QKeyEvent>
#include <algorithm>
#include <cmath>

#include "jog_field.h"
#include "joy_mapping.h"
#include "ui_jog_pad.h"

JogPadMode ParseJogPadMode(const std::string& text) {
  if (text == "1") return JogPadMode::Always;
  if (text == "0") return JogPadMode::Never;
  return JogPadMode::Auto;
}

TfrmJogPad::TfrmJogPad(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::TfrmJogPad>()) {
  ui->setupUi(this);
  setWindowFlags(Qt::Tool | Qt::WindowCloseButtonHint);
  // Shown at start-up beside the main window, which keeps the keyboard.
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusProxy(ui->field);
  connect(ui->field, &TJogField::Moved, this, &TfrmJogPad::Changed);
  for (int n = 1; n <= 4; ++n) {
    QPushButton* b = button(n);
    // The field keeps the focus, so the arrow keys go on jogging after a click.
    b->setFocusPolicy(Qt::NoFocus);
    b->setFixedSize(30, 24);
    connect(b, &QPushButton::pressed, this, [this, n] { SetButton(n, true); });
    connect(b, &QPushButton::released, this, [this, n] { SetButton(n, false); });
  }
}

TfrmJogPad::~TfrmJogPad() {
  // Destroyed with the focus on a pushed knob, the field lets go as it loses the focus; the
  // news must not reach a pad that is already half gone.
  ui->field->disconnect(this);
}

TJogField* TfrmJogPad::field() const {
  return ui->field;
}

QPushButton* TfrmJogPad::button(int n) const {
  QPushButton* buttons[] = {ui->btButton1, ui->btButton2, ui->btButton3, ui->btButton4};
  return buttons[n - 1];
}

bool TfrmJogPad::Engaged() const {
  return !ui->field->Centred() || held_ != 0 || pressed_ != 0 || releasePending_;
}

double JogPadDuty(double deflection) {
  const double away = std::min(std::abs(deflection), 1.0);
  if (away < kJogPadStart - 1e-9) return 0;  // 1.15 - 1 is a hair below 0.15
  return kJogPadSlowest + (1 - kJogPadSlowest) * (away - kJogPadStart) / (1 - kJogPadStart);
}

double TfrmJogPad::Pulse(double axis, double& owed) {
  const double deflection = axis - 1;
  const double duty = JogPadDuty(deflection);
  if (duty == 0) {
    owed = 0;
    return 1;
  }
  // The mapping knows only full steps: a knob part-way out steps on that share of the ticks.
  owed += duty;
  if (owed < 1 - 1e-9) return 1;
  owed -= 1;
  return deflection > 0 ? 2 : 0;
}

JogPadInput TfrmJogPad::TakeInput() {
  JogPadInput input;
  input.buttons = held_ | pressed_;
  input.axisX = Pulse(ui->field->axisX(), owedX_);
  input.axisY = Pulse(ui->field->axisY(), owedY_);
  pressed_ = 0;
  if (ui->field->Centred() && held_ == 0) releasePending_ = false;
  return input;
}

void TfrmJogPad::Deflect(double axisX, double axisY) {
  ui->field->SetAxes(axisX, axisY);
}

void TfrmJogPad::SetButton(int button, bool down) {
  if (button < 1 || button > 4) return;
  const auto bit = static_cast<uint16_t>(1u << (button - 1));
  if (bit == kJoyButton3) {
    if (down) pressed_ |= bit;
    return;
  }
  if (down) {
    held_ |= bit;
  } else {
    held_ &= static_cast<uint16_t>(~bit);
  }
  Changed();
}

void TfrmJogPad::Release() {
  held_ = 0;
  pressed_ = 0;
  for (int n = 1; n <= 4; ++n) button(n)->setDown(false);
  ui->field->Release();
  Changed();
}

bool TfrmJogPad::event(QEvent* event) {
  if (event->type() == QEvent::WindowBlocked) Release();
  return QWidget::event(event);
}

void TfrmJogPad::Changed() {
  // Let go: one centred reading still has to stop the arm.
  if (ui->field->Centred() && held_ == 0) releasePending_ = true;
}

void TfrmJogPad::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F5) {
    hide();
    return;
  }
  QWidget::keyPressEvent(event);
}
