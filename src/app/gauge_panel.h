// The gauge panel: the needles and captions of the jog group's three servos, the group's
// number and the port's two lamps. Each tick redraws only what changed.
#pragma once

#include <array>
#include <cstdint>

#include "servo_state.h"

class TCaptionLabel;
class TComLed;
class TComPort;
class TGaugeSurface;
class QFrame;
class QLabel;

class TGaugePanel {
 public:
  struct Parts {
    QFrame* panel;
    std::array<QLabel*, 3> dials;
    std::array<TGaugeSurface*, 3> gauges;
    std::array<TCaptionLabel*, 3> captions;
    QLabel* group;
  };
  // Dresses `parts` and places the lamps of `port` on the panel.
  TGaugePanel(const Parts& parts, TComPort& port);
  ~TGaugePanel();
  TGaugePanel(const TGaugePanel&) = delete;
  TGaugePanel& operator=(const TGaugePanel&) = delete;

  // Captions and needles of the servos of `state`'s jog group.
  void Update(const ServoState& state);
  // "0" for servos 1 to 3, "1" for 4 to 6.
  void ShowGroup(int jogGroup);
  TComLed* txLamp() const { return tx_; }
  TComLed* rxLamp() const { return rx_; }

 private:
  Parts parts_;
  TComLed* tx_ = nullptr;
  TComLed* rx_ = nullptr;
  // What each caption and gauge shows, servo and position.
  struct Shown {
    int servo = 0;
    int32_t position = 0;
    bool operator==(const Shown&) const = default;
  };
  std::array<Shown, 3> shown_{};
  int shownGroup_ = 0;
};
