// The yellow bar at the foot of the window: "Playing....." while a script plays, else what the
// program is busy with (teaching), else the standing message (not connected, a stopped tick, a port
// that came back), hidden when there is none.
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
  // "Waiting: press Continue (Space)" instead of "Playing....." while a W line holds playback.
  void SetWaiting(bool waiting);
  // What the program is busy with ("Teaching: 5 commands"), shown over the standing message;
  // empty when nothing. Playing wins over it.
  void SetActivity(const QString& text);

 private:
  void Show();

  QLabel* label_;
  QString text_;
  QString activity_;
  bool playing_ = false;
  bool waiting_ = false;
};
