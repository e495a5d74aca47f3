// Smooth playback on a pseudo-terminal with a reading peer, on the real clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <thread>

#include "cli_harness.h"
#include "servo_state.h"
#include "unSerialLink.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// One tick as the peer saw it: when it came and the frames it held. Reads within a few
// milliseconds of the first of a tick belong to that tick (the ticks are 20 ms apart).
struct TickFrames {
  Clock::time_point at;
  std::vector<std::pair<int, int>> frames;  // servo, position
};

std::vector<TickFrames> Ticks(PeerReader& peer) {
  std::this_thread::sleep_for(100ms);  // the last frames on their way
  const std::string bytes = peer.Bytes();
  std::vector<TickFrames> ticks;
  size_t from = 0;
  for (const PeerReader::Read& r : peer.Reads()) {
    if (ticks.empty() || r.at - ticks.back().at > 8ms) ticks.push_back({r.at, {}});
    for (; from + kFrameSize <= r.end; from += kFrameSize) {
      ticks.back().frames.emplace_back(static_cast<uint8_t>(bytes[from + 1]) - kAddressOffset,
                                       static_cast<uint8_t>(bytes[from + 2]));
    }
  }
  return ticks;
}

class SmoothOnPty : public ::testing::Test {
 protected:
  std::vector<TickFrames> Play(const std::vector<std::string>& lines,
                               std::map<std::string, std::string> settings) {
    settings["motion"] = "smooth";
    settings["servoComInterval"] = "20";
    settings["baudRate"] = "9600";
    settings.emplace("minToolY", "-100");  // these poses are about timing, not the table
    const CliResult r = RunCliCaptured(
        {"play", "--quiet", "--settings", WriteSettings(dir, "/nonexistent/ttyNone", settings),
         "--port", pty.slavePath(), WriteScript(dir, "arm.vco", lines)});
    EXPECT_EQ(r.status, kExitOk) << r.err;
    return Ticks(peer);
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
  const double ms = std::chrono::duration<double, std::milli>(when(2, 50) - when(2, 200)).count();
  EXPECT_NEAR(ms, 2020, 20);
}

}  // namespace
