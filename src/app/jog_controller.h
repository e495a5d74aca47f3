// Jogging: what the stick or the on-screen pad asks each tick, the joints or the tool point
// stepped by it, the pad beside the window, and why a jog is held back on the status line.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "jog_pad.h"
#include "servo_state.h"
#include "workspace_jog.h"

class QWidget;
class TfrmJoy;
class TStatusLine;
class TTeachControl;

class TJogController {
 public:
  // Joint directions from the stick or pad go to `directions` (the window's mapping).
  using Directions = std::function<void(uint16_t buttons, double axisX, double axisY)>;
  TJogController(QWidget* window, ServoState& state, TStatusLine& status, Directions directions);

  TfrmJogPad* pad() const { return pad_; }
  // The tick's input: the pad while it is used, else joystick 0 of `joy`.
  void ReadInput(TfrmJoy& joy, TTeachControl& teach);
  // Shown at start as `mode` says: in Auto when no stick is attached.
  void ShowPadAtStart(JogPadMode mode, bool stickAttached);
  // F5: shows the pad beside the window, or hides it.
  void TogglePad();
  // In tool mode the stick moves the tool point; else its joint directions go on.
  void Steer(uint16_t buttons, double axisX, double axisY);
  // No joint and no tool-point direction: nothing moves on the next tick.
  void Stop();
  // Stops, and what the pad holds is let go: the next step waits for a new touch.
  void Release();
  bool toolMode() const { return jog_.toolMode; }
  void SetToolMode(bool on);
  void SetStep(float mm) { step_ = mm; }
  // After the tick stepped the joints from `before`: the tool point's step, or the joints held
  // back where the workspace ends. Says why on the status line.
  ByteString AfterStep(const ServoState& before, const Workspace& ws, bool horizontal);

  // What the jog says now ("Table reached"), empty when nothing held it back.
  const QString& said() const { return said_; }

 private:
  void ShowPad();
  // "Table reached" and the like on the status line while a jog is held back.
  void ShowStatus();

  QWidget* window_;
  ServoState& state_;
  TStatusLine& status_;
  Directions directions_;
  TfrmJogPad* pad_;
  JogPadMode padMode_ = JogPadMode::Auto;
  // Opened with F5: a stick plugged in then does not hide it.
  bool padByKey_ = false;
  float step_ = 5;  // mm
  WorkspaceJog jog_;
  QString said_;  // what the status line last heard from the jog
};
