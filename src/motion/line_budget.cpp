#include "line_budget.h"

#include <algorithm>

#include "board_factory.h"

int FramesPerTick(const LineFormat& line, int tickMs, const Board& board) {
  // Everything in half bits, so one and a half stop bits stay exact.
  const int64_t halfBitsPerByte =
      2 * (1 + line.dataBits + (line.parity ? 1 : 0)) + line.stopHalfBits;
  if (line.baud <= 0 || tickMs <= 0 || halfBitsPerByte <= 0) return 1;
  const int64_t bytes = 2 * line.baud * tickMs / (1000 * halfBitsPerByte);
  int servos = 1;
  while (servos < kServoCount && static_cast<int64_t>(board.TickBytes(servos + 1)) <= bytes) {
    ++servos;
  }
  return servos;
}

int FramesPerTick(const LineFormat& line, int tickMs) {
  return FramesPerTick(line, tickMs, *MakeBoard({}));
}

LineBudget::LineBudget(int framesPerTick)
    : framesPerTick_(std::clamp(framesPerTick, 1, kServoCount)) {}

int LineBudget::Pick(const Pose& wanted, const Pose& received,
                     std::array<int, kServoCount>& servos) {
  int count = 0;
  int last = 0;
  for (int k = 0; k < kServoCount && count < framesPerTick_; ++k) {
    const int s = (next_ - 1 + k) % kServoCount + 1;
    if (wanted[s] == received[s]) continue;
    servos[count++] = s;
    last = s;
  }
  if (count > 0) next_ = last % kServoCount + 1;
  std::sort(servos.begin(), servos.begin() + count);
  return count;
}

bool Behind(const Pose& wanted, const Pose& received) {
  for (int s = 1; s <= kServoCount; ++s) {
    if (wanted[s] != received[s]) return true;
  }
  return false;
}
