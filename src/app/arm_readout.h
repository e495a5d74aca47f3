// Under the gauges: all six positions and the tool point, whichever three servos the gauges show.
#pragma once

#include <QString>

#include "servo_state.h"
#include "unMoveLibrary.h"

class QLabel;

class TArmReadout {
 public:
  explicit TArmReadout(QLabel* label) : label_(label) {}

  // "1:127 2:127 ... 6:127" and "X 12.3  Y 4.5  Z 6.7 cm" for `state` on `arm`; the label is
  // written only when its text changes, as the tick calls this every interval.
  void Show(const ServoState& state, const ArmGeometry& arm);
  static QString Text(const ServoState& state, const ArmGeometry& arm);

 private:
  QLabel* label_;
  QString shown_;
};
