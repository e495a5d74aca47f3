#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "command_editor.h"
#include "timeline_model.h"
#include "timeline_view.h"
#include "timeline_window.h"
#include "xstring_grid.h"

namespace {

// The editor's timeline pictures the table, and a click on a point selects its row.
TEST(TimelineWindow, ClickingAPointSelectsItsRowInTheEditor) {
  TfrmCommandEdit editor;
  TCommandList list;
  for (const TServoCommand& c :
       {TServoCommand{'M', 1, 200}, TServoCommand{'P', 0, 2}, TServoCommand{'M', 3, 20}}) {
    list.push_back(std::make_unique<TServoCommand>(c));
  }
  editor.commands = &list;
  editor.LoadGrid();
  editor.show();
  editor.btTimelineClick();
  auto* window = editor.findChild<TfrmTimeline*>();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  TTimelineView* view = window->view();
  const TimelineModel& model = view->model();
  ASSERT_EQ(model.commandStartMs.size(), 3u);
  EXPECT_EQ(model.pauses.size(), 1u);

  const TimelinePoint& third = model.servo[3].back();
  QTest::mouseClick(view, Qt::LeftButton, {}, view->PointAt(third.ms, third.position).toPoint());
  EXPECT_EQ(editor.commandSheet->Row(), 3);
  const TimelinePoint& first = model.servo[1].back();
  QTest::mouseClick(view, Qt::LeftButton, {}, view->PointAt(first.ms, first.position).toPoint());
  EXPECT_EQ(editor.commandSheet->Row(), 1);
  // Far from any point nothing is selected anew.
  QTest::mouseClick(view, Qt::LeftButton, {}, view->PointAt(model.totalMs, 0).toPoint());
  EXPECT_EQ(editor.commandSheet->Row(), 1);

  // An edit of the table shows at the next refresh.
  editor.commandSheet->SetCells(3, 3, QStringLiteral("240"));
  EXPECT_TRUE(window->Refresh());
  EXPECT_EQ(view->model().servo[3].back().position, 240);
  EXPECT_FALSE(window->Refresh()) << "nothing changed since";
}

// A long script is played through on a worker: the window says so and answers meanwhile; the
// picture comes with the events after it. The arm moving is no reason to build it again.
TEST(TimelineWindow, ALongScriptIsPicturedOnAWorkerAndNotAgainWhenTheArmMoves) {
  TimelineArm arm = CurrentTimelineArm();
  SetTimelineArmSource([&arm] { return arm; });
  std::vector<TServoCommand> commands;
  for (int k = 0; k < 1000; ++k) {
    commands.push_back({'M', static_cast<uint8_t>(1 + k % 6), static_cast<uint8_t>(k % 7 * 30)});
  }
  TfrmTimeline window([&commands] { return commands; });
  auto* total = window.findChild<QLabel*>(QStringLiteral("lbTotal"));
  ASSERT_NE(total, nullptr);
  EXPECT_EQ(total->text(), "Building the timeline...");
  EXPECT_TRUE(window.view()->model().commandStartMs.empty());
  for (int i = 0; i < 1000 && window.view()->model().commandStartMs.empty(); ++i) QTest::qWait(10);
  EXPECT_EQ(window.view()->model().commandStartMs.size(), 1000u);
  EXPECT_TRUE(total->text().startsWith("Playing time")) << total->text().toStdString();
  arm.start[1] = 10;
  EXPECT_FALSE(window.Refresh());
  arm.speedPercent = 200;
  EXPECT_TRUE(window.Refresh());
  SetTimelineArmSource({});
}

}  // namespace
