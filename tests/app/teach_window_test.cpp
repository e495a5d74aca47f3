// Teach on the window: a path jogged with the stick on a fake clock, then played back on the
// pty in smooth mode.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <chrono>
#include <vector>

#include "timeline_view.h"
#include "timeline_window.h"
#include "ui_main_window.h"
#include "unSerialLink.h"
#include "virtual_stick.h"
#include "window_harness.h"

using namespace std::chrono_literals;
using std::chrono::milliseconds;

namespace {

constexpr int kTickMs = 20;

// Where the taught script puts servo `servo` at `position`: `ms` from the start.
struct Sample {
  int servo;
  int position;
  int64_t ms;
  bool operator==(const Sample&) const = default;
};

// The samples a taught script holds, in script time: each T line moves the time on, each M line
// after it that moves its servo arrives then (one that leaves it where it is holds the arm).
// The six lines of the start pose come first.
std::vector<Sample> SamplesOf(const TRoboPath& script) {
  std::vector<Sample> samples;
  int pose[kServoCount + 1] = {};
  for (int i = 0; i < kServoCount; ++i) pose[i + 1] = script.getItem(i).value;
  int64_t ms = 0;
  for (int i = kServoCount; i < script.count(); ++i) {
    const TServoCommand& c = script.getItem(i);
    if (c.letter == 'T') ms += c.value * 100;
    if (c.letter == 'P') ms += c.value * 1000;
    if (c.letter == 'M' && pose[c.servoId] != c.value) {
      pose[c.servoId] = c.value;
      samples.push_back({c.servoId, c.value, ms});
    }
  }
  return samples;
}

TEST(TeachOnTheWindow, ATaughtPathPlaysBackSmoothWithEachSampleWithinATick) {
  SKIP_WITH_REAL_JOYSTICK();
  VirtualStick stick;
  WindowHarness h;
  TfrmVantrel& w = h.Start({{"servoComInterval", "0"},
                            {"teachInterval", "100"},
                            {"motion", "smooth"},
                            {"servoIncr", "2"}});
  QTest::keyClick(&w, Qt::Key_F8);
  ASSERT_TRUE(w.teach().active());
  EXPECT_TRUE(w.ui->btTeach->isChecked());
  EXPECT_EQ(w.ui->lbMessage->text(), "Teaching: 6 commands");

  // Servo 1 up, a rest, servo 2 up, servo 1 down: one tick every 20 ms.
  struct Leg {
    uint16_t x, y;
    int ticks;
  };
  for (const Leg& leg :
       {Leg{65535, 32768, 12}, Leg{32768, 32768, 20}, Leg{32768, 0, 9}, Leg{0, 32768, 7}}) {
    stick.Set(leg.x, leg.y);
    for (int k = 0; k < leg.ticks; ++k) {
      h.clock.Advance(milliseconds(kTickMs));
      w.Timer1Timer();
    }
  }
  const int taught = w.script.count();
  EXPECT_EQ(w.ui->lbMessage->text(), QStringLiteral("Teaching: %1 commands").arg(taught));
  // Pulled out, the stick ends teaching.
  stick.Detach();
  h.clock.Advance(milliseconds(kTickMs));
  w.Timer1Timer();
  EXPECT_FALSE(w.teach().active());
  EXPECT_FALSE(w.ui->btTeach->isChecked());
  EXPECT_TRUE(w.ui->lbMessage->isHidden());
  EXPECT_EQ(w.script.count(), taught);

  const std::vector<Sample> samples = SamplesOf(w.script);
  ASSERT_GE(samples.size(), 8u);
  EXPECT_EQ(samples.back().position, w.state.position[samples.back().servo]);

  // Played from the pose teaching began at, each sample's frame leaves within a tick of its
  // time in the script.
  for (int s = 1; s <= kServoCount; ++s) w.state.position[s] = w.script.getItem(s - 1).value;
  h.pty.Drain(20ms);
  const auto begun = h.clock.now;
  auto woke = begun;
  std::string pending;
  std::vector<Sample> frames;
  h.clock.onSleep = [&] {
    // What went out was written at the time the clock last woke.
    pending += h.pty.Drain(1ms);
    for (; pending.size() >= kFrameSize; pending.erase(0, kFrameSize)) {
      const auto ms = std::chrono::duration_cast<milliseconds>(woke - begun).count();
      frames.push_back({static_cast<uint8_t>(pending[1]) - kAddressOffset,
                        static_cast<uint8_t>(pending[2]), ms});
    }
    woke = h.clock.now;
  };
  w.btPlayClick();
  h.clock.onSleep = nullptr;
  // Servo 1 passes its positions again on the way back: each sample is looked for from the
  // frame of the one before.
  auto from = frames.begin();
  for (const Sample& sample : samples) {
    const auto frame = std::find_if(from, frames.end(), [&](const Sample& f) {
      return f.servo == sample.servo && f.position == sample.position;
    });
    ASSERT_NE(frame, frames.end()) << sample.servo << " " << sample.position;
    EXPECT_LE(std::abs(frame->ms - sample.ms), kTickMs)
        << "servo " << sample.servo << " at " << sample.position;
    from = frame;
  }
}

TEST(TeachOnTheWindow, PlayAndTheToggleEndTeaching) {
  WindowHarness h;
  TfrmVantrel& w = h.Start({{"servoComInterval", "0"}});
  w.ui->btTeach->click();
  ASSERT_TRUE(w.teach().active());
  w.ui->btTeach->click();
  EXPECT_FALSE(w.teach().active());
  EXPECT_FALSE(w.ui->btTeach->isChecked());

  w.btTeachClick();
  ASSERT_TRUE(w.teach().active());
  w.btPlayClick();
  EXPECT_FALSE(w.teach().active());
  EXPECT_FALSE(w.ui->btTeach->isChecked());
}

TEST(TimelineOnTheWindow, ShowsTheScriptAndItsCursorFollowsPlayback) {
  WindowHarness h;
  TfrmVantrel& w = h.Start({{"servoComInterval", "0"}});
  RecordCommand(w.script, 'L', 1, 0);
  RecordCommand(w.script, 'M', 1, 137);
  RecordCommand(w.script, 'P', 0, 1);
  w.ui->btTimeline->click();
  ASSERT_NE(w.timeline(), nullptr);
  const TimelineModel& model = w.timeline()->view()->model();
  EXPECT_EQ(model.commandStartMs.size(), 3u);
  // Recording changes the script: the picture follows.
  RecordCommand(w.script, 'M', 2, 100);
  RecordCommand(w.script, 'J', 1, 1);
  EXPECT_TRUE(w.timeline()->Refresh());
  EXPECT_EQ(w.timeline()->view()->model().commandStartMs.size(), 5u);

  std::vector<int64_t> cursor;
  h.clock.onSleep = [&] { cursor.push_back(w.timeline()->view()->cursorMs()); };
  w.btPlayClick();
  // The cursor stands at the command that is playing when its waits begin.
  const TimelineModel& played = w.timeline()->view()->model();
  ASSERT_FALSE(cursor.empty());
  EXPECT_EQ(cursor.front(), played.commandStartMs[0]);
  // The loop's second pass is shown after its first.
  EXPECT_TRUE(std::is_sorted(cursor.begin(), cursor.end()));
  EXPECT_GT(cursor.back(), played.commandStartMs[4]);
  EXPECT_EQ(w.timeline()->view()->cursorMs(), -1) << "hidden once playback ends";
}

// A W line holds the arm until the operator takes the script up, by Continue or by Space.
TEST(WaitOnTheWindow, ContinueAndSpaceTakeTheScriptUp) {
  for (const bool bySpace : {false, true}) {
    WindowHarness h;
    TfrmVantrel& w = h.Start();
    RecordCommand(w.script, 'W', 0, 0);
    RecordCommand(w.script, 'M', 1, 80);
    int held = 0;
    h.clock.onSleep = [&] {
      if (!w.ui->btContinue->isEnabled() || ++held < 3) return;
      if (held > 3) return w.Halt();  // not taken up: the test ends all the same
      bySpace ? QTest::keyClick(&w, Qt::Key_Space) : w.ui->btContinue->click();
    };
    w.btPlayClick();
    EXPECT_EQ(w.state.position[1], 80) << bySpace;
  }
}

}  // namespace
