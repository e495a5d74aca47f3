// Shared by the serial port tests: waiting while the main thread serves queued events, and a
// port opened on the slave side of a pseudo-terminal.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <chrono>
#include <functional>
#include <thread>

#include "com_error.h"
#include "com_port.h"
#include "pty_pair.h"

// Runs `action`, which must raise EComPort; answers it.
template <typename F>
EComPort Raised(F action) {
  try {
    action();
  } catch (const EComPort& e) {
    return e;
  }
  ADD_FAILURE() << "no EComPort raised";
  return EComPort(23);
}

// Processes events until `done` holds or the time is up; answers `done`.
inline bool WaitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// Processes events for a while, for checks that something does not happen.
inline void PumpFor(std::chrono::milliseconds time) {
  WaitUntil([] { return false; }, time);
}

// The settings the program runs with, on the given device path.
inline void ConfigureLikeTheProgram(TComPort& port, const std::string& path) {
  port.SetPort(path);
  port.Buffer().SetOutputSize(180);
  port.Timeouts().SetWriteTotalMultiplier(500);
  port.Timeouts().SetReadTotalMultiplier(5);
  port.Timeouts().SetReadTotalConstant(10);
  port.FlowControl().SetFlowControl(fcNone);
}

// Handlers set by a test capture its locals; the port closes after the test body has ended
// (in the fixture's destructor), so they must go first.
inline void ClearHandlers(TComPort& port) {
  port.OnAfterOpen = port.OnAfterClose = port.OnBeforeOpen = port.OnBeforeClose = nullptr;
  port.OnTxEmpty = port.OnBreak = port.OnRing = port.OnRxFlag = port.OnRx80Full = nullptr;
  port.OnRxChar = nullptr;
  port.OnRxBuf = nullptr;
  port.OnCTSChange = port.OnDSRChange = port.OnRLSDChange = nullptr;
  port.OnError = nullptr;
  port.OnDeviceLost = port.OnReconnect = nullptr;
}

// Writes through `port` until the line takes nothing more: its peer is not reading. The
// port's write time-out should be short. False when the line never filled up.
inline bool FillLine(TCustomComPort& port) {
  // The kernel finds room for a small write after refusing a large one, and moves bytes on
  // between its buffers for a while: smaller and smaller blocks, each until refused thrice.
  for (const size_t size : {size_t{1} << 16, size_t{4096}, size_t{256}, size_t{16}, size_t{1}}) {
    const ByteString block(size, 'x');
    int refused = 0;
    for (int attempt = 0; attempt < 1000 && refused < 3; ++attempt) {
      refused = port.SendText(block) == 0 ? refused + 1 : 0;
    }
    if (refused < 3) return false;
  }
  return true;
}

// A port configured like the program's, on the slave side of a fresh pseudo-terminal.
class PortOnPty : public ::testing::Test {
 protected:
  void SetUp() override { ConfigureLikeTheProgram(port, pty.slavePath()); }
  void TearDown() override { ClearHandlers(port); }
  PtyPair pty;
  TComPort port;
};
