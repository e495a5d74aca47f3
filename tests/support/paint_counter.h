// Counts the paint events that widgets get, for checks that a change is (or is not) redrawn.
#pragma once

#include <QEvent>
#include <QObject>
#include <QWidget>

#include <initializer_list>

class PaintCounter : public QObject {
 public:
  explicit PaintCounter(std::initializer_list<QWidget*> widgets) {
    for (QWidget* w : widgets) w->installEventFilter(this);
  }
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};
