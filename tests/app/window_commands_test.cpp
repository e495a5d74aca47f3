#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <chrono>
#include <thread>

#include "arm_view.h"
#include "com_error.h"
#include "dialog_seam.h"
#include "errors.h"
#include "joy_form.h"
#include "options_form.h"
#include "port_fixture.h"
#include "pose_store.h"
#include "ui_main_window.h"
#include "virtual_controller.h"
#include "virtual_stick.h"
#include "window_harness.h"

using namespace std::chrono_literals;

namespace {

// Playback's two states as the window shows them.
void ExpectIdle(TfrmVantrel& w) {
  EXPECT_EQ(w.state.runState, 1);
  EXPECT_TRUE(w.ui->btPlay->isEnabled() && w.ui->btClearScript->isEnabled());
  EXPECT_TRUE(w.ui->btLoad->isEnabled() && w.ui->btEdit->isEnabled());
  EXPECT_FALSE(w.ui->btStop->isEnabled());
  // Hidden, or showing a message of its own.
  EXPECT_TRUE(w.ui->lbMessage->isHidden() || w.ui->lbMessage->text() != "Playing.....");
}

void ExpectPlaying(TfrmVantrel& w) {
  EXPECT_EQ(w.state.runState, 2);
  EXPECT_FALSE(w.ui->lbMessage->isHidden());
  EXPECT_EQ(w.ui->lbMessage->text(), "Playing.....");
  EXPECT_TRUE(w.ui->btStop->isEnabled());
  EXPECT_FALSE(w.ui->btPlay->isEnabled() || w.ui->btClearScript->isEnabled());
  // Either would replace the commands being played.
  EXPECT_FALSE(w.ui->btLoad->isEnabled() || w.ui->btEdit->isEnabled());
}

TEST(MoveCommand, SendsAllSixServosInOneWrite) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  SetPoint(w, "15", "5", "0");
  w.btmoveClick();
  EXPECT_EQ(h.pty.ReadPeer(24, 2s), Frame(1, 169) + Frame(2, 85) + Frame(3, 0) + Frame(4, 212) +
                                        Frame(5, 127) + Frame(6, 127));
  EXPECT_EQ(w.ui->lbServo1->text(), "servo1: 169");
  EXPECT_TRUE(w.Timer1.Enabled());
}

TEST(MoveCommand, BadInputChangesNothingAndSendsNothing) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  w.state.direction[1] = 1;
  w.Timer1.Start();
  SetPoint(w, "15", "", "0");
  try {
    w.btmoveClick();
    FAIL() << "no error";
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "'' is not a valid integer value");
  }
  SetPoint(w, "5", "5", "0");  // the wrist on the shoulder joint
  EXPECT_THROW(w.btmoveClick(), EMathError);
  EXPECT_EQ(w.state.position[1], 127);
  // Refused for a bad number or the arithmetic alike: jogging goes on as it was.
  EXPECT_EQ(w.state.direction[1], 1);
  EXPECT_TRUE(w.Timer1.Enabled());
  w.Timer1.Stop();
  EXPECT_EQ(h.pty.Drain(100ms), "");
  // Through the button, the error reaches the operator's error box.
  QTest::mouseClick(w.ui->btmove, Qt::LeftButton);
  ASSERT_EQ(h.errors.size(), 1);
  EXPECT_EQ(h.errors[0], "Invalid floating point operation");
  EXPECT_EQ(h.details[0], "");
  SetPoint(w, "15", "5", "z");
  QTest::mouseClick(w.ui->btmove, Qt::LeftButton);
  ASSERT_EQ(h.errors.size(), 2);
  EXPECT_EQ(h.errors[1], "'z' is not a valid integer value");
  EXPECT_EQ(h.details[1], "field Z");
}

TEST(ErrorBox, TheDetailIsTheBoxsInformativeText) {
  UiSeam::Instance().Reset();
  QString text, detail;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    text = box->text();
    detail = box->informativeText();
    box->accept();
  });
  UiSeam::Instance().showError(nullptr, "1001 :TRobopath: load",
                               "/tmp/a.vco, line 2: a blank line");
  EXPECT_EQ(text, "1001 :TRobopath: load");
  EXPECT_EQ(detail, "/tmp/a.vco, line 2: a blank line");
}

TEST(MoveCommand, FieldsHoldSevenCharacters) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  EXPECT_EQ(w.ui->Xcoord->maxLength(), 7);  // "-100.25"
  EXPECT_EQ(w.ui->Zcoord->text(), "0");
}

TEST(SerialWriteTimeout, MoveAndPlaybackReportAShortWriteOnceAndStop) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  // A controller whose firmware hangs: it stops reading, the line fills up.
  w.ComPort1.Timeouts().SetWriteTotalMultiplier(0);
  w.ComPort1.Timeouts().SetWriteTotalConstant(30);
  ASSERT_TRUE(FillLine(w.ComPort1));

  SetPoint(w, "15", "5", "0");
  QTest::mouseClick(w.ui->btmove, Qt::LeftButton);
  ASSERT_EQ(h.errors.size(), 1);
  EXPECT_EQ(h.errors[0], "Serial write timed out: 0 of 24 bytes sent");
  EXPECT_EQ(h.details[0].toStdString(), h.pty.slavePath());
  EXPECT_FALSE(w.Timer1.Enabled());
  // The arm got nothing: the gauges stay, and the bar says how the tick runs again.
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(w.state.position[i], 127);
  EXPECT_EQ(w.ui->lbServo1->text(), "servo1: 127");
  EXPECT_EQ(w.ui->lbMessage->text(), "Tick stopped: press Options, then OK, to start it");
  EXPECT_FALSE(w.ui->lbMessage->isHidden());

  RecordCommand(w.script, 'M', 1, 100);
  RecordCommand(w.script, 'M', 2, 100);
  QTest::mouseClick(w.ui->btPlay, Qt::LeftButton);
  ASSERT_EQ(h.errors.size(), 2);
  EXPECT_EQ(h.errors[1], "Serial write timed out: 0 of 4 bytes sent");
  ExpectIdle(w);
  EXPECT_FALSE(w.Timer1.Enabled());
  EXPECT_EQ(w.state.position[1], 127);  // not sent, so not moved
  EXPECT_EQ(w.state.position[2], 127);  // the second command never ran
}

TEST(HorizontalMode, WristFollowsShoulderAndElbowInTheTick) {
  // The tick reads the stick; without one every direction stops.
  VirtualStick stick;
  SKIP_WITH_REAL_JOYSTICK();
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h, {{"servoIncr", "1"}});
  w.ui->cbHoriz->setChecked(true);
  stick.Set(65535, 32768);  // servo 1 up
  w.state.direction[5] = 1;
  w.Timer1Timer();
  // Servo 4 follows 1 and 2: 128 - 127 + 127.
  EXPECT_EQ(h.pty.ReadPeer(12, 2s), Frame(1, 128) + Frame(4, 128) + Frame(5, 128));
}

TEST(PlaybackOnTheLine, FramesFollowTheScriptWithTravelTimes) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  RecordCommand(w.script, 'M', 1, 137);  // 10 steps: 200 ms
  RecordCommand(w.script, 'M', 1, 127);  // 10 steps back
  RecordCommand(w.script, 'M', 2, 117);
  // Each frame must be on the line before the clock is asked to wait after it.
  std::vector<size_t> framesOnTheLineAtEachSleep;
  std::string line;
  h.clock.onSleep = [&] {
    line += h.pty.Drain(20ms);
    framesOnTheLineAtEachSleep.push_back(line.size() / 4);
    EXPECT_FALSE(w.Timer1.Enabled()) << "a tick between the frames would hold the next one up";
  };
  w.btPlayClick();
  EXPECT_TRUE(w.Timer1.Enabled());
  line += h.pty.Drain(50ms);
  EXPECT_EQ(line, Frame(1, 137) + Frame(1, 127) + Frame(2, 117));
  // The 2 ms pause after each write, then the travel time of the move.
  using std::chrono::microseconds;
  EXPECT_EQ(h.clock.sleeps, (std::vector<microseconds>{2ms, 200ms, 2ms, 200ms, 2ms, 200ms}));
  EXPECT_EQ(framesOnTheLineAtEachSleep, (std::vector<size_t>{1, 1, 2, 2, 3, 3}));
  ExpectIdle(w);
}

TEST(PlaybackOnTheLine, StopClickedDuringAPauseEndsAfterIt) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  RecordCommand(w.script, 'P', 0, 7);
  RecordCommand(w.script, 'M', 1, 10);
  h.clock.onSleep = [&] {
    ExpectPlaying(w);
    // The operator clicks Stop while the pause runs; the click waits in the queue.
    QTimer::singleShot(0, w.ui->btStop, [&] { w.ui->btStop->click(); });
  };
  w.btPlayClick();
  EXPECT_EQ(h.clock.sleeps, std::vector<std::chrono::microseconds>{7000ms});
  EXPECT_EQ(h.pty.Drain(100ms), "");
  ExpectIdle(w);
}

TEST(ScriptFiles, SaveAndLoadThroughTheButtons) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  RecordCommand(w.script, 'M', 3, 140);
  RecordCommand(w.script, 'P', 0, 5);
  const std::string path = h.dir.File("arm.vcp");
  UiSeam::Instance().saveFileName = [&](QWidget*, const QString& filter, const QString& suffix) {
    EXPECT_EQ(filter, "Vantrel script (*.vco *.vcp);;All files (*)");
    EXPECT_EQ(suffix, "vcp");
    return QString::fromStdString(path);
  };
  QTest::mouseClick(w.ui->btSave, Qt::LeftButton);
  EXPECT_EQ(ReadFile(path), "M;3;140\r\nP;0;5\r\n");

  w.script.clear();
  UiSeam::Instance().openFileName = [&](QWidget*, const QString& filter) {
    // The saved name ends in .vcp: the first filter must list it.
    EXPECT_TRUE(filter.startsWith("Vantrel script (*.vco *.vcp);;")) << filter.toStdString();
    return QString::fromStdString(path);
  };
  QTest::mouseClick(w.ui->btLoad, Qt::LeftButton);
  ASSERT_EQ(w.script.count(), 2);
  EXPECT_EQ(w.script.getItem(0).value, 140);
  EXPECT_TRUE(h.errors.isEmpty());
}

TEST(ScriptFiles, AnEmptyScriptIsNotSavedAndSaysSo) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  WriteFile(h.dir.File("arm.vco"), "M;1;5\r\n");
  bool asked = false;
  UiSeam::Instance().saveFileName = [&](QWidget*, const QString&, const QString&) {
    asked = true;
    return QString::fromStdString(h.dir.File("arm.vco"));
  };
  QTest::mouseClick(w.ui->btSave, Qt::LeftButton);
  EXPECT_FALSE(asked);
  ASSERT_EQ(h.errors.size(), 1);
  EXPECT_EQ(h.errors[0], "The script is empty: nothing was saved");
  EXPECT_EQ(ReadFile(h.dir.File("arm.vco")), "M;1;5\r\n");
}

TEST(ScriptFiles, AFailedSaveShowsTheMessageAndKeepsTheOldFile) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  RecordCommand(w.script, 'M', 1, 1);
  WriteFile(h.dir.File("blocker"), "keep");
  UiSeam::Instance().saveFileName = [&](QWidget*, const QString&, const QString&) {
    return QString::fromStdString(h.dir.File("blocker/arm.vcp"));
  };
  QTest::mouseClick(w.ui->btSave, Qt::LeftButton);
  ASSERT_EQ(h.errors.size(), 1);
  EXPECT_EQ(h.errors[0], "1002: FileProcess: writeRow");
  EXPECT_EQ(h.details[0].toStdString(), h.dir.File("blocker/arm.vcp") + ": Not a directory");
  EXPECT_EQ(ReadFile(h.dir.File("blocker")), "keep");

  UiSeam::Instance().openFileName = [&](QWidget*, const QString&) {
    return QString::fromStdString(h.dir.File("missing.vco"));
  };
  QTest::mouseClick(w.ui->btLoad, Qt::LeftButton);
  ASSERT_EQ(h.errors.size(), 2);
  EXPECT_EQ(h.errors[1], "1001 :TRobopath: load");
  EXPECT_EQ(h.details[1].toStdString(), h.dir.File("missing.vco") + ": No such file or directory");
  EXPECT_EQ(w.script.count(), 1);
}

TEST(OptionsDialog, CancelKeepsTheLimitsButAppliesTheRest) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  int opens = 0;
  w.ComPort1.OnAfterOpen = [&](TCustomComPort*) { ++opens; };
  w.options()->WriteOption("sv1Maxval", "100");
  w.options()->WriteOption("servoIncr", "7");
  QTimer::singleShot(0, w.options(), &QDialog::reject);
  w.optionsClick();
  EXPECT_EQ(w.options()->tables().Maxval[1], 254);
  EXPECT_EQ(w.state.servoIncr, 7);
  EXPECT_EQ(opens, 1);  // closed and reopened
  EXPECT_TRUE(w.Timer1.Enabled());
  h.Stop();
  EXPECT_NE(ReadFile(h.settingsPath()).find("sv1Maxval=100"), std::string::npos);
}

TEST(OptionsDialog, OkAppliesTheLimitsAtOnce) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  w.options()->WriteOption("sv1Maxval", "100");
  QTimer::singleShot(0, w.options(), [&] { w.options()->okClick(); });
  w.optionsClick();
  EXPECT_EQ(w.options()->tables().Maxval[1], 100);
  w.Timer1Timer();
  EXPECT_EQ(w.state.position[1], 100);
}

TEST(JoystickDialog, TheTickRunsAgainAfterTheDialog) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  QTimer::singleShot(0, w.joystick(), [&] {
    EXPECT_FALSE(w.Timer1.Enabled());
    w.joystick()->reject();
  });
  w.joyConfigureClick();
  EXPECT_TRUE(w.Timer1.Enabled());
  EXPECT_EQ(w.options()->ReadOption("joyMaxX"), "65535");  // Cancel writes nothing
}

TEST(OptionsDialog, AReopenThatFailsStillAppliesTheRestAndTicks) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  w.options()->WriteOption("comPort", "");
  w.options()->WriteOption("servoIncr", "9");
  QTimer::singleShot(0, w.options(), &QDialog::accept);
  EXPECT_THROW(w.optionsClick(), EComPort);
  EXPECT_FALSE(w.ComPort1.Connected());
  EXPECT_TRUE(w.Timer1.Enabled());
  EXPECT_EQ(w.state.servoIncr, 9);
}

}  // namespace

namespace {

TEST(VirtualArm, MoveToAPointReachesTheSimulatedController) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h, {{"comPort", "sim"}});
  ASSERT_TRUE(h.errors.isEmpty()) << h.errors.join("; ").toStdString();
  ASSERT_NE(w.armView(), nullptr);
  EXPECT_TRUE(w.armView()->isVisible());
  const auto before = TVirtualServoController::Instance().State();
  SetPoint(w, "15", "5", "0");
  w.btmoveClick();
  for (int i = 0; i < 300 && w.armView()->frames() < before.frames + 6; ++i) QTest::qWait(10);
  const auto s = TVirtualServoController::Instance().State();
  EXPECT_EQ(s.frames - before.frames, 6u);
  EXPECT_EQ(s.badFrames, before.badFrames);
  EXPECT_EQ(s.position[1], 169);
  EXPECT_EQ(s.position[2], 85);
  EXPECT_EQ(s.position[3], 0);
  EXPECT_EQ(s.position[4], 212);
  EXPECT_EQ(w.armView()->position(4), 212);

  // Another port: the arm view stays, drawing the pose sent to that arm.
  w.options()->WriteOption("comPort", h.pty.slavePath());
  QTimer::singleShot(0, w.options(), &QDialog::reject);
  w.optionsClick();
  EXPECT_TRUE(w.armView()->isVisible());
  EXPECT_EQ(w.armView()->windowTitle(), "Arm");
  EXPECT_FALSE(TVirtualServoController::Instance().Running());
}

// The virtual arm stands where the window takes the arm to stand: its remembered pose.
TEST(VirtualArm, StartsAtThePoseTheWindowStartsFrom) {
  WindowHarness h;
  ASSERT_TRUE(WriteRememberedPose(PoseFolder(), "sim", {0, 205, 127, 127, 127, 127, 90}));
  TfrmVantrel& w = StartIdle(h, {{"comPort", "sim"}});
  ASSERT_NE(w.armView(), nullptr);
  const auto s = TVirtualServoController::Instance().State();
  for (const int servo : {1, 6}) {
    EXPECT_EQ(s.position[servo], w.state.position[servo]);
    EXPECT_EQ(w.armView()->position(servo), w.state.position[servo]);
  }
  EXPECT_EQ(w.state.position[1], 205);
}

// Another clock's sleeps, each followed by a look at the window.
class WatchedClock : public ScheduleClock {
 public:
  WatchedClock(ScheduleClock& inner, std::function<void(Duration)> after)
      : inner_(inner), after_(std::move(after)) {}
  TimePoint Now() override { return inner_.Now(); }
  void SleepUntil(TimePoint when) override {
    const Duration span = when - inner_.Now();
    inner_.SleepUntil(when);
    after_(span);
  }

 private:
  ScheduleClock& inner_;
  std::function<void(Duration)> after_;
};

TEST(VirtualArm, TheViewShowsAPlayedMoveDuringTheWaitAfterIt) {
  WindowHarness h;
  // The shoulder at 227 takes the tool point down to Y -6: a table below that.
  TfrmVantrel& w = StartIdle(h, {{"comPort", "sim"}, {"minToolY", "-10"}});
  ASSERT_NE(w.armView(), nullptr);
  ASSERT_NE(h.ownClock, nullptr);
  w.state.position[1] = 127;
  RecordCommand(w.script, 'M', 1, 227);  // 100 steps: a 2 s wait
  TArmView* view = w.armView();
  const uint64_t paintsBefore = view->paints();
  int longWaits = 0;
  // The window's own clock, looked at when the travel wait ends: between the frame and then
  // no event has been handled.
  WatchedClock watched(*h.ownClock, [&](ScheduleClock::Duration span) {
    if (span < 1s) return;
    ++longWaits;
    EXPECT_EQ(view->position(1), 227);
    EXPECT_GT(view->paints(), paintsBefore);
  });
  w.clock = &watched;
  w.btPlayClick();
  EXPECT_EQ(longWaits, 1);
}

}  // namespace
