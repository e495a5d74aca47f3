// The window reading its board back while connected: the measured arm in the view following the
// board, a hot or overloaded servo halting a Move, a board that stops answering.
#include <gtest/gtest.h>

#include "arm_view.h"
#include "virtual_controller.h"
#include "window_harness.h"

namespace {

// On the virtual board, found in the middle, cool and answering.
struct OnBoard : WindowHarness {
  OnBoard(const std::string& family, std::map<std::string, std::string> settings = {}) {
    board.SetPose(std::array<int32_t, 7>{0, 127, 127, 127, 127, 127, 127}.data());
    for (int s = 1; s <= 6; ++s) board.SetHealth(s, 35, false), board.SetAnswering(s, true);
    settings.insert({{"comPort", "sim"}, {"controller", family}, {"baudRate", "115200"}});
    StartIdle(*this, settings);
  }
  // Ticks with nothing to send, each asking the next servo.
  void AskEveryServo() {
    for (int i = 0; i < 6; ++i) window->Timer1Timer();
  }
  TVirtualServoController& board = TVirtualServoController::Instance();
};

class MeasuredArm : public testing::TestWithParam<const char*> {};

TEST_P(MeasuredArm, ReachesTheViewAndFollowsTheBoard) {
  OnBoard h(GetParam());
  EXPECT_TRUE(h.window->armView()->measured().has_value());   // read as the port opened
  const int32_t moved[7] = {0, 100, 110, 30, 130, 140, 150};  // not where the window sent it
  h.board.SetPose(moved);
  h.AskEveryServo();
  const auto shown = h.window->armView()->measured();
  ASSERT_TRUE(shown.has_value()) << h.window->status.Text().toStdString();
  // The PWM boards tell a pulse in 10 µs steps: a position may come back one off.
  for (int s = 1; s <= 6; ++s) EXPECT_NEAR((*shown)[s], moved[s], 1) << "servo " << s;
}

INSTANTIATE_TEST_SUITE_P(AnsweringBoards, MeasuredArm, testing::Values("sts", "ssc32"));

TEST(BoardWatch, AHotOrOverloadedServoHaltsAMoveWithOneMessageWhileItLasts) {
  for (const auto& [celsius, said] :
       {std::pair{90, "Servo 3 is at 90 °C, above 70 °C: all motion halted"},
        {35, "Servo 3 reports overload: all motion halted"}}) {
    OnBoard h("sts", {{"motion", "smooth"}, {"sv1Initial", "20"}, {"sv1Speed", "100"}});
    h.board.SetHealth(3, celsius, true);
    h.window->btHomeClick();
    const uint64_t frames = h.board.State().frames;
    h.window->btHomeClick();  // nothing moves while it stands
    EXPECT_EQ(h.errors, QStringList{said});
    EXPECT_EQ(h.window->status.Text(), said);
    EXPECT_GT(h.board.State().position[1], 60);  // long before home
    EXPECT_EQ(h.board.State().frames, frames);
    h.board.SetHealth(3, 35, false);
    h.AskEveryServo();
    EXPECT_EQ(h.window->status.Text(), "");
    EXPECT_EQ(h.window->boardWatch().alarm(), "");
  }
}

TEST(BoardWatch, ABoardThatStopsAnsweringIsSaidOnceAndAskedNoMore) {
  OnBoard h("sts");
  h.board.SetAnswering(2, false);
  h.AskEveryServo();
  const auto asked = h.board.State().queries;
  h.AskEveryServo();
  EXPECT_EQ(h.board.State().queries, asked);
  EXPECT_EQ(h.window->status.Text(),
            "Servo 2: the reply is too short or never came; reading back is off");
  EXPECT_FALSE(h.window->armView()->measured().has_value());
}

}  // namespace
