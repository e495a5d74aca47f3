// The window and its port: start-up without it, nothing moved while it is closed, a loss that
// ends what moved, and the port opening by itself when it appears.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>

#include "com_error.h"
#include "dialog_seam.h"
#include "jog_field.h"
#include "options_form.h"
#include "playback.h"
#include "ui_main_window.h"
#include "window_harness.h"

using namespace std::chrono_literals;

namespace {

void ExpectAtStart(const TfrmVantrel& w) {
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(w.state.position[i], 127) << "servo " << i;
  EXPECT_EQ(w.ui->lbServo1->text(), "servo1: 127");
}

void Move(TfrmVantrel& w, const char* x, const char* y, const char* z) {
  w.ui->Xcoord->setText(x);
  w.ui->Ycoord->setText(y);
  w.ui->Zcoord->setText(z);
  w.btmoveClick();
}

// The port's name leads nowhere until the test links it to the pty.
class PortAppears : public ::testing::TestWithParam<bool> {};

TEST_P(PortAppears, StartUpIsWholeAndThePortOpensByItselfWithNothingSent) {
  const bool fromOptions = GetParam();
  WindowHarness h;
  const std::string link = h.dir.File("usb-Arm_Controller_0001-if00-port0");
  TfrmVantrel& w = h.Start(fromOptions ? std::map<std::string, std::string>{}
                                       : std::map<std::string, std::string>{{"comPort", link}});
  if (fromOptions) {
    w.options()->WriteOption("comPort", link);
    QTimer::singleShot(0, w.options(), &QDialog::accept);
    try {
      w.optionsClick();
    } catch (const EComPort& e) {
      h.errors << e.what();
      h.details << QString::fromStdString(DetailOf(e));
    }
  }
  ASSERT_EQ(h.errors.size(), 1);
  EXPECT_EQ(h.errors[0], "Unable to open com port (win error code: 2)");
  EXPECT_EQ(h.details[0].toStdString(), link + ": No such file or directory");
  EXPECT_EQ(w.state.runState, 1);
  EXPECT_EQ(w.state.servoIncr, 2);
  EXPECT_EQ(w.Timer1.Interval(), 50);
  EXPECT_TRUE(w.Timer1.Active());
  ExpectAtStart(w);
  EXPECT_EQ(w.windowTitle(), "Vantrel control - not connected");

  std::filesystem::create_symlink(h.pty.slavePath(), link);
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.ComPort1.Connected(); }, 5000));
  EXPECT_EQ(w.windowTitle(), "Vantrel control");
  EXPECT_EQ(w.ui->lbMessage->text().toStdString(), "Connected to " + link);
  QTest::qWait(120);
  EXPECT_EQ(h.pty.Drain(50ms), "");

  // The servos not moved go out at their start values.
  Move(w, "15", "5", "0");
  EXPECT_EQ(h.pty.ReadPeer(24, 2s).substr(16), Frame(5, 127) + Frame(6, 127));
  EXPECT_EQ(h.errors.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(AtStartOrAfterOptions, PortAppears, ::testing::Bool());

enum class Action { Jog, Move, Play };

class NotConnected : public ::testing::TestWithParam<Action> {};

TEST_P(NotConnected, NothingMovesAndTheBarSaysSo) {
  WindowHarness h;
  TfrmVantrel& w = h.Start({{"comPort", h.dir.File("gone")}, {"servoComInterval", "0"}});
  RecordCommand(w.script, 'M', 1, 100);
  switch (GetParam()) {
    case Action::Jog:
      w.jogPad()->Deflect(2, 1);
      w.Timer1Timer();
      w.Timer1Timer();
      break;
    case Action::Move:
      Move(w, "15", "5", "0");
      break;
    case Action::Play:
      w.btPlayClick();
      EXPECT_EQ(w.state.runState, 1);
      break;
  }
  ExpectAtStart(w);
  EXPECT_EQ(w.ui->lbMessage->text(), "Not connected: the arm was not moved");
  EXPECT_FALSE(w.ui->lbMessage->isHidden());
  EXPECT_EQ(h.errors.size(), 1);  // the start-up's report only
}

INSTANTIATE_TEST_SUITE_P(JogMovePlay, NotConnected,
                         ::testing::Values(Action::Jog, Action::Move, Action::Play));

// The device goes while the arm moves and is back before its report is closed.
class LostWhileMoving : public ::testing::TestWithParam<Action> {};

TEST_P(LostWhileMoving, EndsTheMotionWithOneReportAndNoFrameAfter) {
  const bool playing = GetParam() == Action::Play;
  WindowHarness h;
  const std::string link = h.dir.File("arm");
  std::filesystem::create_symlink(h.pty.slavePath(), link);
  TfrmVantrel& w = h.Start({{"comPort", link}, {"servoComInterval", playing ? "0" : "20"}});
  std::unique_ptr<PtyPair> next;
  auto unplug = [&] {
    h.pty.CloseMaster();
    std::filesystem::remove(link);
  };
  UiSeam::Instance().showError = [&](QWidget*, const QString& text, const QString&) {
    h.errors << text;
    next = std::make_unique<PtyPair>();
    std::filesystem::create_symlink(next->slavePath(), link);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.ComPort1.Connected(); }, 5000));
    QTest::qWait(150);  // ticks run meanwhile
  };

  if (playing) {
    for (int i = 0; i < 20; ++i) RecordCommand(w.script, 'M', 1, i % 2 ? 100 : 110);
    h.clock.onSleep = [&] {
      if (h.clock.sleeps.size() != 2) return;
      unplug();
      QTest::qWaitFor([&] { return !w.ComPort1.Connected(); }, 5000);
    };
    QTest::mouseClick(w.ui->btPlay, Qt::LeftButton);
    EXPECT_EQ(w.state.runState, 1);
    EXPECT_TRUE(w.ui->btPlay->isEnabled());
  } else {
    w.jogPad()->Deflect(2, 1);
    QTest::qWait(100);
    ASSERT_EQ(h.pty.ReadPeer(8, 2s).size(), 8u);
    unplug();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !h.errors.isEmpty(); }, 5000));
    EXPECT_TRUE(w.jogPad()->field()->Centred());
  }
  ASSERT_TRUE(next);
  QTest::qWait(100);
  EXPECT_EQ(next->Drain(50ms), "");
  ASSERT_EQ(h.errors.size(), 1) << h.errors.join("; ").toStdString();
  EXPECT_EQ(h.errors[0].toStdString(), "Serial device " + link + " disconnected");
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(w.state.direction[i], 0);
}

INSTANTIATE_TEST_SUITE_P(PlayAndJog, LostWhileMoving, ::testing::Values(Action::Play, Action::Jog));

}  // namespace
