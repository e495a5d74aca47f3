#include <gtest/gtest.h>

#include <random>

#include "line_budget.h"

namespace {

TEST(LineBudget, FramesPerTickFollowTheLineFormat) {
  struct Case {
    LineFormat line;
    int tickMs;
    int frames;
  } const cases[] = {
      {{9600, 8, false, 2}, 20, 4},   // 19.2 bytes
      {{9600, 8, true, 4}, 20, 4},    // 8E2: 12 bits a byte, 16 bytes
      {{4800, 8, false, 2}, 20, 2},   // 9.6 bytes
      {{9600, 7, false, 3}, 20, 5},   // 7N1.5: 9.5 bits a byte, 20.2 bytes
      {{9600, 8, false, 2}, 50, 6},   // room for more than six servos
      {{115200, 8, false, 2}, 1, 2},  // 11.5 bytes
      {{300, 8, false, 2}, 20, 1},    // not one frame fits, yet one goes
      {{0, 8, false, 2}, 20, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FramesPerTick(c.line, c.tickMs), c.frames)
        << c.line.baud << " baud, " << c.line.dataBits << " data bits, tick " << c.tickMs;
  }
}

// Random poses wanted tick after tick: a tick sends only servos that changed since they
// were last sent, never more than the budget, and a servo is never left out of more than
// the ticks it takes to serve all six in turn.
TEST(LineBudget, ServesChangedServosInTurnWithinTheBudget) {
  std::mt19937 random(5);
  for (int budget = 1; budget <= kServoCount; ++budget) {
    LineBudget line(budget);
    Pose wanted{};
    Pose sent{};
    // The caller marks what it wrote.
    const auto pick = [&](std::array<int, kServoCount>& servos) {
      const int count = line.Pick(wanted, sent, servos);
      for (int k = 0; k < count; ++k) sent[servos[k]] = wanted[servos[k]];
      return count;
    };
    int waiting[kServoCount + 1] = {};
    const int longestWait = (kServoCount + budget - 1) / budget - 1;
    for (int tick = 0; tick < 2000; ++tick) {
      for (int s = 1; s <= kServoCount; ++s) {
        if (random() % 3 == 0) wanted[s] = static_cast<int32_t>(random() % 255);
      }
      const Pose before = sent;
      std::array<int, kServoCount> servos{};
      const int count = pick(servos);
      ASSERT_LE(count, budget);
      for (int k = 0; k < count; ++k) {
        ASSERT_NE(before[servos[k]], wanted[servos[k]]) << "servo " << servos[k];
        if (k > 0) {
          ASSERT_LT(servos[k - 1], servos[k]);
        }
      }
      for (int s = 1; s <= kServoCount; ++s) {
        waiting[s] = sent[s] == wanted[s] ? 0 : waiting[s] + 1;
        ASSERT_LE(waiting[s], longestWait) << "servo " << s << ", budget " << budget;
      }
    }
    while (Behind(wanted, sent)) {
      std::array<int, kServoCount> servos{};
      ASSERT_GT(pick(servos), 0);
    }
    EXPECT_EQ(sent, wanted);
  }
}

}  // namespace
