// The arm on a pty (not the virtual controller): positions and tool point under the gauges,
// the arm view, a decimal comma, a long status.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include "arm_view.h"
#include "ui_main_window.h"
#include "window_harness.h"

using namespace std::chrono_literals;

namespace {

TEST(ArmInView, SixPositionsTheToolPointAndTheViewFollowAMove) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  EXPECT_TRUE(w.ui->lbArm->text().startsWith("1:127 2:127 3:127 4:127 5:127 6:127\n"));
  ASSERT_EQ(w.armView(), nullptr);  // no view until asked
  QTest::keyClick(&w, Qt::Key_F7);
  TArmView* view = w.armView();
  ASSERT_TRUE(view && view->isVisible());
  EXPECT_EQ(view->windowTitle(), "Arm");
  EXPECT_FALSE(view->measuredShown());

  SetPoint(w, "15.5", "5", "0");
  const uint64_t paints = view->paints();
  w.btmoveClick();
  ASSERT_EQ(h.pty.ReadPeer(24, 2s).size(), 24u);
  const QString text = w.ui->lbArm->text();
  EXPECT_TRUE(text.startsWith("1:172 2:89 3:0 4:209 5:127 6:127\n")) << text.toStdString();
  const auto m = QRegularExpression(R"(X (\S+)  Y (\S+)  Z (\S+) cm)").match(text);
  const double shown[] = {m.captured(1).toDouble(), m.captured(2).toDouble(),
                          m.captured(3).toDouble()};
  for (const auto& [at, want] : {std::pair{shown[0], 15.5}, {shown[1], 5.0}, {shown[2], 0.0}}) {
    EXPECT_NEAR(at, want, 0.5) << text.toStdString();
  }
  EXPECT_EQ(view->position(2), 89);
  EXPECT_GT(view->paints(), paints);
  w.ui->btArmView->click();
  EXPECT_FALSE(view->isVisible());
}

TEST(ArmInView, ACommaIsADecimalOnlyWhereTheLanguageWritesOneAndALongStatusKeepsItsEnds) {
  for (const auto& [language, refusal] :
       {std::pair{QLocale::German, ""}, {QLocale::English, "'15,5': use a point for decimals"}}) {
    QLocale::setDefault(QLocale(language));
    WindowHarness h;
    TfrmVantrel& w = StartIdle(h);
    SetPoint(w, "15,5", "5", "0");
    w.ui->btmove->click();
    EXPECT_EQ(h.errors, *refusal ? QStringList{refusal} : QStringList{});
    EXPECT_EQ(h.pty.Drain(100ms).substr(0, 4), *refusal ? "" : Frame(1, 172));
  }
  QLocale::setDefault(QLocale::c());

  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  const QString text = "Connected to /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A5028-port0";
  w.status.Say(text);
  const QString shown = w.ui->lbMessage->text();
  EXPECT_TRUE(shown.startsWith("Connected to") && shown.endsWith("port0")) << shown.toStdString();
  EXPECT_LT(shown.size(), text.size());
  EXPECT_EQ(w.ui->lbMessage->toolTip(), text);
}

}  // namespace
