// A servo board played in software, one kind per board family: it takes the bytes the host
// sends, decodes exactly what the real board would, keeps what each channel holds and answers
// the board's queries with the bytes the real board would send back.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "board.h"

// What one channel (a PWM output or a bus servo id) holds, in the board's own units as the
// settings give them: microseconds for the PWM boards, steps for bus servos, the position byte
// for the frame boards.
struct BoardChannel {
  int32_t target = 0;  // 0 on the PWM boards: no target yet, no pulses
  int32_t present = 0;
  bool torque = true;    // bus servos: off when limp, and then only a hand moves them
  int32_t celsius = 35;  // bus servos' health
  int32_t decivolts = 74;
  int32_t load = 0;  // per mille of the stall torque
  bool overload = false;
  bool answers = true;  // bus servos: false for one that is not on the bus
};

inline constexpr int kBoardChannels = 256;

class VirtualBoard {
 public:
  virtual ~VirtualBoard() = default;

  // Takes bytes from the line, in chunks of any size; returns what goes back on the line.
  std::string Take(std::string_view bytes);

  BoardChannel& channel(int ch) { return channels_[static_cast<size_t>(ch) & 0xFF]; }
  const BoardChannel& channel(int ch) const { return channels_[static_cast<size_t>(ch) & 0xFF]; }
  // Servo positions taken; broken or unknown commands skipped.
  uint64_t moves() const { return moves_; }
  uint64_t badCommands() const { return bad_; }
  // Queries answered.
  uint64_t queries() const { return queries_; }
  // Bus servos can go limp and be moved by hand; PWM outputs cannot.
  virtual bool HasTorqueSwitch() const { return false; }
  // The channel is put where a hand takes it: only while its torque is off.
  bool MoveByHand(int ch, int32_t units);

 protected:
  // Decodes one byte; answers go to `reply`.
  virtual void Feed(uint8_t byte, std::string& reply) = 0;
  void Move(int ch, int32_t units);
  void Bad() { ++bad_; }
  void Answered() { ++queries_; }

 private:
  std::array<BoardChannel, kBoardChannels> channels_{};
  uint64_t moves_ = 0;
  uint64_t bad_ = 0;
  uint64_t queries_ = 0;
};

std::unique_ptr<VirtualBoard> MakeVirtualBoard(BoardFamily family);

std::unique_ptr<VirtualBoard> MakeFrameBoard();
std::unique_ptr<VirtualBoard> MakeMiniSscBoard();
std::unique_ptr<VirtualBoard> MakeAsciiBoard();
std::unique_ptr<VirtualBoard> MakeMaestroBoard();
std::unique_ptr<VirtualBoard> MakeStsBoard();
std::unique_ptr<VirtualBoard> MakeLx16aBoard();
