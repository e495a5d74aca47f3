// The main window on a pseudo-terminal whose peer reads like the servo controller, with a
// settings file of its own.
#pragma once

#include <memory>
#include <string>

#include "bench_support.h"
#include "main_window.h"

// Settings for an arm on `port` ticking every `interval` ms (0: no ticks of its own); the
// jog pad as `jogPad` says ("0" never, "" when no stick is plugged in).
std::string ArmSettings(const std::string& port, int interval, const std::string& jogPad = "0");

class ArmOnPty {
 public:
  explicit ArmOnPty(int interval, size_t frameSize = 0);
  ~ArmOnPty();

  ReadingPeer line;
  std::string dir;
  std::unique_ptr<TfrmVantrel> window;
};
