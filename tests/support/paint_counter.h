// Counts the paint events that widgets get, for checks that a change is (or is not) redrawn.
#pragma once

#include <QEvent>
#include <QObject>
#include <QWidget>

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <functional>
#include <initializer_list>
#include <utility>

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

// Makes each change in turn and expects a repaint after each; a change is named for the report.
inline void ExpectEachRedrawn(
    PaintCounter& counter,
    std::initializer_list<std::pair<const char*, std::function<void()>>> changes) {
  for (const auto& [what, change] : changes) {
    QCoreApplication::processEvents();
    counter.paints = 0;
    change();
    QCoreApplication::processEvents();
    EXPECT_GT(counter.paints, 0) << what;
  }
}
