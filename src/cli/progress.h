// Where a playing script has got to, on standard error: on a terminal one line that redraws
// itself, otherwise one line per command, or nothing at all.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// "0:12", "3:40", "1:02:03": whole seconds, rounded down.
std::string FormatDuration(int64_t milliseconds);

// "command 12 of 240, M;3;140, 0:12 elapsed, about 3:40 left"
std::string ProgressText(int number, int count, const std::string& command, int64_t elapsedMs,
                         int64_t leftMs);

class Progress {
 public:
  enum class Mode { Quiet, Lines, Redraw };

  Progress(std::FILE* out, Mode mode) : out_(out), mode_(mode) {}
  Mode mode() const { return mode_; }
  // A command has started.
  void Command(const std::string& text);
  // Time has passed within the command: only the redrawn line shows it.
  void Tick(const std::string& text);
  // Ends the redrawn line so what follows starts on a fresh one.
  void Finish();

 private:
  void Redraw(const std::string& text);

  std::FILE* out_;
  Mode mode_;
  bool lineOpen_ = false;
};
