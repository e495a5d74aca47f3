// The window and its port: start-up without it, nothing moved while it is closed, a loss that
// ends what moved, and the port opening by itself when it appears.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>

#include "dialog_seam.h"
#include "error_report.h"
#include "jog_field.h"
#include "options_form.h"
#include "playback.h"
#include "ui_main_window.h"
#include "window_harness.h"

using namespace std::chrono_literals;

namespace {

void Move(TfrmVantrel& w) {
  w.ui->Xcoord->setText("15");
  w.ui->Ycoord->setText("5");
  w.ui->Zcoord->setText("0");
  w.btmoveClick();
}

// The port's name leads nowhere, at start-up or after Options, until the test links it.
class PortAppears : public ::testing::TestWithParam<bool> {};

TEST_P(PortAppears, StartUpIsWholeNothingMovesAndThePortOpensByItself) {
  WindowHarness h;
  const std::string link = h.dir.File("usb-Arm_Controller_0001-if00-port0");
  TfrmVantrel& w = h.Start({{"comPort", GetParam() ? h.pty.slavePath() : link}});
  if (GetParam()) {
    w.options()->WriteOption("comPort", link);
    QTimer::singleShot(0, w.options(), &QDialog::accept);
    RunGuarded([&] { w.optionsClick(); });
  }
  ASSERT_EQ(h.details, QStringList{QString::fromStdString(link + ": No such file or directory")});
  EXPECT_EQ(w.state.runState, 1);
  EXPECT_EQ(w.Timer1.Interval(), 50);
  EXPECT_EQ(w.windowTitle(), "Vantrel control - not connected");

  // Jogging, Move and Play leave the arm where it is.
  w.jogPad()->Deflect(2, 1);
  w.Timer1Timer();
  Move(w);
  RecordCommand(w.script, 'M', 1, 100);
  w.btPlayClick();
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(w.state.position[i], 127) << i;
  EXPECT_EQ(w.ui->lbServo1->text(), "servo1: 127");
  EXPECT_EQ(w.ui->lbMessage->text(), "Not connected: the arm was not moved");

  // The knob still held is let go: nothing goes out until the operator acts again.
  std::filesystem::create_symlink(h.pty.slavePath(), link);
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.ComPort1.Connected(); }, 5000));
  // A long path is shortened in the middle; the tooltip holds it whole.
  EXPECT_EQ(w.ui->lbMessage->toolTip().toStdString(), "Connected to " + link);
  QTest::qWait(120);
  EXPECT_EQ(h.pty.Drain(50ms), "");
  Move(w);
  EXPECT_EQ(h.pty.ReadPeer(24, 2s).substr(16), Frame(5, 127) + Frame(6, 127));
  EXPECT_EQ(w.windowTitle(), "Vantrel control");
}

INSTANTIATE_TEST_SUITE_P(AtStartOrAfterOptions, PortAppears, ::testing::Bool());

// The device goes while a script plays or the knob is held, and is back before its report
// is closed.
class LostWhileMoving : public ::testing::TestWithParam<bool> {};

TEST_P(LostWhileMoving, EndsTheMotionWithOneReportAndNoFrameAfter) {
  const bool playing = GetParam();
  WindowHarness h;
  const std::string link = h.dir.File("arm");
  std::filesystem::create_symlink(h.pty.slavePath(), link);
  TfrmVantrel& w = h.Start({{"comPort", link}, {"servoComInterval", playing ? "0" : "20"}});
  std::unique_ptr<PtyPair> next;
  UiSeam::Instance().showError = [&](QWidget*, const QString& text, const QString&) {
    h.errors << text;
    next = std::make_unique<PtyPair>();
    std::filesystem::create_symlink(next->slavePath(), link);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.ComPort1.Connected(); }, 5000));
    QTest::qWait(150);  // ticks run meanwhile
  };
  auto unplug = [&] {
    h.pty.CloseMaster();
    std::filesystem::remove(link);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !h.errors.isEmpty(); }, 5000));
  };
  if (playing) {
    for (int i = 0; i < 20; ++i) RecordCommand(w.script, 'M', 1, i % 2 ? 100 : 110);
    h.clock.onSleep = [&] {
      if (h.clock.sleeps.size() == 2) unplug();
    };
    QTest::mouseClick(w.ui->btPlay, Qt::LeftButton);
    EXPECT_EQ(w.state.runState, 1);
  } else {
    w.jogPad()->Deflect(2, 1);
    QTest::qWait(100);
    ASSERT_EQ(h.pty.ReadPeer(8, 2s).size(), 8u);
    unplug();
    EXPECT_TRUE(w.jogPad()->field()->Centred());
  }
  ASSERT_TRUE(next);
  QTest::qWait(100);
  EXPECT_EQ(next->Drain(50ms), "");
  EXPECT_EQ(h.errors,
            QStringList{QString::fromStdString("Serial device " + link + " disconnected")});
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(w.state.direction[i], 0);
}

INSTANTIATE_TEST_SUITE_P(PlayingOrJogging, LostWhileMoving, ::testing::Bool());

}  // namespace
