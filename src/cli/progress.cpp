#include "progress.h"

#include "translate.h"

std::string FormatDuration(int64_t milliseconds) {
  const int64_t seconds = milliseconds > 0 ? milliseconds / 1000 : 0;
  char text[32];
  if (seconds >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
  }
  return text;
}

std::string ProgressText(int number, int count, const std::string& command, int64_t elapsedMs,
                         int64_t leftMs) {
  return TrFormat("command {1} of {2}, {3}, {4} elapsed, about {5} left",
                  {std::to_string(number), std::to_string(count), command,
                   FormatDuration(elapsedMs), FormatDuration(leftMs)});
}

void Progress::Command(const std::string& text) {
  if (mode_ == Mode::Lines) {
    std::fprintf(out_, "%s\n", text.c_str());
    std::fflush(out_);
  } else if (mode_ == Mode::Redraw) {
    Redraw(text);
  }
}

void Progress::Tick(const std::string& text) {
  if (mode_ == Mode::Redraw) Redraw(text);
}

void Progress::Finish() {
  if (!lineOpen_) return;
  std::fputc('\n', out_);
  std::fflush(out_);
  lineOpen_ = false;
}

void Progress::Redraw(const std::string& text) {
  // Back to the start of the line, the text, and clear what a longer text left behind.
  std::fprintf(out_, "\r%s\033[K", text.c_str());
  std::fflush(out_);
  lineOpen_ = true;
}
