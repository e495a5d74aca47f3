#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "command_editor.h"
#include "dialog_seam.h"
#include "playback.h"
#include "ui_main_window.h"
#include "window_harness.h"
#include "xstring_grid.h"

namespace {

void AnswerFiles(const std::string& path) {
  UiSeam::Instance().saveFileName = [path](QWidget*, const QString&, const QString&) {
    return QString::fromStdString(path);
  };
  UiSeam::Instance().openFileName = [path](QWidget*, const QString&) {
    return QString::fromStdString(path);
  };
}

TEST(UnsavedScript, NewAsksAboutRecordedCommandsAndNoKeepsThem) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  QTest::mouseClick(w.ui->btSv1, Qt::LeftButton);
  QTest::mouseClick(w.ui->btPause10, Qt::LeftButton);
  h.answer = false;
  QTest::mouseClick(w.ui->btClearScript, Qt::LeftButton);
  ASSERT_EQ(h.questions.size(), 1);
  EXPECT_EQ(h.questions[0], "Discard the 2 unsaved commands?");
  EXPECT_EQ(w.script.count(), 2);

  h.answer = true;
  QTest::mouseClick(w.ui->btClearScript, Qt::LeftButton);
  EXPECT_EQ(h.questions.size(), 2);
  EXPECT_EQ(w.script.count(), 0);
  // Nothing left to lose: New again asks nothing.
  QTest::mouseClick(w.ui->btClearScript, Qt::LeftButton);
  EXPECT_EQ(h.questions.size(), 2);
}

TEST(UnsavedScript, SaveAndLoadMakeItCleanAndNoStopsALoad) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  const std::string path = h.dir.File("arm.vco");
  AnswerFiles(path);
  RecordCommand(w.script, 'M', 2, 100);
  QTest::mouseClick(w.ui->btSave, Qt::LeftButton);
  QTest::mouseClick(w.ui->btLoad, Qt::LeftButton);
  EXPECT_TRUE(h.questions.isEmpty());
  ASSERT_EQ(w.script.count(), 1);

  // Recording after the load changes it again; No leaves the script and skips the dialog.
  QTest::mouseClick(w.ui->btSvAll, Qt::LeftButton);
  bool dialogShown = false;
  UiSeam::Instance().openFileName = [&](QWidget*, const QString&) {
    dialogShown = true;
    return QString::fromStdString(path);
  };
  h.answer = false;
  QTest::mouseClick(w.ui->btLoad, Qt::LeftButton);
  ASSERT_EQ(h.questions.size(), 1);
  EXPECT_EQ(h.questions[0], "Discard the 7 unsaved commands?");
  EXPECT_FALSE(dialogShown);
  EXPECT_EQ(w.script.count(), 7);

  h.answer = true;
  QTest::mouseClick(w.ui->btLoad, Qt::LeftButton);
  EXPECT_TRUE(dialogShown);
  EXPECT_EQ(w.script.count(), 1);
  QTest::mouseClick(w.ui->btClearScript, Qt::LeftButton);
  EXPECT_EQ(h.questions.size(), 2);  // the loaded script went without a question
}

TEST(UnsavedScript, AFailedLoadKeepsTheOldScriptChanged) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  RecordCommand(w.script, 'M', 1, 1);
  AnswerFiles(h.dir.File("missing.vco"));
  QTest::mouseClick(w.ui->btLoad, Qt::LeftButton);
  ASSERT_EQ(h.errors.size(), 1);
  EXPECT_EQ(w.script.count(), 1);
  QTest::mouseClick(w.ui->btClearScript, Qt::LeftButton);
  EXPECT_EQ(h.questions.size(), 2);  // asked before the load and again now
}

TEST(UnsavedScript, EditorOkWithAChangeAndPlaybackKeepTheState) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  const std::string path = h.dir.File("arm.vco");
  AnswerFiles(path);
  RecordCommand(w.script, 'M', 1, 120);
  QTest::mouseClick(w.ui->btSave, Qt::LeftButton);

  // OK without a change leaves the script clean.
  QTimer::singleShot(0, [&] {
    ASSERT_NE(w.script.editor, nullptr);
    w.script.editor->btOkClick();
  });
  w.btEditClick();
  // Playing a clean script leaves it clean.
  w.btPlayClick();
  QTest::mouseClick(w.ui->btClearScript, Qt::LeftButton);
  EXPECT_TRUE(h.questions.isEmpty());

  QTest::mouseClick(w.ui->btLoad, Qt::LeftButton);
  QTimer::singleShot(0, [&] {
    ASSERT_NE(w.script.editor, nullptr);
    w.script.editor->commandSheet->SetCells(3, 1, "121");
    w.script.editor->btOkClick();
  });
  w.btEditClick();
  w.btPlayClick();
  h.answer = false;
  QTest::mouseClick(w.ui->btClearScript, Qt::LeftButton);
  ASSERT_EQ(h.questions.size(), 1);
  EXPECT_EQ(h.questions[0], "Discard the 1 unsaved commands?");
}

TEST(UnsavedScript, ExitAndTheCloseBoxAskAndNoKeepsTheWindow) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  w.show();
  QTest::mouseClick(w.ui->btSv3, Qt::LeftButton);
  h.answer = false;
  QTest::mouseClick(w.ui->exit, Qt::LeftButton);
  ASSERT_EQ(h.questions.size(), 1);
  EXPECT_EQ(h.questions[0], "Discard the 1 unsaved commands?");
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(w.stopRequested, 0);

  EXPECT_FALSE(w.close());  // the close box
  EXPECT_EQ(h.questions.size(), 2);
  EXPECT_TRUE(w.isVisible());

  h.answer = true;
  EXPECT_TRUE(w.close());
  EXPECT_FALSE(w.isVisible());
}

TEST(UnsavedScript, AnEmptyOrSavedScriptClosesWithoutAQuestion) {
  WindowHarness h;
  TfrmVantrel& w = StartIdle(h);
  w.show();
  h.answer = false;
  EXPECT_TRUE(w.close());
  EXPECT_TRUE(h.questions.isEmpty());
}

}  // namespace
