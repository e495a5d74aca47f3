// The arm as the tests see it: a line that notes every write and when, on a fake clock, and
// that can be told to fail, to lose its port or to be halted at a given time.
#pragma once

#include <chrono>
#include <optional>
#include <stdexcept>
#include <vector>

#include "arm_gate.h"
#include "fake_clock.h"

class FakeArm : public ArmLine {
 public:
  using microseconds = std::chrono::microseconds;

  bool Write(const ByteString& frames) override {
    if (failAfter && sent.size() >= *failAfter) throw std::runtime_error("WriteFile failed");
    if (lostAfter && sent.size() >= *lostAfter) return false;
    sent.push_back(frames);
    sentAt.push_back(Elapsed());
    clock.Advance(writeTime + kPauseAfterWrite);
    return true;
  }
  ScheduleClock& Clock() override { return clock; }
  bool Halted() override { return halted || (haltAt && Elapsed() >= *haltAt); }

  // The position each write sent servo `servo` to, in order.
  std::vector<int> PositionsOf(int servo) const {
    std::vector<int> seen;
    for (const ByteString& frames : sent) {
      for (size_t i = 0; i + kFrameSize <= frames.size(); i += kFrameSize) {
        if (static_cast<uint8_t>(frames[i + 1]) == ((servo + kAddressOffset) & 0xFF)) {
          seen.push_back(static_cast<uint8_t>(frames[i + 2]));
        }
      }
    }
    return seen;
  }
  microseconds Elapsed() const {
    return std::chrono::duration_cast<microseconds>(clock.now - start);
  }

  FakeClock clock;
  const ScheduleClock::TimePoint start = clock.now;
  std::vector<ByteString> sent;
  std::vector<microseconds> sentAt;
  ScheduleClock::Duration writeTime{0};  // before the pause after the write
  std::optional<size_t> failAfter;       // writes that succeed before one raises
  std::optional<size_t> lostAfter;       // writes that succeed before the port is gone
  std::optional<microseconds> haltAt;
  bool halted = false;  // Esc, Stop or Ctrl-C
};

// Limits 0..254, addresses 1..6, the test arm's geometry (H 5, L1 10, L2 10, L3 5), the
// table at Y 0.
inline GateSettings TestGateSettings(bool smooth) {
  GateSettings settings;
  for (int s = 1; s <= kServoCount; ++s) {
    settings.workspace.tables.Maxval[s] = 254;
    settings.workspace.tables.Address[s] = s;
  }
  settings.workspace.arm = {5, 10, 10, 5};
  settings.motion.smooth = smooth;
  return settings;
}
