// The UART at /dev/ttyS0 switched to loopback: every byte written comes back as input, and the
// modem inputs follow the outputs (RTS drives CTS, DTR drives DSR, OUT1 drives RI, OUT2 drives
// DCD). The fixture keeps a descriptor of its own for what the port does not drive (OUT1, OUT2,
// a break) and leaves the UART as it found it. Where there is no such UART it skips.
#pragma once

#include <gtest/gtest.h>
#include <termios.h>

#include <chrono>
#include <string>

#include "com_device.h"
#include "com_port.h"

// Modem-control bits that glibc's headers leave out.
inline constexpr int kOut1 = 0x2000;
inline constexpr int kOut2 = 0x4000;
inline constexpr int kLoop = 0x8000;

class UartLoop : public ::testing::Test {
 protected:
  static constexpr const char* kPath = "/dev/ttyS0";

  void SetUp() override;
  void TearDown() override;

  // Through the fixture's own descriptor.
  void SetOutputs(int bits, bool on);
  int ModemBits();
  termios Settings();
  uint32_t Rate();
  TLineCounters Counters();
  void Break(std::chrono::milliseconds length);
  void SetLoopback(bool on);

  TComPort port;
  int fd = -1;

 private:
  // Other test runs on this machine (other build trees) use the same UART.
  bool LockTheUart();
  void Restore();

  int lockFd_ = -1;
  bool saved_ = false;
  termios savedSettings_{};
  int savedBits_ = 0;
};
