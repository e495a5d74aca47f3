// The joystick form: joystick 0 polled into the jog callback, and the dialog that measures
// the stick's range and centre window.
#pragma once

#include <QDialog>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "joy_mapping.h"
#include "joystick_device.h"
#include "option_store.h"

namespace Ui {
class TfrmJoy;
}

class TfrmJoy : public QDialog {
  Q_OBJECT

 public:
  using JoystickCallback = std::function<void(uint16_t buttons, double axisX, double axisY)>;

  explicit TfrmJoy(QWidget* parent = nullptr);
  ~TfrmJoy() override;

  // One poll: shows the position in lblPos and, while callbackEnabled, hands the normalised
  // axes to onJoystick. Returns the reading, or nothing when no joystick could be read; then
  // onNoJoystick runs first (a stick pulled out while deflected must not leave servos
  // jogging), onJoystick is not called and lblPos says so.
  //
  // A calibration that divides by zero raises EMathError once and turns callbackEnabled
  // off, so a poll running every tick reports it once; LoadJoystickCalibration (or a
  // completed calibration) turns it on again.
  std::optional<JoystickReading> PollJoystick();
  // True when joystick 0 can be read now.
  bool JoystickAttached() { return device_.Read().has_value(); }
  // Runs PollJoystick from Timer1 every 100 ms, or stops it.
  void SetPolling(bool on);
  // callbackEnabled off, the six calibration keys read in order, callbackEnabled on.
  void LoadJoystickCalibration(const OptionStore& store);

  // Live measurement while the dialog is shown: grows the maxima (and the centre window in
  // step 2) and moves the track bars and check boxes with the stick.
  void IdleProc();
  void butNextClick();
  void butOKClick();
  // The result butOK closes the dialog with: Rejected until a calibration has been completed.
  DialogCode butOKModalResult() const { return butOKModalResult_; }

  JoyCalibration calibration;
  JoystickCallback onJoystick;
  std::function<void()> onNoJoystick;
  bool callbackEnabled = false;
  uint8_t calibrationStep = 0;
  QTimer Timer1;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void FormShow();
  void FormClose();

  // Shows the position only when it changed: polled every tick.
  void ShowPosition(const std::optional<JoystickReading>& reading);

  std::unique_ptr<Ui::TfrmJoy> ui;
  JoystickDevice device_;
  std::optional<std::pair<uint16_t, uint16_t>> shownPosition_;
  bool positionShown_ = false;
  // Stands in for an idle handler: often enough to follow the stick, rare enough to leave
  // the processor alone.
  QTimer idleTimer_;
  DialogCode butOKModalResult_ = Rejected;
  // A reading came from the stick since the dialog was shown.
  bool stickRead_ = false;
};

// The Joystick button's work: with the tick stopped and the poll timer on, shows the dialog;
// OK stores the six values in the option table, anything else brings back the stored
// calibration. Either way the calibration is (re)loaded from the table, which also re-enables
// a callback switched off by a division by zero. The tick is started only on the normal path.
// Returns true when the values were stored.
bool RunJoystickCalibration(TfrmJoy& joy, OptionStore& store, const std::function<void()>& stopTick,
                            const std::function<void()>& startTick);
