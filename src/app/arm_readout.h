// Under the gauges: all six positions and the tool point, whichever three servos the gauges show.
#pragma once

#include <QString>
#include <array>

#include "servo_state.h"
#include "unMoveLibrary.h"

class TReadoutLabel;

class TArmReadout {
 public:
  explicit TArmReadout(TReadoutLabel* label);

  // "1:127 2:127 ... 6:127" and "X 12.3  Y 4.5  Z 6.7 cm" for `state` on `arm`. The tick calls
  // this every interval: the text is made, and the label written, only when the pose or the
  // arm has changed.
  void Show(const ServoState& state, const ArmGeometry& arm);
  static QString Text(const ServoState& state, const ArmGeometry& arm);

 private:
  TReadoutLabel* label_;
  bool shown_ = false;
  std::array<int32_t, kServoCount + 1> positions_{};
  std::array<float, 4> arm_{};
};
