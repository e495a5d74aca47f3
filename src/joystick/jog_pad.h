// The jog pad: an on-screen stick with four buttons for operators without a joystick. It
// holds what a stick would read, already normalised, for the control tick to hand to the
// jog mapping in place of a joystick poll.
#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

class QPushButton;
class TJogField;

namespace Ui {
class TfrmJogPad;
}

// Setting "jogPad": "1" always shown at start-up, "0" never, anything else (the default
// "auto") shown when no joystick is attached.
enum class JogPadMode { Auto, Always, Never };
JogPadMode ParseJogPadMode(const std::string& text);

// The knob moves the arm from this share of its travel on; there at this share of full speed,
// growing evenly to full speed at the edge.
inline constexpr double kJogPadStart = 0.15;
inline constexpr double kJogPadSlowest = 0.1;
// The share of ticks a deflection of -1..1 steps on: 0 inside kJogPadStart.
double JogPadDuty(double deflection);

struct JogPadInput {
  uint16_t buttons = 0;  // bit values 1, 2, 4, 8 for buttons 1 to 4
  double axisX = 1;
  double axisY = 1;
};

class TfrmJogPad : public QWidget {
  Q_OBJECT

 public:
  explicit TfrmJogPad(QWidget* parent = nullptr);
  ~TfrmJogPad() override;

  // True while the knob is off centre or a button is held, and until the reading that
  // follows a release or a press of button 3 has been taken.
  bool Engaged() const;
  // The reading for one tick, each axis at full deflection or centred: a knob part-way out
  // gives full deflections on JogPadDuty's share of the ticks. A press of button 3 (which switches
  // the group) is handed on once, however long the button is held, so one click is one switch.
  JogPadInput TakeInput();

  // The same as dragging the knob and pressing the buttons, for code that drives the pad.
  void Deflect(double axisX, double axisY);
  void SetButton(int button, bool down);
  // Lets go of the knob and every button; one centred reading follows, stopping the arm.
  void Release();

  TJogField* field() const;
  QPushButton* button(int n) const;  // 1..4

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // A modal box takes the mouse and keys: their releases would never reach the pad.
  bool event(QEvent* event) override;

 private:
  void Changed();
  // The axis for this tick (0, 1 or 2) from the knob's `axis`; `owed` carries the part steps.
  static double Pulse(double axis, double& owed);

  std::unique_ptr<Ui::TfrmJogPad> ui;
  uint16_t held_ = 0;
  uint16_t pressed_ = 0;
  bool releasePending_ = false;
  double owedX_ = 0;
  double owedY_ = 0;
};
