// Smooth playback on a pseudo-terminal with a reading peer, timed by the program's own clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>

#include "cli_harness.h"
#include "servo_state.h"
#include "unSerialLink.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// One write as the peer saw it: when the program made it and the frames it held.
struct TickFrames {
  Clock::time_point at;
  std::vector<std::pair<int, int>> frames;  // servo, position
};

// The program's own clock: time moves only when the run sleeps. Each sleep first puts a mark
// into the line behind what the program wrote and waits until the peer has read it, so every
// frame is known with the time it was written, however late the peer reads on a busy machine,
// and nothing is left unread when the port closes.
class MarkingClock : public CliClock {
 public:
  MarkingClock(PtyPair& pty, PeerReader& peer) : pty_(pty), peer_(peer) {}

  TimePoint Now() override { return now_; }
  void SleepUntil(TimePoint when) override {
    pty_.WriteLine(std::string(1, kMark));
    TickFrames write{now_, {}};
    const auto until = Clock::now() + 5s;
    for (size_t need = read_ + 1; Clock::now() < until;) {
      const std::string bytes = peer_.Bytes(need);
      if (bytes.size() < need) continue;
      if (bytes[read_] == kMark) {
        ++read_;
        break;
      }
      need = read_ + kFrameSize;
      if (bytes.size() < need) continue;
      write.frames.emplace_back(static_cast<uint8_t>(bytes[read_ + 1]) - kAddressOffset,
                                static_cast<uint8_t>(bytes[read_ + 2]));
      read_ = need;
      need = read_ + 1;
    }
    if (!write.frames.empty()) writes.push_back(write);
    now_ = std::max(now_, when);
  }
  bool StopRequested() override { return false; }

  std::vector<TickFrames> writes;

 private:
  static constexpr char kMark = 0;  // a frame starts with its header, never with this

  PtyPair& pty_;
  PeerReader& peer_;
  TimePoint now_ = TimePoint{} + std::chrono::hours(1);
  size_t read_ = 0;
};

class SmoothOnPty : public ::testing::Test {
 protected:
  std::vector<TickFrames> Play(const std::vector<std::string>& lines,
                               std::map<std::string, std::string> settings) {
    settings["motion"] = "smooth";
    settings["servoComInterval"] = "20";
    settings["baudRate"] = "9600";
    settings.emplace("minToolY", "-100");  // these poses are about timing, not the table
    MarkingClock clock(pty, peer);
    const CliResult r = RunCliCaptured(
        {"play", "--quiet", "--settings", WriteSettings(dir, "/nonexistent/ttyNone", settings),
         "--port", pty.slavePath(), WriteScript(dir, "arm.vco", lines)},
        &clock);
    EXPECT_EQ(r.status, kExitOk) << r.err;
    return clock.writes;
  }

  TempDir dir;
  PtyPair pty;
  PeerReader peer{pty};
};

// The tick a write came in, counted on the 20 ms grid from the first write.
int TickOf(const TickFrames& t, Clock::time_point first) {
  return static_cast<int>(
      std::lround(std::chrono::duration<double, std::milli>(t.at - first).count() / 20));
}

TEST_F(SmoothOnPty, AnAllPoseArrivesTogetherWithinTheLinesBudget) {
  const int target[kServoCount + 1] = {0, 20, 240, 60, 200, 30, 220};
  const auto ticks =
      Play({"M;1;20", "M;2;240", "M;3;60", "M;4;200", "M;5;30", "M;6;220"}, {{"sv1Speed", "400"},
                                                                             {"sv2Speed", "300"},
                                                                             {"sv3Accel", "800"},
                                                                             {"sv4Speed", "500"},
                                                                             {"sv4Accel", "2000"}});
  ASSERT_GT(ticks.size(), 10u);
  int last[kServoCount + 1] = {};
  int at[kServoCount + 1] = {};
  for (const TickFrames& t : ticks) {
    EXPECT_LE(t.frames.size(), 4u) << "9600 baud carries four frames in 20 ms";
    for (const auto& [servo, position] : t.frames) {
      ASSERT_GE(servo, 1);
      ASSERT_LE(servo, kServoCount);
      at[servo] = position;
      last[servo] = TickOf(t, ticks.front().at);
    }
  }
  for (int s = 1; s <= kServoCount; ++s) EXPECT_EQ(at[s], target[s]) << "servo " << s;
  const auto [earliest, latest] = std::minmax_element(last + 1, last + kServoCount + 1);
  EXPECT_LE(*latest - *earliest, 1) << "the servos end a tick or more apart";
  EXPECT_GE(*latest, 25) << "servo 3 needs 0.58 s under its acceleration limit";
}

TEST_F(SmoothOnPty, ATLineTimesTheNextMove) {
  // Servo 2's one-tick moves mark the timed move's start and end; the pause of none keeps
  // the last one out of the timed move.
  const auto ticks = Play({"M;2;200", "T;0;20", "M;1;254", "P;0;0", "M;2;50"}, {});
  auto when = [&](int servo, int position) {
    for (const TickFrames& t : ticks) {
      for (const auto& f : t.frames) {
        if (f == std::pair{servo, position}) return t.at;
      }
    }
    ADD_FAILURE() << "no frame for servo " << servo << " at " << position;
    return Clock::time_point{};
  };
  // The timed move's 2 s and the closing move's own tick.
  EXPECT_EQ(when(2, 50) - when(2, 200), 2020ms);
}

}  // namespace
