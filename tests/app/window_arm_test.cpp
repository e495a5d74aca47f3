// Home, Esc, the speed and repeat boxes and the pose remembered for the port, in the window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <array>
#include <utility>

#include "jog_pad.h"
#include "pose_store.h"
#include "ui_main_window.h"
#include "window_harness.h"

using namespace std::chrono_literals;

namespace {

// The last position each servo was sent on `line` (addresses 1..6), -1 for none.
std::array<int, kServoCount + 1> LastSent(const std::string& line) {
  std::array<int, kServoCount + 1> last;
  last.fill(-1);
  for (size_t i = 0; i + 4 <= line.size(); i += 4) {
    last[static_cast<uint8_t>(line[i + 1]) - kAddressOffset] = static_cast<uint8_t>(line[i + 2]);
  }
  return last;
}

TfrmVantrel& StartActive(WindowHarness& h, std::map<std::string, std::string> changes = {}) {
  changes.emplace("servoComInterval", "0");  // no ticks of its own
  TfrmVantrel& w = h.Start(changes);
  w.show();
  QCoreApplication::processEvents();
  QApplication::setActiveWindow(&w);
  EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
  return w;
}

TEST(Home, TheButtonAndTheHomeKeySendEveryServoToItsInitial) {
  WindowHarness h;
  TfrmVantrel& w = StartActive(
      h, {{"sv1Initial", "100"}, {"sv3Initial", "300"}, {"sv6Initial", "10"}, {"sv6Minval", "20"}});
  const ByteString home =
      Frame(1, 100) + Frame(2, 127) + Frame(3, 254) + Frame(4, 127) + Frame(5, 127) + Frame(6, 20);
  w.state.direction[5] = 1;
  w.ui->btHome->click();
  EXPECT_EQ(h.pty.ReadPeer(24, 2s), home);
  EXPECT_EQ(w.state.direction[5], 0);  // jogging stops
  EXPECT_EQ(w.state.position[3], 254);

  // The key, outside the text boxes; inside one it moves the cursor only.
  w.ui->cbHoriz->setFocus();
  QTest::keyClick(w.ui->cbHoriz, Qt::Key_Home);
  EXPECT_EQ(h.pty.ReadPeer(24, 2s), home);
  for (QWidget* box : {static_cast<QWidget*>(w.ui->Xcoord), static_cast<QWidget*>(w.ui->sbSpeed)}) {
    box->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
  }
  EXPECT_EQ(h.pty.Drain(100ms), "");
  // Typing into the speed and repeat boxes records nothing.
  w.ui->sbRepeat->setFocus();
  QTest::keyClicks(QApplication::focusWidget(), "12");
  EXPECT_EQ(w.script.count(), 0);
}

// On the window's own clock: a wait handles keys as it goes.
TEST(Halt, EscInAnotherWindowEndsTheWaitAndNoFrameFollows) {
  WindowHarness h;
  TfrmVantrel& w = StartActive(h);
  w.clock = h.ownClock;
  RecordCommand(w.script, 'M', 1, 137);
  RecordCommand(w.script, 'P', 0, 10);
  RecordCommand(w.script, 'M', 2, 200);
  TfrmJogPad* pad = w.jogPad();
  pad->show();
  QTimer::singleShot(100, pad, [&] {
    QApplication::setActiveWindow(pad);
    pad->setFocus();
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : pad;
    QTest::keyClick(target, Qt::Key_Escape);
  });
  const auto start = std::chrono::steady_clock::now();
  w.btPlayClick();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);  // not the 10 s of the pause
  EXPECT_EQ(h.pty.ReadPeer(4, 2s), Frame(1, 137));
  EXPECT_EQ(h.pty.Drain(200ms), "");
  EXPECT_EQ(w.state.runState, 1);

  w.script.clear();
  RecordCommand(w.script, 'M', 2, 200);
  w.btPlayClick();  // the next run is not halted by it
  EXPECT_EQ(h.pty.ReadPeer(4, 2s), Frame(2, 200));
}

// Smooth Home and Move: the servos travel together from where they are, tick by tick.
TEST(Home, SmoothHomeAndMoveTravelFromWhereTheArmIs) {
  WindowHarness h;
  // Where the arm was left; without it the arm would be taken to stand at home already.
  ASSERT_TRUE(
      WriteRememberedPose(PoseFolder(), h.pty.slavePath(), {0, 127, 127, 127, 127, 127, 127}));
  TfrmVantrel& w = StartActive(
      h, {{"motion", "smooth"}, {"sv1Speed", "100"}, {"sv1Initial", "27"}, {"sv5Initial", "100"}});
  w.ui->btHome->click();
  // 1.5 s under servo 1's limit: frames on the way, ending at home.
  const std::string line = h.pty.Drain(300ms);
  ASSERT_GT(line.size(), 10u * 4);
  const auto last = LastSent(line);
  EXPECT_EQ(last[1], 27);
  EXPECT_EQ(last[5], 100);
  EXPECT_EQ(last[2], -1);  // already home: never sent
  EXPECT_EQ(w.state.position[1], 27);
  EXPECT_EQ(w.state.position[5], 100);

  SetPoint(w, "15", "5", "0");  // 169 85 0 212 for servos 1 to 4
  w.ui->btmove->click();
  const std::string moved = h.pty.Drain(300ms);
  ASSERT_GT(moved.size(), 10u * 4);
  for (size_t i = 1; i < moved.size(); i += 4) {
    EXPECT_LE(static_cast<uint8_t>(moved[i]) - kAddressOffset, 4) << "servo 5 stays";
  }
  EXPECT_EQ(w.state.position[1], 169);
  EXPECT_EQ(w.state.position[4], 212);
  EXPECT_EQ(w.state.position[5], 100);
}

TEST(Halt, EscHoldsASmoothMoveWhereItIs) {
  WindowHarness h;
  ASSERT_TRUE(
      WriteRememberedPose(PoseFolder(), h.pty.slavePath(), {0, 127, 127, 127, 127, 127, 127}));
  TfrmVantrel& w = StartActive(
      h, {{"motion", "smooth"}, {"sv1Speed", "20"}, {"sv1Accel", "100"}, {"sv1Initial", "227"}});
  w.clock = h.ownClock;  // over 5 s on the real clock, about 8 positions in the first half second
  QTimer::singleShot(500, &w, [&] {
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &w, Qt::Key_Escape);
  });
  const auto start = std::chrono::steady_clock::now();
  w.ui->btHome->click();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  const std::string line = h.pty.Drain(200ms);
  ASSERT_FALSE(line.empty());
  const int held = static_cast<uint8_t>(line[line.size() - 2]);
  EXPECT_LT(held, 227);
  EXPECT_EQ(w.state.position[1], held);
  EXPECT_EQ(h.pty.Drain(200ms), "");  // nothing after the halt
}

}  // namespace

namespace {

// While a script plays (here: its pause), nothing else moves the arm: the buttons are off and
// the keys that reach the handlers all the same are refused on the status line.
TEST(OneMotion, HomeAndTeachDuringAPauseAreRefused) {
  WindowHarness h;
  TfrmVantrel& w = StartActive(h);
  RecordCommand(w.script, 'P', 0, 7);
  bool looked = false;
  h.clock.onSleep = [&] {
    if (std::exchange(looked, true)) return;
    for (QWidget* b : std::initializer_list<QWidget*>{w.ui->btmove, w.ui->btHome, w.ui->btTeach,
                                                      w.ui->btLoad, w.ui->btEdit}) {
      EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    }
    w.btHomeClick();
    w.btTeachClick();
    EXPECT_EQ(w.status.Text(), "The arm is busy: a motion is running");
  };
  w.btPlayClick();
  ASSERT_TRUE(looked);
  EXPECT_EQ(h.pty.Drain(100ms), "");
  EXPECT_FALSE(w.teach().active());
  EXPECT_TRUE(w.ui->btHome->isEnabled());
}

// Teaching records what the arm received: with the port gone, nothing.
TEST(OneMotion, TeachWithoutAPortRecordsNothing) {
  WindowHarness h;
  TfrmVantrel& w = StartActive(h);
  w.btTeachClick();
  ASSERT_EQ(w.teach().commands(), kServoCount);
  w.ComPort1.SetConnected(false);
  w.state.direction[1] = 1;
  for (int k = 0; k < 5; ++k) {
    h.clock.Advance(1s);
    w.Timer1Timer();
  }
  EXPECT_EQ(w.teach().commands(), kServoCount);
  EXPECT_EQ(w.state.position[1], 127);
}

}  // namespace
