// Limp on the window against the virtual boards: bus servos go limp, a hand moves them, Teach
// records what the board reports, and the arm holds again where the hand left it.
#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <atomic>

#include "options_form.h"
#include "script_line.h"
#include "ui_main_window.h"
#include "virtual_controller.h"
#include "window_harness.h"

namespace {

TVirtualServoController& board = TVirtualServoController::Instance();

// The virtual board takes the line's bytes on its own thread, in its own time.
bool EveryServoBecomes(bool limp) {
  for (int i = 0; i < 300; ++i, QTest::qWait(10)) {
    const auto state = board.State();
    if (std::count(state.limp + 1, state.limp + 7, limp) == kServoCount) return true;
  }
  return false;
}

// The hand takes `servo` to `position`; a tick follows 100 ms on.
void HandThenTick(WindowHarness& h, int servo, int32_t position) {
  ASSERT_TRUE(board.MoveByHand(servo, position));
  h.clock.Advance(std::chrono::milliseconds(100));
  h.window->Timer1Timer();
}

class LimpOnTheBoard : public testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    board.SetPose(std::array<int32_t, 7>{0, 127, 127, 127, 127, 127, 127}.data());
    for (int s = 1; s <= kServoCount; ++s) board.SetAnswering(s, true);  // as another test left it
    w = &StartIdle(h, {{"comPort", "sim"}, {"controller", GetParam()}, {"sv5Maxval", "200"}});
    // The listening thread may be slow to answer on a busy machine.
    w->ComPort1.Timeouts().SetReadTotalConstant(500);
    w->ui->btLimp->click();
    ASSERT_TRUE(EveryServoBecomes(true));
  }
  WindowHarness h;
  TfrmVantrel* w = nullptr;
};

TEST_P(LimpOnTheBoard, TheHandMovesTheArmTeachRecordsItAndLimpOffHoldsItThere) {
  EXPECT_EQ(w->status.Text(), "Limp: move the arm by hand");
  const auto limp = board.State();
  w->btTeachClick();
  // The stick asks for servo 1 meanwhile, Home is pressed: nothing goes out.
  w->state.direction[1] = 1;
  HandThenTick(h, 3, 200);
  HandThenTick(h, 2, 40);
  w->btHomeClick();
  EXPECT_EQ(w->status.Text(), "The arm is limp: Limp (F9) holds it");
  EXPECT_EQ(board.State().frames, limp.frames);
  std::string taught;
  for (int i = kServoCount; i < w->script.count(); ++i)
    taught += FormatScriptLine(w->script.getItem(i)) + " ";
  EXPECT_EQ(taught, "T;0;1 M;3;200 T;0;1 M;2;40 ");
  const int32_t left[7] = {0, 101, 40, 200, 104, 105, 106};
  for (const int s : {1, 4, 5, 6}) ASSERT_TRUE(board.MoveByHand(s, left[s]));
  // Whatever the board takes on the way, no servo leaves the hand's pose.
  std::atomic<int> elsewhere = 0;
  board.SetListener(
      [&] { elsewhere += !std::equal(left + 1, left + 7, board.State().position + 1); });
  QTest::keyClick(w, Qt::Key_F9);
  ASSERT_TRUE(EveryServoBecomes(false));
  board.SetListener({});
  EXPECT_EQ(elsewhere, 0);
  // One target per servo, each where the hand left it, and the torque holds it there.
  const auto held = board.State();
  EXPECT_EQ(held.frames - limp.frames, static_cast<uint64_t>(kServoCount));
  for (int s = 1; s <= kServoCount; ++s) {
    EXPECT_EQ(held.position[s], left[s]) << s;
    EXPECT_EQ(w->state.position[s], left[s]) << s;
  }
}

TEST_P(LimpOnTheBoard, ASilentServoEndsTeachingAndAServoBeyondItsLimitKeepsTheArmLimp) {
  // A hand beyond a servo's limit: held there, the torque would drive it back within.
  ASSERT_TRUE(board.MoveByHand(5, 230));
  w->ui->btLimp->click();
  EXPECT_EQ(w->status.Text(), "Still limp: servo 5 at 230, outside 0..200");
  EXPECT_TRUE(w->ui->btLimp->isChecked());
  ASSERT_TRUE(board.MoveByHand(5, 150));
  w->btTeachClick();
  board.SetAnswering(4, false);
  HandThenTick(h, 2, 40);
  EXPECT_FALSE(w->teach().active());
  const QString silent = "Servo 4: the reply is too short or never came; reading back is off";
  EXPECT_EQ(w->status.Text(), "Teaching ended: " + silent);
  w->ui->btLimp->click();
  EXPECT_EQ(w->status.Text(), "Still limp: " + silent);
  EXPECT_TRUE(EveryServoBecomes(true));
  board.SetAnswering(4, true);
  // The port closed and opened again (Options) holds the arm where it stands.
  QTimer::singleShot(0, w->options(), &QDialog::reject);
  w->optionsClick();
  EXPECT_FALSE(w->limp().active());
  EXPECT_TRUE(EveryServoBecomes(false));
  EXPECT_EQ(board.State().position[5], 150);
}

INSTANTIATE_TEST_SUITE_P(BusServos, LimpOnTheBoard, testing::Values("sts", "lx16a"));

TEST(LimpOnTheWindow, IsOffWhereTheBoardHasNoTorqueSwitch) {
  for (const char* controller : {"vantrel", "ssc32", "maestro", "minissc"}) {
    WindowHarness h;
    TfrmVantrel& w = StartIdle(h, {{"comPort", "sim"}, {"controller", controller}});
    QTest::keyClick(&w, Qt::Key_F9);
    EXPECT_FALSE(w.ui->btLimp->isEnabled()) << controller;
    EXPECT_FALSE(w.limp().active()) << controller;
  }
}

}  // namespace
