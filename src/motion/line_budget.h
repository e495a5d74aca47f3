// The line's budget: a serial line carries baud / (start + data + parity + stop bits) bytes a
// second, so a tick of a smooth move can send only so many servos before the next tick is due. When
// more servos changed than fit, they are served in turn.
#pragma once

#include <array>
#include <cstdint>

#include "board.h"
#include "motion_plan.h"

// The character format of the line: 1 start bit, `dataBits`, one parity bit or none, and
// `stopHalfBits` / 2 stop bits (2 for one stop bit, 3 for one and a half, 4 for two).
struct LineFormat {
  int64_t baud = 9600;
  int dataBits = 8;
  bool parity = false;
  int stopHalfBits = 2;
};

// The servos whose commands the line carries in one tick of `tickMs`, counted in the board's
// own bytes (9600 baud, 8N1, 20 ms: 19.2 bytes, four of the program's frames); never less than
// one, so a slow line still moves the arm, one servo a tick.
int FramesPerTick(const LineFormat& line, int tickMs, const Board& board);
// The same for the program's own four-byte frames.
int FramesPerTick(const LineFormat& line, int tickMs);

// Chooses the servos a tick sends. Only a servo whose wanted position differs from the one
// last sent to it is due; of those, at most the budget go out, taken round-robin from the one
// after the last servo sent, so a servo left out in one tick goes first in the next and is
// never more than one tick behind with six servos and a budget of three or more.
class LineBudget {
 public:
  explicit LineBudget(int framesPerTick = kServoCount);

  // The servos to send now for `wanted`, the arm holding `received`, in servo order, as
  // `count` entries of `servos`. They count as sent only once the caller's write succeeded,
  // so nothing is marked here.
  int Pick(const Pose& wanted, const Pose& received, std::array<int, kServoCount>& servos);
  int framesPerTick() const { return framesPerTick_; }

 private:
  int framesPerTick_;
  int next_ = 1;  // the servo the next round starts from
};

// True while some servo of `received` differs from `wanted`.
bool Behind(const Pose& wanted, const Pose& received);
