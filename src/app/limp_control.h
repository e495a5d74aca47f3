// The Limp toggle: bus servos with their torque off, so the arm can be moved by hand. While the
// arm is limp nothing writes a goal to it (a goal would drive a limp servo); it holds again
// where the hand left it: the pose is read, written as the targets, and only then the torque
// comes on.
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "pose_store.h"
#include "servo_state.h"

class QAbstractButton;
class TCustomComPort;
class BoardLine;
class ArmGate;
class TBoardWatch;
class TTeachControl;

class TLimpControl {
 public:
  // The pose is read through `watch`; `say` puts a standing message on the status line.
  TLimpControl(QAbstractButton* toggle, TCustomComPort& port, const BoardLine& board, ArmGate& gate,
               TBoardWatch& watch, std::function<void(const QString&)> say);

  // The servos are taken to be limp.
  bool active() const { return limp_; }
  // True, with the reason said, while a goal written would drive a limp servo.
  bool RefuseMotion();

  // Torque off; nothing where the board cannot switch it or a motion runs.
  void GoLimp();
  // True once the arm holds again; false, with the reason said, while it stays limp.
  bool Hold();
  // The port opened, now reading back afresh, perhaps for another board. A port that closed on a
  // limp arm holds it as it opens again, so the arm is never driven from a pose it no longer
  // has; true then.
  bool PortOpened();
  // The toggle as the port and the arm now are.
  void Show();
  // A motion runs: the toggle waits for it.
  void SetBusy(bool busy);

  // The positions the board reports, held within the limits, in `state`; false, with the reason
  // said, when the board did not tell.
  bool ReadInto(ServoState& state, const char* failed);
  // Each tick while limp: a due sample of Teach is the pose read from the board; a failed read
  // ends teaching. True when `state` took a new reading.
  bool Tick(TTeachControl& teach, ServoState& state);

 private:
  bool CanSwitch() const;
  std::optional<ServoPose> Read(std::string& fault);

  QAbstractButton* toggle_;
  TCustomComPort& port_;
  const BoardLine& board_;
  ArmGate& gate_;
  TBoardWatch& watch_;
  std::function<void(const QString&)> say_;
  bool limp_ = false;
  bool holding_ = false;  // the read pose goes out as the targets
  bool busy_ = false;
};
