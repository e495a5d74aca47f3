// A main window on a pseudo-terminal with a settings file of the test's own; error boxes,
// questions and sleeps are recorded instead of shown and slept.
#pragma once

#include <QStringList>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fake_clock.h"
#include "main_window.h"
#include "pty_pair.h"
#include "temp_dir.h"

class WindowHarness {
 public:
  WindowHarness();
  ~WindowHarness();

  // The settings file: sensible defaults for a pty arm, with `changes` on top.
  void WriteSettings(const std::map<std::string, std::string>& changes = {});
  TfrmVantrel& Start(const std::map<std::string, std::string>& changes = {});
  // Destroys the window as shut-down does (the settings file is written).
  void Stop();

  std::string settingsPath() const { return dir.File("vantrel.ini"); }

  TempDir dir;
  PtyPair pty;
  QStringList errors;
  QStringList details;  // the second line of each error box, empty when it has none
  FakeClock clock;
  // Questions asked through the dialog seam, each answered with `answer`.
  QStringList questions;
  bool answer = true;
  // The window's own clock, which `clock` replaces.
  ScheduleClock* ownClock = nullptr;
  std::unique_ptr<TfrmVantrel> window;
};

ByteString Frame(int address, int position);

// Started with no ticks of their own: the tests drive the window by hand.
TfrmVantrel& StartIdle(WindowHarness& h, std::map<std::string, std::string> changes = {});
// The X, Y and Z boxes of Move.
void SetPoint(TfrmVantrel& w, const char* x, const char* y, const char* z);
