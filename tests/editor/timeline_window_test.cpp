#include <gtest/gtest.h>

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

}  // namespace
