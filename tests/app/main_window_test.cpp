#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>

#include "com_led.h"
#include "options_form.h"
#include "paint_counter.h"
#include "stderr_capture.h"
#include "ui_main_window.h"
#include "virtual_stick.h"
#include "window_harness.h"

using namespace std::chrono_literals;

namespace {

speed_t SlaveSpeed(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  termios t{};
  ::tcgetattr(fd, &t);
  ::close(fd);
  return ::cfgetospeed(&t);
}

TEST(MainWindow, StartsUpWithThePortOpenAndTheTickRunning) {
  WindowHarness h;
  TfrmVantrel& w = h.Start({{"baudRate", "19200"}});
  EXPECT_TRUE(h.errors.isEmpty()) << h.errors.join("; ").toStdString();
  EXPECT_TRUE(w.ComPort1.Connected());
  EXPECT_EQ(SlaveSpeed(h.pty.slavePath()), B19200);
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(w.state.position[i], 127);
  EXPECT_TRUE(w.Timer1.Active());
  EXPECT_EQ(w.Timer1.Interval(), 50);
  EXPECT_EQ(w.state.runState, 1);
  w.Timer1Timer();  // nothing to send: the tick still runs on
  EXPECT_TRUE(w.Timer1.Active());
  EXPECT_TRUE(w.ui->lbMessage->isHidden());
  EXPECT_EQ(w.windowTitle(), "Vantrel control");
  EXPECT_EQ(w.size(), QSize(268, 416));
}

TEST(MainWindow, NoControlHidesAnother) {
  // Two controls placed on one spot leave the one underneath unclickable.
  WindowHarness h;
  TfrmVantrel& w = h.Start({});
  const auto clickable = [&w](QWidget* c) {
    return c->window() == &w && (qobject_cast<QAbstractButton*>(c) || qobject_cast<QLineEdit*>(c));
  };
  const auto controls = w.findChildren<QWidget*>();
  for (QWidget* a : controls) {
    for (QWidget* b : controls) {
      if (a == b || !clickable(a) || !clickable(b) || a->parentWidget() != b->parentWidget())
        continue;
      EXPECT_FALSE(a->geometry().intersects(b->geometry()))
          << a->objectName().toStdString() << " and " << b->objectName().toStdString();
    }
  }
}

TEST(MainWindow, TheGaugePanelIsPaleCyanInsideABlackBorder) {
  // Also under a dark desktop theme, whose text colour is light.
  const QPalette desktop = QApplication::palette();
  QPalette dark = desktop;
  dark.setColor(QPalette::WindowText, Qt::white);
  QApplication::setPalette(dark);
  WindowHarness h;
  TfrmVantrel& w = h.Start({});
  QApplication::setPalette(desktop);
  EXPECT_EQ(w.ui->lbServo1->palette().color(QPalette::WindowText), QColor(Qt::black));
  const QImage panel = w.ui->Panel1->grab().toImage();
  const QPoint inner[] = {{1, 1}, {panel.width() - 2, panel.height() - 2}};
  for (const QPoint& p : inner) EXPECT_EQ(panel.pixelColor(p), QColor(206, 239, 236)) << p.x();
  const QPoint border[] = {{0, 0}, {panel.width() - 1, panel.height() - 1}, {0, 40}};
  for (const QPoint& p : border) EXPECT_EQ(panel.pixelColor(p), QColor(Qt::black)) << p.x();
}

TEST(MainWindow, StartUpWithoutAPortReportsItAndWaitsForTheOptions) {
  WindowHarness h;
  TfrmVantrel& w = h.Start({{"comPort", "/dev/vantrel-no-such-port"}});
  ASSERT_EQ(h.errors.size(), 1);
  EXPECT_EQ(h.errors[0], "Unable to open com port: No such file or directory (error 2)");
  EXPECT_EQ(h.details[0], "/dev/vantrel-no-such-port: No such file or directory");
  // Start-up is whole all the same; the title says the port is not open.
  EXPECT_EQ(w.state.runState, 1);
  EXPECT_TRUE(w.ui->lbMessage->isHidden());
  EXPECT_EQ(w.ui->lbServo1->text(), "servo1: 127");
  EXPECT_TRUE(w.Timer1.Active());
  EXPECT_EQ(w.Timer1.Interval(), 50);
  EXPECT_EQ(w.state.servoIncr, 2);
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(w.state.position[i], 127);
  EXPECT_EQ(w.windowTitle(), "Vantrel control - not connected");

  // Options closed with a port that opens connects it.
  w.options()->WriteOption("comPort", h.pty.slavePath());
  QTimer::singleShot(0, w.options(), &QDialog::reject);
  w.optionsClick();
  EXPECT_TRUE(w.ComPort1.Connected());
  EXPECT_TRUE(w.Timer1.Active());
  EXPECT_EQ(w.windowTitle(), "Vantrel control");
}

TEST(MainWindow, AStickPushedRightJogsServoOneToThePeer) {
  VirtualStick stick;
  SKIP_WITH_REAL_JOYSTICK();
  WindowHarness h;
  TfrmVantrel& w = h.Start();
  stick.Set(65535, 32768);
  w.Timer1Timer();
  EXPECT_EQ(h.pty.ReadPeer(4, 2s), Frame(1, 0x81));
  EXPECT_EQ(w.ui->lbServo1->text(), "servo1: 129");
  EXPECT_EQ(h.clock.sleeps, std::vector<std::chrono::microseconds>{2ms});

  // Released: nothing more goes out.
  stick.Set(32768, 32768);
  w.Timer1Timer();
  EXPECT_EQ(h.pty.Drain(100ms), "");

  // The third button selects servos 4 to 6 for the stick, the labels and the gauges.
  stick.Set(32768, 0, 4);
  w.Timer1Timer();
  EXPECT_EQ(w.state.jogGroup, 3);
  EXPECT_EQ(w.ui->lbGroup->text(), "1");
  EXPECT_EQ(w.ui->lbServo1->text(), "servo4: 127");
  EXPECT_EQ(w.state.direction[5], 1);
  EXPECT_EQ(h.pty.ReadPeer(4, 2s), Frame(5, 129));
}

TEST(MainWindow, LimitsHoldJoggedAndIdleServos) {
  VirtualStick stick;
  SKIP_WITH_REAL_JOYSTICK();
  WindowHarness h;
  TfrmVantrel& w = h.Start({{"sv1Maxval", "128"}, {"sv2Minval", "200"}, {"sv2Maxval", "100"}});
  stick.Set(65535, 32768);
  w.Timer1Timer();
  w.Timer1Timer();
  EXPECT_EQ(h.pty.ReadPeer(8, 2s), Frame(1, 128) + Frame(1, 128));
  EXPECT_EQ(w.state.position[2], 100);  // pulled in without a frame of its own
}

TEST(MainWindow, RecordingKeysRecordOutsideTheCoordinateBoxes) {
  WindowHarness h;
  TfrmVantrel& w = h.Start();
  w.show();
  QCoreApplication::processEvents();  // the jog pad's showing is over
  QApplication::setActiveWindow(&w);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  w.ui->cbHoriz->setFocus();
  QTest::keyClicks(w.ui->cbHoriz, "1ap");
  ASSERT_EQ(w.script.count(), 8);
  EXPECT_EQ(w.script.getItem(0).servoId, 1);
  EXPECT_EQ(w.script.getItem(6).servoId, 6);
  EXPECT_EQ(w.script.getItem(7).letter, 'P');
  EXPECT_EQ(w.script.getItem(7).value, 5);
  QTest::keyClicks(w.ui->cbHoriz, "A7");
  EXPECT_EQ(w.script.count(), 8);

  // The window sees a key before the control with the focus, which still gets it, also a
  // control that takes the key for itself.
  auto* field = new QLineEdit(&w);
  field->show();
  field->setFocus();
  QTest::keyClicks(field, "2");
  EXPECT_EQ(field->text(), "2");
  ASSERT_EQ(w.script.count(), 9);
  EXPECT_EQ(w.script.getItem(8).servoId, 2);
  delete field;
  w.ui->cbHoriz->setFocus();
  QTest::keyClicks(w.ui->cbHoriz, "3");
  EXPECT_EQ(w.script.count(), 10);

  // A Move target typed into a coordinate box goes to that box only.
  for (QLineEdit* box : {w.ui->Xcoord, w.ui->Ycoord, w.ui->Zcoord}) {
    box->clear();
    box->setFocus();
    QTest::keyClicks(box, "12p");
    EXPECT_EQ(box->text(), "12p");
  }
  EXPECT_EQ(w.script.count(), 10);
}

TEST(MainWindow, AVanishedDeviceIsReportedOnceAndPickedUpWhenItIsBack) {
  VirtualStick stick;
  SKIP_WITH_REAL_JOYSTICK();
  WindowHarness h;
  const std::string link = h.dir.File("arm");
  std::filesystem::create_symlink(h.pty.slavePath(), link);
  TfrmVantrel& w = h.Start({{"comPort", link}, {"servoComInterval", "20"}});
  stick.Set(65535, 32768);  // a frame every tick
  QTest::qWait(200);
  ASSERT_FALSE(h.pty.Drain(50ms).empty());

  StderrCapture capture;
  h.pty.CloseMaster();  // unplugged
  std::filesystem::remove(link);
  QTest::qWait(400);
  ASSERT_EQ(h.errors.size(), 1) << h.errors.join("; ").toStdString();
  EXPECT_EQ(h.errors[0].toStdString(), "Serial device " + link + " disconnected");
  EXPECT_FALSE(w.Timer1.Active());
  EXPECT_EQ(w.ComLed1->State(), lsOff);
  EXPECT_EQ(w.ComLed2->State(), lsOff);

  stick.Set(32768, 32768);  // let go meanwhile
  PtyPair next;
  std::filesystem::create_symlink(next.slavePath(), link);
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.Timer1.Active(); }, 5000));
  EXPECT_TRUE(w.ComPort1.Connected());
  QTest::qWait(150);
  EXPECT_EQ(next.Drain(50ms), "");  // reopening sends nothing, nor do ticks with nothing jogged
  EXPECT_NE(capture.Text().find("vantrel: reconnected to " + link + "\n"), std::string::npos);

  w.ui->Xcoord->setText("15");
  w.ui->Ycoord->setText("5");
  w.ui->Zcoord->setText("0");
  w.btmoveClick();
  EXPECT_EQ(next.ReadPeer(24, 2s), Frame(1, 169) + Frame(2, 85) + Frame(3, 0) + Frame(4, 212) +
                                       Frame(5, 127) + Frame(6, 127));
  EXPECT_EQ(h.errors.size(), 1);
}

// Counts the layout requests a widget gets: one is posted, and wakes the loop, whenever a
// child may need another size.
class LayoutRequests : public QObject {
 public:
  explicit LayoutRequests(QWidget* widget) { widget->installEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    count += event->type() == QEvent::LayoutRequest;
    return false;
  }
};

TEST(MainWindow, TicksWithNothingMovingRedrawNothing) {
  WindowHarness h;
  TfrmVantrel& w = h.Start({{"servoComInterval", "0"}, {"servoIncr", "1"}});
  w.state.runState = 2;  // no stick: the directions stay as set
  w.Timer1Timer();
  QTest::qWait(50);
  PaintCounter counter{w.ui->lbServo1, w.ui->lbServo2, w.ui->lbServo3, w.ui->gauge1,
                       w.ui->gauge2,   w.ui->gauge3,   w.ui->lbGroup};
  for (int i = 0; i < 20; ++i) {
    w.Timer1Timer();
    QCoreApplication::processEvents();
  }
  QTest::qWait(50);
  EXPECT_EQ(counter.paints, 0);
  EXPECT_EQ(h.pty.Drain(50ms), "");

  // A moving servo redraws its label and gauge on every tick, and the lamp lights for the
  // write; the panel and the dials beneath them are not drawn again.
  PaintCounter beneath{w.ui->Panel1, w.ui->bkgauge1, w.ui->bkgauge2, w.ui->bkgauge3};
  PaintCounter lamp{w.ComLed1};
  LayoutRequests panelLayouts{w.ui->Panel1};
  w.state.direction[2] = 1;
  w.Timer1Timer();
  QTest::qWait(50);
  EXPECT_EQ(w.ui->lbServo2->text(), "servo2: 128");
  EXPECT_GT(counter.paints, 0);
  EXPECT_GT(lamp.paints, 0);
  // A step large enough to move the needle too.
  PaintCounter needle{w.ui->gauge2};
  w.state.servoIncr = 10;
  w.Timer1Timer();
  QTest::qWait(50);
  EXPECT_GT(needle.paints, 0);
  EXPECT_EQ(beneath.paints, 0);
  EXPECT_EQ(panelLayouts.count, 0);  // a new caption text keeps the caption's size
  w.state.servoIncr = 1;

  // Nothing to send still leaves a stopped tick running, as after any send.
  w.state.direction[2] = 0;
  w.Timer1.Stop();
  w.Timer1Timer();
  EXPECT_TRUE(w.Timer1.Enabled());
}

TEST(MainWindow, AStickPulledOutWhileDeflectedStopsTheArm) {
  VirtualStick stick;
  SKIP_WITH_REAL_JOYSTICK();
  WindowHarness h;
  TfrmVantrel& w = h.Start({{"servoComInterval", "0"}});  // ticks by hand
  stick.Set(65535, 32768);
  w.Timer1Timer();
  EXPECT_EQ(h.pty.ReadPeer(4, 2s), Frame(1, 129));
  stick.Detach();
  w.Timer1Timer();
  w.Timer1Timer();
  EXPECT_EQ(h.pty.Drain(100ms), "");
  EXPECT_EQ(w.state.position[1], 129);
  EXPECT_EQ(w.state.direction[1], 0);
}

TEST(MainWindow, GaugesFollowTheServosOfTheGroup) {
  WindowHarness h;
  TfrmVantrel& w = h.Start();
  w.UpdateGauges();
  w.state.position[1] = 0;
  w.state.position[2] = 254;
  w.state.position[3] = 300;
  w.UpdateGauges();
  EXPECT_EQ(w.ui->lbServo3->text(), "servo3: 300");
  const auto g1 = w.ui->gauge1->needle();
  const auto g2 = w.ui->gauge2->needle();
  ASSERT_TRUE(g1 && g2);
  EXPECT_EQ(g1->endX, 50);
  EXPECT_EQ(g2->endX, 3);
  // Out of the scale: the gauge keeps the needle it had.
  ASSERT_TRUE(w.ui->gauge3->needle());
  EXPECT_EQ(w.ui->gauge3->needle()->endY, 4);

  // The second group shows servos 4 to 6 on the same three gauges.
  w.state.jogGroup = 3;
  w.state.position[4] = 254;
  w.state.position[5] = 0;
  w.UpdateGauges();
  EXPECT_EQ(w.ui->lbServo1->text(), "servo4: 254");
  ASSERT_TRUE(w.ui->gauge1->needle() && w.ui->gauge2->needle());
  EXPECT_EQ(w.ui->gauge1->needle()->endX, 3);
  EXPECT_EQ(w.ui->gauge2->needle()->endX, 49);  // one pixel narrower than gauge 1
}

TEST(MainWindow, LampsWatchTheLine) {
  WindowHarness h;
  TfrmVantrel& w = h.Start();
  EXPECT_EQ(w.ComLed1->ComPort(), &w.ComPort1);
  EXPECT_EQ(w.ComLed1->LedSignal(), lsTx);
  EXPECT_EQ(w.ComLed2->LedSignal(), lsRx);
  EXPECT_EQ(w.ComLed1->geometry(), QRect(189, 46, 20, 19));
  EXPECT_EQ(w.ComLed1->Kind(), lkRedLight);
  EXPECT_EQ(w.ComLed2->Kind(), lkGreenLight);
  w.Timer1.Stop();
  w.Write(Frame(1, 1));
  EXPECT_EQ(w.ComLed1->State(), lsOn);
  EXPECT_TRUE(w.Timer1.Enabled()) << "the tick runs again after a write";
  // The transmit-empty event comes back through the event thread and puts it out.
  for (int i = 0; i < 100 && w.ComLed1->State() == lsOn; ++i) QTest::qWait(10);
  EXPECT_EQ(w.ComLed1->State(), lsOff);
  EXPECT_TRUE(w.state.txEmpty);
}

TEST(MainWindow, ShutDownWritesTheSettings) {
  WindowHarness h;
  TfrmVantrel& w = h.Start();
  w.options()->WriteOption("joyMaxX", "1234");
  h.Stop();
  EXPECT_NE(ReadFile(h.settingsPath()).find("joyMaxX=1234"), std::string::npos);
}

}  // namespace
