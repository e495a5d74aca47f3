// The window on settings files that lack keys or cannot be read.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QLineEdit>
#include <QTimer>

#include "options_form.h"
#include "ui_main_window.h"
#include "window_harness.h"

namespace {

void MoveTo(TfrmVantrel& w, const char* x, const char* y, const char* z) {
  w.ui->Xcoord->setText(x);
  w.ui->Ycoord->setText(y);
  w.ui->Zcoord->setText(z);
  w.btmoveClick();
}

TEST(SettingsWindow, AFileWithOnlyThePortStartsWithTheShippedValuesAndSaysWhichItFilledIn) {
  WindowHarness h;
  WriteFile(h.settingsPath(), "[Options]\ncomPort=sim\n");
  h.window = std::make_unique<TfrmVantrel>(h.settingsPath());
  TfrmVantrel& w = *h.window;
  w.clock = &h.clock;
  ASSERT_EQ(h.errors.size(), 1) << h.errors.join("; ").toStdString();
  EXPECT_EQ(h.errors[0], QString::fromStdString("Some settings in " + h.settingsPath() +
                                                " are missing or out of range"));
  for (const char* key : {"servoIncr=2", "L1=12", "sv6Maxval=254", "sv6Address=6"}) {
    EXPECT_TRUE(h.details[0].contains(key)) << key;
  }
  EXPECT_EQ(w.state.runState, 1);
  EXPECT_EQ(w.Timer1.Interval(), 50);
  EXPECT_EQ(w.arm.L1, 12);

  MoveTo(w, "15", "5", "0");
  EXPECT_EQ(h.errors.size(), 1) << h.errors.join("; ").toStdString();
  EXPECT_NE(w.state.position[1], 127);
  EXPECT_EQ(w.ui->lbServo1->text(), QString("servo1: %1").arg(w.state.position[1]));
  h.Stop();
  EXPECT_EQ(ReadFile(h.settingsPath()), "[Options]\ncomPort=sim\n");
}

TEST(SettingsWindow, AFileThatCannotBeReadIsReportedAndNeverWrittenOver) {
  struct Case {
    const char* name;
    bool needsNonRoot;
    const char* reason;
  };
  for (const Case c :
       {Case{"fifo", false, "not a regular file"}, Case{"locked", true, "Permission denied"}}) {
    SCOPED_TRACE(c.name);
    if (c.needsNonRoot && ::geteuid() == 0) continue;  // root reads whatever the mode says
    WindowHarness h;
    const std::string path = h.dir.File(c.name);
    if (c.needsNonRoot) {
      WriteFile(path, "[Options]\ncomPort=ttyS0\n");
      ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    } else {
      ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    }
    h.window = std::make_unique<TfrmVantrel>(path);
    TfrmVantrel& w = *h.window;
    w.clock = &h.clock;
    ASSERT_GE(h.errors.size(), 1);
    EXPECT_EQ(h.errors[0],
              QString::fromStdString("Unable to read settings from " + path + ": " + c.reason));
    ASSERT_NE(w.options(), nullptr);
    // The built-in values: the virtual controller, the shipped tick.
    EXPECT_EQ(w.ComPort1.Port(), "sim");
    EXPECT_EQ(w.state.runState, 1);

    w.options()->WriteOption("servoIncr", "5");
    QTimer::singleShot(0, w.options(), &QDialog::accept);
    w.optionsClick();
    EXPECT_EQ(w.state.servoIncr, 5);
    MoveTo(w, "15", "5", "0");
    EXPECT_NE(w.state.position[1], 127);
    EXPECT_EQ(h.errors.size(), 1) << h.errors.join("; ").toStdString();
    h.Stop();
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(S_ISFIFO(info.st_mode), !c.needsNonRoot);
    if (c.needsNonRoot) {
      ::chmod(path.c_str(), 0600);
      EXPECT_EQ(ReadFile(path), "[Options]\ncomPort=ttyS0\n");
    }
  }
}

}  // namespace
