// The yellow bar at the foot of the window: "Playing....." while a script plays, else the
// standing message (not connected, a stopped tick, a port that came back), hidden when there
// is none.
#pragma once

#include <QString>

class QLabel;

class TStatusLine {
 public:
  explicit TStatusLine(QLabel* label = nullptr) : label_(label) {}

  // The standing message; an empty one hides the bar (unless playing).
  void Say(const QString& text);
  const QString& Text() const { return text_; }
  void SetPlaying(bool playing);

 private:
  void Show();

  QLabel* label_;
  QString text_;
  bool playing_ = false;
};
