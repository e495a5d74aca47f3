// A servo board played in software: the port name "sim" opens the slave side of a
// pseudo-terminal like any serial device, and this controller listens on the master side as a
// board of the family set (Vantrel's frames unless told otherwise), keeping each servo's
// position and answering the board's queries.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "virtual_board.h"

// True for the virtual controller's port name, "sim" in any letter case.
bool IsVirtualPortName(const std::string& port);

// Registers the controller with the serial port's virtual devices under the name "sim", so a
// port of that name opens the controller's pseudo-terminal. Safe to call more than once.
void RegisterVirtualServoController();

class TVirtualServoController {
 public:
  struct Snapshot {
    // Where the servos are (a limp one where the hand left it), in positions.
    int32_t position[7] = {0, 127, 127, 127, 127, 127, 127};
    uint64_t frames = 0;     // servo positions taken
    uint64_t badFrames = 0;  // broken or unknown commands
    uint64_t queries = 0;    // queries answered
    bool limp[7] = {};
  };

  static TVirtualServoController& Instance();

  TVirtualServoController();
  ~TVirtualServoController();
  TVirtualServoController(const TVirtualServoController&) = delete;
  TVirtualServoController& operator=(const TVirtualServoController&) = delete;

  // Opens a fresh pseudo-terminal pair and starts listening; gives the slave's path. Returns 0
  // or the errno of the failing call.
  int Start(std::string* slavePath);
  // Stops listening and closes the master side. The positions are kept.
  void Stop();
  bool Running() const { return master_ >= 0; }

  // On Vantrel frames, servo i answers frames whose address byte is the low byte of
  // address[i] (i = 1..6).
  void SetAddresses(const int32_t address[7]);
  // A board as `config` describes it, the servos where they were.
  void SetBoard(const BoardConfig& config);
  BoardFamily family() const {
    std::lock_guard lock(mutex_);
    return config_.family;
  }
  // Puts the servos at `position[1..6]` as if the arm had been left there.
  void SetPose(const int32_t position[7]);
  // A PWM board just powered: no target yet, so its queries report 0.
  void ForgetTargets();
  // Bus servos: a limp servo follows the hand to `position`; false when it is not limp.
  bool MoveByHand(int servo, int32_t position);
  // Bus servos: what the servo reports of its health; one that does not answer is not on the
  // bus.
  void SetHealth(int servo, int32_t celsius, bool overload);
  void SetAnswering(int servo, bool answers);
  Snapshot State() const;
  // Bytes from the line, as the listening thread hands them on; gives the board's answer.
  std::string Take(std::string_view bytes);
  // Runs on the listening thread after each read that held frames or broken bytes.
  void SetListener(std::function<void()> listener);
  // Blocks until the count of frames and broken frames taken differs from `seen`, or until
  // `deadline`; returns the count then.
  uint64_t WaitForFrames(uint64_t seen, std::chrono::steady_clock::time_point deadline) const;

 private:
  void Listen();
  int32_t UnitsOf(int servo, int32_t position) const;
  int32_t PositionOf(int servo, int32_t units) const;
  BoardChannel& ChannelOf(int servo) { return board_->channel(config_.servos[servo].channel); }

  int master_ = -1;
  int wake_ = -1;
  std::thread listener_;
  mutable std::mutex mutex_;
  mutable std::condition_variable taken_;
  std::unique_ptr<VirtualBoard> board_;
  BoardConfig config_;
  std::function<void()> onChange_;
};
