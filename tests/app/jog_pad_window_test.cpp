#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <chrono>
#include <thread>

#include "jog_field.h"
#include "jog_pad.h"
#include "joystick_device.h"
#include "ui_main_window.h"
#include "virtual_stick.h"
#include "window_harness.h"

using namespace std::chrono_literals;

namespace {

TEST(JogPadWindow, DragRightJogsTheGroupsServoEachTickAndReleaseStops) {
  VirtualStick noStick(false);
  SKIP_WITH_REAL_JOYSTICK();
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  TfrmJogPad* pad = w.jogPad();
  ASSERT_NE(pad, nullptr);
  ASSERT_TRUE(pad->isVisible());  // no joystick: shown at start-up
  ASSERT_TRUE(QTest::qWaitForWindowExposed(pad));
  TJogField* field = pad->field();
  const QPoint centre = field->KnobCentre().toPoint();
  QTest::mousePress(field, Qt::LeftButton, {}, centre);
  QTest::mouseMove(field, QPoint(field->width(), centre.y()));
  w.Timer1Timer();
  w.Timer1Timer();
  EXPECT_EQ(h.pty.ReadPeer(8, 2s), Frame(1, 129) + Frame(1, 131));
  EXPECT_EQ(w.ui->lbServo1->text(), "servo1: 131");

  QTest::mouseRelease(field, Qt::LeftButton, {}, QPoint(field->width(), centre.y()));
  w.Timer1Timer();
  w.Timer1Timer();
  EXPECT_EQ(h.pty.Drain(100ms), "");
  EXPECT_EQ(w.state.position[1], 131);
}

TEST(JogPadWindow, ButtonsWorkAsTheSticksButtons) {
  VirtualStick noStick(false);
  SKIP_WITH_REAL_JOYSTICK();
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  TfrmJogPad* pad = w.jogPad();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(pad));

  // Button 1 drives the group's third servo down.
  QTest::mousePress(pad->button(1), Qt::LeftButton);
  w.Timer1Timer();
  EXPECT_EQ(h.pty.ReadPeer(4, 2s), Frame(3, 125));
  QTest::mouseRelease(pad->button(1), Qt::LeftButton);
  w.Timer1Timer();
  EXPECT_EQ(h.pty.Drain(100ms), "");

  // Button 3 switches to servos 4 to 6, once per press however many ticks it is held.
  QTest::mousePress(pad->button(3), Qt::LeftButton);
  w.Timer1Timer();
  w.Timer1Timer();
  w.Timer1Timer();
  QTest::mouseRelease(pad->button(3), Qt::LeftButton);
  EXPECT_EQ(w.state.jogGroup, 3);
  EXPECT_EQ(w.ui->lbGroup->text(), "1");
  EXPECT_EQ(w.ui->lbServo1->text(), "servo4: 127");
  QTest::mousePress(pad->button(2), Qt::LeftButton);
  w.Timer1Timer();
  EXPECT_EQ(h.pty.ReadPeer(4, 2s), Frame(6, 129));
  QTest::mouseRelease(pad->button(2), Qt::LeftButton);
}

TEST(JogPadWindow, ThePadWinsOverAStickWhileDeflected) {
  VirtualStick stick;
  SKIP_WITH_REAL_JOYSTICK();
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  EXPECT_FALSE(w.jogPad()->isVisible());  // a stick is attached
  stick.Set(0, 32768);                    // the stick pushes servo 1 down
  w.jogPad()->Deflect(2, 1);              // the pad pushes it up
  w.Timer1Timer();
  EXPECT_EQ(h.pty.ReadPeer(4, 2s), Frame(1, 129));
  w.jogPad()->Deflect(1, 1);
  w.Timer1Timer();  // the release stops the arm
  EXPECT_EQ(h.pty.Drain(100ms), "");
  w.Timer1Timer();  // then the stick is read again
  EXPECT_EQ(h.pty.ReadPeer(4, 2s), Frame(1, 127));
}

TEST(JogPadWindow, ShownLeftOfTheWindowWhereThereIsRoomElseBelow) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h, {{"jogPad", "0"}});
  w.move(400, 40);
  w.ToggleJogPad();
  const QRect pad = w.jogPad()->frameGeometry();
  ASSERT_TRUE(w.jogPad()->isVisible());
  EXPECT_LT(pad.right(), w.frameGeometry().left());
  EXPECT_EQ(pad.top(), w.frameGeometry().top());
  w.ToggleJogPad();
  // Just room enough: the pad's left edge on the screen's.
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  w.move(screen.left() + pad.width() + 12, 40);
  w.ToggleJogPad();
  EXPECT_EQ(w.jogPad()->frameGeometry().left(), screen.left());
  w.ToggleJogPad();
  w.move(screen.topLeft());
  w.ToggleJogPad();
  EXPECT_GT(w.jogPad()->frameGeometry().top(), w.frameGeometry().bottom());
  EXPECT_EQ(w.jogPad()->frameGeometry().left(), w.frameGeometry().left());
}

TEST(JogPadWindow, ShownByTheSettingAndF5HidesAStickHidesItInAuto) {
  VirtualStick stick(false);
  SKIP_WITH_REAL_JOYSTICK();
  {
    WindowHarness h;
    TfrmVantrel& w = StartIdle(h, {{"jogPad", "0"}});
    EXPECT_FALSE(w.jogPad()->isVisible());
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(w.ui->btSv1, Qt::Key_F5);
    EXPECT_TRUE(w.jogPad()->isVisible());
    EXPECT_EQ(w.script.count(), 0);  // F5 records nothing
    QTest::keyClick(w.ui->btSv1, Qt::Key_F5);
    EXPECT_FALSE(w.jogPad()->isVisible());
  }
  {
    // Auto: plugging a stick in hides the pad at the next poll.
    WindowHarness h;
    TfrmVantrel& w = StartIdle(h, {{"jogPad", "auto"}});
    EXPECT_TRUE(w.jogPad()->isVisible());
    // Beside the main window, not over it.
    EXPECT_FALSE(w.jogPad()->frameGeometry().intersects(w.frameGeometry()));
    stick.Attach();
    stick.Set(32768, 32768);
    std::this_thread::sleep_for(JoystickDevice::kLookForSticksEvery);
    w.Timer1Timer();
    EXPECT_FALSE(w.jogPad()->isVisible());
  }
  {
    WindowHarness h;
    stick.Attach();
    TfrmVantrel& w = StartIdle(h, {{"jogPad", "1"}});
    EXPECT_TRUE(w.jogPad()->isVisible());
    w.Timer1Timer();
    EXPECT_TRUE(w.jogPad()->isVisible());
  }
}

}  // namespace
