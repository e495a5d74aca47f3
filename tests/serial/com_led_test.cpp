#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "com_error.h"
#include "com_led.h"
#include "paint_counter.h"
#include "port_fixture.h"
#include "pty_pair.h"

namespace {

using namespace std::chrono_literals;

const QColor kOlive(128, 128, 0);
const QColor kBackdrop(0, 0, 255);

// The lamp as it appears on a blue window.
QImage Drawn(TComLed& lamp) {
  lamp.setAutoFillBackground(true);
  QPalette palette = lamp.palette();
  palette.setColor(QPalette::Window, kBackdrop);
  lamp.setPalette(palette);
  return lamp.grab().toImage();
}

QColor Centre(const QString& picture) {
  return QImage(picture).pixelColor(7, 7);
}

class LampTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lamp.OnChange = [this](TComLed* sender, TLedState state) {
      EXPECT_EQ(sender, &lamp);
      changes.push_back(state);
    };
  }
  TComLed lamp;
  std::vector<TLedState> changes;
};

TEST_F(LampTest, StateIsTheProgramsOnlyWithoutAPort) {
  EXPECT_EQ(lamp.size(), QSize(25, 25));
  EXPECT_EQ(lamp.State(), lsOff);
  lamp.SetState(lsOn);
  EXPECT_EQ(lamp.State(), lsOn);
  EXPECT_EQ(changes, std::vector<TLedState>{lsOn});

  TComPort port;
  lamp.SetComPort(&port);
  try {
    lamp.SetState(lsOff);
    FAIL() << "state changed with a port attached";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.messageNumber, 19);
    EXPECT_STREQ(e.what(), "Cannot change led state if ComPort is selected");
  }
  EXPECT_EQ(lamp.State(), lsOn);  // closed port: left as it was
}

TEST_F(LampTest, ConnectionLampFollowsThePort) {
  PtyPair pty;
  TComPort port;
  port.SetPort(pty.slavePath());
  port.OpenPort();
  lamp.SetComPort(&port);  // lsConn on an open port: lit at once
  EXPECT_EQ(lamp.State(), lsOn);
  port.ClosePort();
  EXPECT_EQ(lamp.State(), lsOff);
  port.OpenPort();
  EXPECT_EQ(lamp.State(), lsOn);
  lamp.SetComPort(nullptr);
  EXPECT_EQ(lamp.State(), lsOff);
  EXPECT_EQ(changes, (std::vector<TLedState>{lsOn, lsOff, lsOn, lsOff}));

  // Closing puts out the modem-line lamps as well.
  for (const auto& [signal, link] :
       {std::pair{lsCTS, clCTS}, std::pair{lsDSR, clDSR}, std::pair{lsRLSD, clRLSD}}) {
    lamp.SetLedSignal(signal);
    lamp.SetComPort(&port);
    port.LinkStateChanged(link, true);
    ASSERT_EQ(lamp.State(), lsOn);
    port.ClosePort();
    EXPECT_EQ(lamp.State(), lsOff) << signal;
    lamp.SetComPort(nullptr);
    port.OpenPort();
  }
}

TEST_F(LampTest, ChangingTheSignalKeepsTheStateUntilTheNextNotification) {
  TComPort port;
  lamp.SetLedSignal(lsTx);
  lamp.SetComPort(&port);
  port.LinkStateChanged(clTx, true);
  EXPECT_EQ(lamp.State(), lsOn);
  lamp.SetLedSignal(lsRx);
  EXPECT_EQ(lamp.State(), lsOn);
  port.LinkStateChanged(clTx, false);  // no longer listened to
  EXPECT_EQ(lamp.State(), lsOn);
  port.LinkStateChanged(clRx, false);
  EXPECT_EQ(lamp.State(), lsOff);
}

TEST_F(LampTest, TransmitLampLightsDuringAWriteAndGoesOffWithTheEmptiedQueue) {
  PtyPair pty;
  TComPort port;
  ConfigureLikeTheProgram(port, pty.slavePath());
  lamp.SetLedSignal(lsTx);
  port.OpenPort();
  lamp.SetComPort(&port);  // on an open port: dark until something is sent
  EXPECT_EQ(changes, std::vector<TLedState>{lsOff});
  port.SendText("abcd");
  ASSERT_GE(changes.size(), 2u);
  EXPECT_EQ(changes[1], lsOn);
  EXPECT_TRUE(WaitUntil([&] { return lamp.State() == lsOff; }));
  lamp.SetComPort(nullptr);
}

TEST_F(LampTest, DisabledLampDrawsTheOffPicture) {
  lamp.SetState(lsOn);
  EXPECT_EQ(Drawn(lamp).pixelColor(12, 12), Centre(":/lamps/LEDREDON"));
  lamp.setEnabled(false);
  EXPECT_EQ(Drawn(lamp).pixelColor(12, 12), Centre(":/lamps/LEDREDOFF"));
  lamp.setEnabled(true);
  const QImage lit = Drawn(lamp);
  EXPECT_EQ(lit.pixelColor(12, 12), Centre(":/lamps/LEDREDON"));
  // The picture sits in the middle; its olive corners are left out.
  EXPECT_EQ(lit.pixelColor(5, 19), kBackdrop);
  EXPECT_EQ(lit.pixelColor(19, 5), kBackdrop);
  int top = 0, bottom = 0, left = 0, right = 0;
  while (top < lit.height() && lit.pixelColor(12, top) == kBackdrop) ++top;
  while (bottom < lit.height() && lit.pixelColor(12, lit.height() - 1 - bottom) == kBackdrop) {
    ++bottom;
  }
  while (left < lit.width() && lit.pixelColor(left, 12) == kBackdrop) ++left;
  while (right < lit.width() && lit.pixelColor(lit.width() - 1 - right, 12) == kBackdrop) ++right;
  ASSERT_LT(top, lit.height());
  EXPECT_NEAR(top, bottom, 1);
  EXPECT_NEAR(left, right, 1);

  // Smaller than its picture, the lamp shows the picture's top left part, from its corner.
  const QImage picture(":/lamps/LEDREDON");
  lamp.setContentsMargins(0, 0, 0, 0);
  lamp.resize(picture.width() - 4, picture.height() - 4);
  const QImage cut = Drawn(lamp);
  int differing = 0;
  for (int y = 0; y < cut.height(); ++y) {
    for (int x = 0; x < cut.width(); ++x) {
      const QColor expected = picture.pixelColor(x, y);
      if (expected != kOlive) differing += cut.pixelColor(x, y) != expected;
    }
  }
  EXPECT_EQ(differing, 0);
}

TEST_F(LampTest, KindsAndCustomPictures) {
  lamp.SetKind(lkGreenLight);
  EXPECT_EQ(lamp.GlyphOff().toImage().pixelColor(7, 7), Centre(":/lamps/LEDGREENOFF"));
  QPixmap blue(":/lamps/LEDBLUEON");
  lamp.SetGlyphOn(blue);  // ignored: not a custom lamp
  lamp.SetGlyphOff(blue);
  EXPECT_EQ(lamp.GlyphOn().toImage().pixelColor(7, 7), Centre(":/lamps/LEDGREENON"));
  EXPECT_EQ(lamp.GlyphOff().toImage().pixelColor(7, 7), Centre(":/lamps/LEDGREENOFF"));

  lamp.SetKind(lkCustom);  // keeps the pictures it has
  EXPECT_EQ(lamp.GlyphOn().toImage().pixelColor(7, 7), Centre(":/lamps/LEDGREENON"));
  lamp.SetGlyphOn(blue);
  lamp.SetGlyphOff(QPixmap(":/lamps/LEDREDON"));
  EXPECT_EQ(lamp.GlyphOff().toImage().pixelColor(7, 7), Centre(":/lamps/LEDREDON"));
  lamp.SetState(lsOn);
  const QImage drawn = Drawn(lamp);
  EXPECT_EQ(drawn.pixelColor(12, 12), Centre(":/lamps/LEDBLUEON"));
  EXPECT_EQ(drawn.pixelColor(5, 19), kBackdrop);        // the given picture is made transparent too
  EXPECT_EQ(blue.toImage().pixelColor(0, 14), kOlive);  // the caller's picture is untouched

  // The colour left out is the bottom-left pixel's, wherever else it is.
  QImage marked(15, 15, QImage::Format_RGB32);
  marked.fill(Qt::green);
  marked.setPixelColor(0, 14, Qt::magenta);
  marked.setPixelColor(7, 7, Qt::magenta);
  lamp.SetGlyphOn(QPixmap::fromImage(marked));
  const QImage seeThrough = Drawn(lamp);
  EXPECT_EQ(seeThrough.pixelColor(12, 12), kBackdrop);
  EXPECT_EQ(seeThrough.pixelColor(13, 13), QColor(Qt::green));
}

TEST_F(LampTest, CustomLampWithoutPicturesDrawsNothing) {
  TComLed custom;
  custom.SetKind(lkCustom);
  custom.SetState(lsOn);
  const QImage drawn = Drawn(custom);
  EXPECT_EQ(drawn.pixelColor(12, 12), kBackdrop);
}

TEST_F(LampTest, ARingLightsTheLampForTheRingDuration) {
  TComPort port;
  EXPECT_EQ(lamp.RingDuration(), 1000);
  lamp.SetLedSignal(lsRing);
  lamp.SetComPort(&port);
  const auto start = std::chrono::steady_clock::now();
  port.LinkNotify(cnRing);
  EXPECT_EQ(lamp.State(), lsOn);
  PumpFor(400ms);
  EXPECT_EQ(lamp.State(), lsOn);
  ASSERT_TRUE(WaitUntil([&] { return lamp.State() == lsOff; }));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 900ms);  // coarse timers may be 5 % early

  // A ring after the lamp went off lights it for the whole duration again.
  lamp.SetRingDuration(400);
  port.LinkNotify(cnRing);
  ASSERT_TRUE(WaitUntil([&] { return lamp.State() == lsOff; }));
  PumpFor(100ms);
  const auto again = std::chrono::steady_clock::now();
  port.LinkNotify(cnRing);
  EXPECT_EQ(lamp.State(), lsOn);
  ASSERT_TRUE(WaitUntil([&] { return lamp.State() == lsOff; }));
  EXPECT_GE(std::chrono::steady_clock::now() - again, 360ms);
}

TEST_F(LampTest, APortDestroyedFirstLeavesTheLampOffAndDetached) {
  auto port = std::make_unique<TComPort>();
  lamp.SetComPort(port.get());
  lamp.SetLedSignal(lsTx);
  port->LinkStateChanged(clTx, true);
  EXPECT_EQ(lamp.State(), lsOn);
  port.reset();
  EXPECT_EQ(lamp.ComPort(), nullptr);
  EXPECT_EQ(lamp.State(), lsOff);
  lamp.SetState(lsOn);  // free again
  EXPECT_EQ(lamp.State(), lsOn);
}

TEST_F(LampTest, APortLeftBehindNoLongerReachesTheLamp) {
  auto first = std::make_unique<TComPort>();
  TComPort second;
  lamp.SetComPort(first.get());
  lamp.SetComPort(&second);
  EXPECT_TRUE(first->Links().empty());
  first.reset();
  EXPECT_EQ(lamp.ComPort(), &second);
  EXPECT_EQ(second.Links().size(), 1u);
  lamp.SetComPort(nullptr);
}

// A lamp on screen is drawn again after each change that shows.
TEST(LampOnScreen, EveryVisibleChangeIsRedrawn) {
  TComLed lamp;
  PaintCounter counter{&lamp};
  lamp.show();
  ASSERT_TRUE(WaitUntil([&] { return counter.paints > 0; }));
  const std::vector<std::pair<const char*, std::function<void()>>> changes = {
      {"kind", [&] { lamp.SetKind(lkGreenLight); }},
      {"state", [&] { lamp.SetState(lsOn); }},
      {"custom kind", [&] { lamp.SetKind(lkCustom); }},
      {"custom on picture", [&] { lamp.SetGlyphOn(QPixmap(":/lamps/LEDBLUEON")); }},
      {"custom off picture", [&] { lamp.SetGlyphOff(QPixmap(":/lamps/LEDREDON")); }},
      {"enabled", [&] { lamp.setEnabled(false); }},
  };
  for (const auto& [what, change] : changes) {
    PumpFor(20ms);
    counter.paints = 0;
    change();
    EXPECT_TRUE(WaitUntil([&] { return counter.paints > 0; }, 2s)) << what;
  }
}

// A lamp on a blue panel, in its own colour `paper`, as Qt fills it or as it fills itself.
QImage OnPanel(const QColor& paper, bool opaque, TLedState state) {
  QWidget panel;
  QPalette blue = panel.palette();
  blue.setColor(QPalette::Window, kBackdrop);
  panel.setPalette(blue);
  panel.setAutoFillBackground(true);
  panel.resize(40, 40);
  TComLed lamp(&panel);
  lamp.setGeometry(8, 8, 25, 25);
  if (opaque) {
    lamp.SetOpaque(true);
  } else {
    lamp.setAutoFillBackground(true);
  }
  QPalette own = lamp.palette();
  own.setColor(QPalette::Window, paper);
  lamp.setPalette(own);
  lamp.SetState(state);
  return panel.grab().toImage();
}

TEST(LampOnScreen, AnOpaqueLampLooksAsOneWhoseBackgroundQtFills) {
  for (const QColor& paper : {QColor(0, 160, 0), QColor(255, 0, 0, 100)}) {
    for (const TLedState state : {lsOff, lsOn}) {
      EXPECT_EQ(OnPanel(paper, true, state), OnPanel(paper, false, state))
          << paper.name(QColor::HexArgb).toStdString() << " " << state;
    }
  }
  // Without a picture to draw, the background is still filled.
  TComLed custom;
  custom.resize(25, 25);
  custom.SetKind(lkCustom);
  custom.SetOpaque(true);
  EXPECT_EQ(Drawn(custom).pixelColor(12, 12), kBackdrop);
}

TEST(LampLifetime, ALampDestroyedFirstDetachesItself) {
  TComPort port;
  {
    TComLed lamp;
    lamp.SetComPort(&port);
  }
  EXPECT_TRUE(port.Links().empty());
  port.LinkStateChanged(clConn, true);  // reaches no dead lamp
}

}  // namespace
