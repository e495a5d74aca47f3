// The way to the line: the program builds its commands as its own frames (one per servo,
// addressed by svNAddress), and here they become the configured board's bytes, a tick's
// frames one tick of the board.
#pragma once

#include <array>
#include <memory>

#include "board.h"
#include "servo_state.h"
#include "unSerialLink.h"

class BoardLine {
 public:
  // The program's own frames, unchanged.
  BoardLine();
  // `tables` tells which servo a frame's address stands for (the first with that address).
  BoardLine(const BoardConfig& config, const ServoTables& tables);

  // `frames` as the board's bytes; the program's own frames pass unchanged. Frames of an
  // address no servo has are left out.
  ByteString Encode(const ByteString& frames) const;

  const Board& board() const { return *board_; }

 private:
  std::shared_ptr<const Board> board_;
  std::array<int, 256> servoOfAddress_{};  // 0: no servo
};
