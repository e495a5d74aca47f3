#include "joy_form.h"

#include <QHideEvent>
#include <QShowEvent>
#include <QStyle>
#include <algorithm>
#include <cmath>
#include <string>

#include "error_report.h"
#include "errors.h"
#include "translate.h"
#include "ui_joy_form.h"

namespace {

constexpr int kPollIntervalMs = 100;
constexpr int kIdleIntervalMs = 15;
constexpr int kTrackBarMax = 16;

const char* const kTextStart = TrNoop(
    "Press Next-Button to calibrate your Joystick, or customize the Joystick-firebuttons. "
    "Cancel returns you to Main-program");
const char* const kTextStops = TrNoop(
    "Move the Joystick as far as possible into every direction release it and then press the "
    "next-button");
const char* const kTextCentre = TrNoop(
    "To avoid over-sensibility for Joystick-action we will now determine an \"unsensible "
    "range\" of Joystick-movement.Jiggle the Joystick round the center-position and press the "
    "Next-Button");
const char* const kTextDone = TrNoop(
    "The Joystick is now configured completely.Press OK to save configuration or Cancel to "
    "abandon it");
const char* const kTextNothingRead = TrNoop(
    "No joystick was read, so nothing was measured and the calibration is unchanged. Press "
    "Cancel to return to the main program.");

// Shown in the user's language.
QString Text(const char* english) {
  return QString::fromUtf8(Tr(english));
}

// Ties go to the even neighbour (the default rounding mode).
int TrackBarPosition(uint16_t value, uint16_t maximum) {
  const long double scaled = static_cast<long double>(value) / maximum * kTrackBarMax;
  return static_cast<int>(std::nearbyint(scaled));
}

}  // namespace

TfrmJoy::TfrmJoy(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TfrmJoy>()) {
  ui->setupUi(this);
  move(393, 118);
  ui->butOK->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
  ui->butCancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));

  Timer1.setInterval(kPollIntervalMs);
  idleTimer_.setInterval(kIdleIntervalMs);
  connect(&Timer1, &QTimer::timeout, this, [this] { RunGuarded([this] { PollJoystick(); }); });
  connect(&idleTimer_, &QTimer::timeout, this, &TfrmJoy::IdleProc);
  connect(ui->butNext, &QPushButton::clicked, this, &TfrmJoy::butNextClick);
  connect(ui->butOK, &QPushButton::clicked, this, &TfrmJoy::butOKClick);
  connect(ui->butCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmJoy::~TfrmJoy() = default;

std::optional<JoystickReading> TfrmJoy::PollJoystick() {
  const auto reading = device_.Read();
  if (!reading && onNoJoystick) onNoJoystick();
  ShowPosition(reading);
  if (!reading) return std::nullopt;
  if (onJoystick && callbackEnabled) {
    JoyAxes axes;
    try {
      axes = NormaliseJoystick(*reading, calibration);
    } catch (const EMathError&) {
      // Polled every tick: without this the operator would get a box per tick.
      callbackEnabled = false;
      throw;
    }
    onJoystick(reading->buttons, axes.axisX, axes.axisY);
  }
  return reading;
}

void TfrmJoy::ShowPosition(const std::optional<JoystickReading>& reading) {
  std::optional<std::pair<uint16_t, uint16_t>> position;
  if (reading) position.emplace(reading->x, reading->y);
  if (positionShown_ && position == shownPosition_) return;
  positionShown_ = true;
  shownPosition_ = position;
  if (!position) {
    ui->lblPos->setText(tr("Position : no joystick connected"));
    return;
  }
  ui->lblPos->setText(
      tr("Position : %1")
          .arg(QString::asprintf("[%5d,%5d]", int{position->first}, int{position->second})));
}

void TfrmJoy::SetPolling(bool on) {
  if (on) {
    Timer1.start();
  } else {
    Timer1.stop();
  }
}

void TfrmJoy::LoadJoystickCalibration(const OptionStore& store) {
  callbackEnabled = false;
  calibration.joyMaxX = store.ReadOptionInt("joyMaxX");
  calibration.joyMaxY = store.ReadOptionInt("joyMaxY");
  calibration.joyCentXMin = store.ReadOptionInt("joyCentXMin");
  calibration.joyCentXMax = store.ReadOptionInt("joyCentXMax");
  calibration.joyCentYMin = store.ReadOptionInt("joyCentYMin");
  calibration.joyCentYMax = store.ReadOptionInt("joyCentYMax");
  callbackEnabled = true;
}

void TfrmJoy::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TfrmJoy::hideEvent(QHideEvent* event) {
  if (!event->spontaneous()) FormClose();
  QDialog::hideEvent(event);
}

void TfrmJoy::FormShow() {
  idleTimer_.start();
  calibrationStep = 0;
  ui->Memo1->setPlainText(Text(kTextStart));
  stickRead_ = false;
  ui->butNext->setEnabled(true);
  ui->butOK->setEnabled(true);
}

void TfrmJoy::FormClose() {
  idleTimer_.stop();
}

void TfrmJoy::IdleProc() {
  const auto reading = device_.Read();
  if (!reading) return;
  stickRead_ = true;
  const uint16_t x = reading->x;
  const uint16_t y = reading->y;
  JoyCalibration& c = calibration;

  if (c.joyMaxX == 0) c.joyMaxX = 1;
  if (c.joyMaxY == 0) c.joyMaxY = 1;
  c.joyMaxX = std::max(c.joyMaxX, x);
  c.joyMaxY = std::max(c.joyMaxY, y);
  if (calibrationStep == 2) {
    c.joyCentXMax = std::max(c.joyCentXMax, x);
    c.joyCentXMin = std::min(c.joyCentXMin, x);
    c.joyCentYMax = std::max(c.joyCentYMax, y);
    c.joyCentYMin = std::min(c.joyCentYMin, y);
  }

  ui->horzTrackbar->setValue(TrackBarPosition(x, c.joyMaxX));
  ui->vertTrackBar->setValue(TrackBarPosition(y, c.joyMaxY));
  ui->CheckBox1->setChecked((reading->buttons & kJoyButton1) != 0);
  ui->CheckBox2->setChecked((reading->buttons & kJoyButton2) != 0);
  ui->chkCenter->setChecked(x > c.joyCentXMax || x < c.joyCentXMin || y > c.joyCentYMax ||
                            y < c.joyCentYMin);
}

void TfrmJoy::butNextClick() {
  switch (calibrationStep) {
    case 0:
      ui->butOK->setEnabled(false);
      ui->Memo1->setPlainText(Text(kTextStops));
      break;
    case 1:
      // With no stick to read the window stays as it is rather than being set to a guess.
      if (const auto reading = device_.Read()) {
        stickRead_ = true;
        calibration.joyCentXMin = calibration.joyCentXMax = reading->x;
        calibration.joyCentYMin = calibration.joyCentYMax = reading->y;
      }
      ui->Memo1->setPlainText(Text(kTextCentre));
      break;
    case 2:
      ui->butOK->setEnabled(true);
      ui->butNext->setEnabled(false);
      // Without a single reading there is nothing to store: OK then keeps what it had.
      if (stickRead_) {
        butOKModalResult_ = Accepted;
        ui->Memo1->setPlainText(Text(kTextDone));
      } else {
        ui->Memo1->setPlainText(Text(kTextNothingRead));
      }
      break;
    default:
      break;
  }
  ++calibrationStep;
}

void TfrmJoy::butOKClick() {
  done(butOKModalResult_);
}

bool RunJoystickCalibration(TfrmJoy& joy, OptionStore& store, const std::function<void()>& stopTick,
                            const std::function<void()>& startTick) {
  stopTick();
  joy.SetPolling(true);
  const bool stored = joy.exec() == QDialog::Accepted;
  if (stored) {
    const JoyCalibration& c = joy.calibration;
    store.WriteOption("joyMaxX", std::to_string(c.joyMaxX));
    store.WriteOption("joyMaxY", std::to_string(c.joyMaxY));
    store.WriteOption("joyCentXMin", std::to_string(c.joyCentXMin));
    store.WriteOption("joyCentXMax", std::to_string(c.joyCentXMax));
    store.WriteOption("joyCentYMin", std::to_string(c.joyCentYMin));
    store.WriteOption("joyCentYMax", std::to_string(c.joyCentYMax));
  }
  // After OK this reads back exactly what was just written.
  joy.LoadJoystickCalibration(store);
  joy.SetPolling(false);
  startTick();
  return stored;
}
