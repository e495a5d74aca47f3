// The workspace in the window: refused Moves, the table under Play, jogging the tool point and
// the outline of a typed point.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <chrono>

#include "arm_view.h"
#include "jog_pad.h"
#include "playback.h"
#include "ui_main_window.h"
#include "virtual_stick.h"
#include "window_harness.h"

using namespace std::chrono_literals;

namespace {

TEST(WorkspaceWindow, AMoveTheArmCannotMakeIsRefusedAndJoggingGoesOn) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  w.state.direction[1] = 1;
  SetPoint(w, "99", "0", "0");
  QTest::mouseClick(w.ui->btmove, Qt::LeftButton);
  ASSERT_EQ(h.errors.size(), 1);
  EXPECT_TRUE(h.errors[0].startsWith("Out of reach: (99, 0, 0) is 99.1 cm"))
      << h.errors[0].toStdString();
  EXPECT_EQ(w.state.position[1], 127);
  EXPECT_EQ(w.state.direction[1], 1);
  EXPECT_TRUE(w.Timer1.Enabled());
  EXPECT_EQ(h.pty.Drain(100ms), "");

  QTest::keyClicks(w.ui->Xcoord, "-100.25");  // appended to "99": cut at seven characters
  EXPECT_EQ(w.ui->Xcoord->text(), "99-100.");
  SetPoint(w, "15.5", "5", "0");
  w.btmoveClick();
  EXPECT_EQ(h.pty.ReadPeer(24, 2s), Frame(1, 172) + Frame(2, 89) + Frame(3, 0) + Frame(4, 209) +
                                        Frame(5, 127) + Frame(6, 127));
}

TEST(WorkspaceWindow, PlayRefusesAScriptThatGoesThroughTheTable) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  RecordCommand(w.script, 'M', 2, 120);
  RecordCommand(w.script, 'M', 1, 254);
  QTest::mouseClick(w.ui->btPlay, Qt::LeftButton);
  ASSERT_EQ(h.errors.size(), 1);
  EXPECT_EQ(h.errors[0], "The script would take the tool point under the table");
  EXPECT_TRUE(h.details[0].startsWith("line 2: M;1;254: takes the tool point under the table"))
      << h.details[0].toStdString();
  EXPECT_EQ(w.state.runState, 1);
  EXPECT_EQ(h.pty.Drain(100ms), "");
}

TEST(WorkspaceWindow, F6JogsTheToolPointDownToTheTableAndBackUp) {
  VirtualStick noStick(false);
  SKIP_WITH_REAL_JOYSTICK();
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h, {{"minToolY", "8"}});
  QTest::keyClick(&w, Qt::Key_F6);
  ASSERT_TRUE(w.ui->cbJogTool->isChecked());
  w.jogPad()->Deflect(1, 0);  // the stick pulled back: down
  for (int i = 0; i < 40 && w.ui->lbMessage->isHidden(); ++i) w.Timer1Timer();
  EXPECT_EQ(w.ui->lbMessage->text(), "Table reached");
  EXPECT_FALSE(w.ui->lbMessage->isHidden());
  const ToolPoint at = ToolPointFromPositions(w.state.position, w.arm);
  EXPECT_NEAR(at.Y, 8, 0.8);
  EXPECT_NEAR(at.Z, 15, 0.4);
  for (int i = 1; i <= kServoCount; ++i) EXPECT_EQ(w.state.direction[i], 0) << i;
  EXPECT_FALSE(h.pty.Drain(100ms).empty());

  w.jogPad()->Deflect(1, 2);  // pushed forward: up again
  w.Timer1Timer();
  EXPECT_TRUE(w.ui->lbMessage->isHidden());
  EXPECT_GT(ToolPointFromPositions(w.state.position, w.arm).Y, at.Y);
  QTest::keyClick(&w, Qt::Key_F6);
  EXPECT_FALSE(w.ui->cbJogTool->isChecked());

  // Joints jogged down stop at the table too, and say so while the tick goes on.
  w.jogPad()->Deflect(1, 0);
  for (int i = 0; i < 200 && w.ui->lbMessage->isHidden(); ++i) w.Timer1Timer();
  w.Timer1Timer();
  EXPECT_EQ(w.ui->lbMessage->text(), "Table reached");
  EXPECT_FALSE(w.ui->lbMessage->isHidden());
  EXPECT_NEAR(ToolPointFromPositions(w.state.position, w.arm).Y, 8, 0.8);
}

TEST(WorkspaceWindow, TheArmViewOutlinesTheTypedPointRedWhenRefused) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h, {{"comPort", "sim"}});
  ASSERT_NE(w.armView(), nullptr);
  SetPoint(w, "99", "0", "0");
  EXPECT_TRUE(w.armView()->previewRefused());
  EXPECT_TRUE(w.armView()->previewReason().startsWith("Out of reach: (99, 0, 0)"));
  w.ui->Xcoord->setText("15");
  EXPECT_TRUE(w.armView()->previewShown());
  EXPECT_FALSE(w.armView()->previewRefused());
  w.ui->Xcoord->setText("1x");
  EXPECT_FALSE(w.armView()->previewShown());
  w.ui->Xcoord->setText("15");
  w.btmoveClick();
  EXPECT_FALSE(w.armView()->previewShown());
}

TEST(WorkspaceWindow, WithMoveLineASmoothMoveGoesAlongTheLineOrIsRefusedBeforeItStarts) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h, {{"motion", "smooth"}, {"moveLine", "1"}});
  SetPoint(w, "15", "5", "0");
  w.btmoveClick();
  // From (0, 15, 15) in steps of at most 5 mm: 47 ticks, each sending what changed.
  EXPECT_GT(h.pty.Drain(200ms).size(), size_t{40 * kFrameSize});
  const int32_t solved[] = {169, 85, 0, 212};
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(w.state.position[i], solved[i - 1]) << i;

  SetPoint(w, "-15", "5", "2");  // reachable, but the line passes too close to the base
  QTest::mouseClick(w.ui->btmove, Qt::LeftButton);
  ASSERT_EQ(h.errors.size(), 1);
  EXPECT_TRUE(h.errors[0].startsWith("The line leaves the workspace at ("))
      << h.errors[0].toStdString();
  EXPECT_EQ(h.pty.Drain(100ms), "");
  EXPECT_EQ(w.state.position[3], 0);
}

}  // namespace
