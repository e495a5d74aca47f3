// A servo controller played in software: the port name "sim" opens the slave side of a
// pseudo-terminal like any serial device, and this controller listens on the master side,
// decoding the frames and keeping each servo's last position.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "frame_decoder.h"

// True for the virtual controller's port name, "sim" in any letter case.
bool IsVirtualPortName(const std::string& port);

// Registers the controller with the serial port's virtual devices under the name "sim", so a
// port of that name opens the controller's pseudo-terminal. Safe to call more than once.
void RegisterVirtualServoController();

class TVirtualServoController {
 public:
  struct Snapshot {
    int32_t position[7] = {0, 127, 127, 127, 127, 127, 127};
    uint64_t frames = 0;
    uint64_t badFrames = 0;
  };

  static TVirtualServoController& Instance();

  TVirtualServoController() = default;
  ~TVirtualServoController();
  TVirtualServoController(const TVirtualServoController&) = delete;
  TVirtualServoController& operator=(const TVirtualServoController&) = delete;

  // Opens a fresh pseudo-terminal pair and starts listening; gives the slave's path. Returns 0
  // or the errno of the failing call.
  int Start(std::string* slavePath);
  // Stops listening and closes the master side. The positions are kept.
  void Stop();
  bool Running() const { return master_ >= 0; }

  // Servo i answers frames whose address byte is the low byte of address[i] (i = 1..6).
  void SetAddresses(const int32_t address[7]);
  Snapshot State() const;
  // Runs on the listening thread after each read that held frames or broken bytes.
  void SetListener(std::function<void()> listener);
  // Blocks until the count of frames and broken frames taken differs from `seen`, or until
  // `deadline`; returns the count then.
  uint64_t WaitForFrames(uint64_t seen, std::chrono::steady_clock::time_point deadline) const;

 private:
  void Listen();
  void Take(const DecodedFrame& frame);

  int master_ = -1;
  int wake_ = -1;
  std::thread listener_;
  mutable std::mutex mutex_;
  mutable std::condition_variable taken_;
  FrameDecoder decoder_;  // listening thread only
  Snapshot state_;
  int32_t address_[7] = {0, 1, 2, 3, 4, 5, 6};
  std::function<void()> onChange_;
};
