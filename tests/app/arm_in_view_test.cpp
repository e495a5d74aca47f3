// The arm on a real port (a pty, not the virtual controller): the six positions and the tool
// point under the gauges, the arm view, the coordinate boxes' decimal comma, the status line.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <chrono>

#include "arm_view.h"
#include "ui_main_window.h"
#include "window_harness.h"

using namespace std::chrono_literals;

namespace {

// The tool point the readout shows, from "X 15.0  Y 5.0  Z 0.0 cm".
std::array<double, 3> ShownPoint(const QString& text) {
  const QRegularExpressionMatch m =
      QRegularExpression(R"(X (\S+)  Y (\S+)  Z (\S+) cm)").match(text);
  EXPECT_TRUE(m.hasMatch()) << text.toStdString();
  return {m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble()};
}

TEST(ArmInView, SixPositionsTheToolPointAndTheViewFollowAMove) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  EXPECT_TRUE(w.ui->lbArm->text().startsWith("1:127 2:127 3:127 4:127 5:127 6:127\n"))
      << w.ui->lbArm->text().toStdString();
  ASSERT_EQ(w.armView(), nullptr);  // not the virtual controller: no view until asked
  QTest::keyClick(&w, Qt::Key_F7);
  TArmView* view = w.armView();
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(view->isVisible());
  EXPECT_EQ(view->windowTitle(), "Arm");
  EXPECT_FALSE(view->measuredShown());  // nothing read back from this controller

  SetPoint(w, "15.5", "5", "0");
  const uint64_t paints = view->paints();
  w.btmoveClick();
  ASSERT_EQ(h.pty.ReadPeer(24, 2s).size(), 24u);
  const int32_t moved[] = {0, 172, 89, 0, 209, 127, 127};
  EXPECT_TRUE(w.ui->lbArm->text().startsWith("1:172 2:89 3:0 4:209 5:127 6:127\n"))
      << w.ui->lbArm->text().toStdString();
  const auto [x, y, z] = ShownPoint(w.ui->lbArm->text());
  EXPECT_NEAR(x, 15.5, 0.5);
  EXPECT_NEAR(y, 5, 0.5);
  EXPECT_NEAR(z, 0, 0.5);
  for (int s = 1; s <= kServoCount; ++s) EXPECT_EQ(view->position(s), moved[s]) << s;
  EXPECT_GT(view->paints(), paints);

  w.ui->btArmView->click();
  EXPECT_FALSE(view->isVisible());
  w.ui->btArmView->click();
  EXPECT_TRUE(view->isVisible());
}

// A decimal comma is a decimal where the desktop's language writes one, and refused elsewhere.
TEST(ArmInView, ACommaInACoordinateIsADecimalOnlyWhereTheLanguageWritesOne) {
  const std::tuple<QLocale::Language, QString> cases[] = {
      {QLocale::German, ""},
      {QLocale::English, "'15,5': use a point for decimals"},
  };
  for (const auto& [language, refusal] : cases) {
    QLocale::setDefault(QLocale(language));
    WindowHarness h;
    TfrmVantrel& w = StartIdle(h);
    SetPoint(w, "15,5", "5", "0");
    w.btmoveClick();
    if (refusal.isEmpty()) {
      EXPECT_EQ(h.pty.ReadPeer(4, 2s), Frame(1, 172));
    } else {
      ASSERT_EQ(h.errors, QStringList{refusal});
      EXPECT_EQ(h.details[0], "field X");
      EXPECT_EQ(h.pty.Drain(100ms), "");
    }
  }
  QLocale::setDefault(QLocale::c());
}

TEST(ArmInView, ALongStatusKeepsBothEndsAndTheWholeTextIsItsTooltip) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  const QString text =
      "Connected to /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
  w.status.Say(text);
  const QString shown = w.ui->lbMessage->text();
  EXPECT_TRUE(shown.startsWith("Connected to")) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith("port0")) << shown.toStdString();
  EXPECT_LT(shown.size(), text.size());
  EXPECT_EQ(w.ui->lbMessage->toolTip(), text);
}

}  // namespace
