#include "tick_timer.h"

#include <QTimerEvent>

TTickTimer::TTickTimer(QObject* parent) : QObject(parent) {}

void TTickTimer::Start() {
  enabled_ = true;
  if (interval_ > 0) Restart();
}

void TTickTimer::Stop() {
  enabled_ = false;
  Halt();
}

void TTickTimer::SetInterval(int milliseconds) {
  interval_ = milliseconds;
  if (enabled_ && interval_ > 0) {
    Restart();
  } else {
    Halt();
  }
}

void TTickTimer::timerEvent(QTimerEvent* event) {
  if (event->timerId() == timerId_) {
    Q_EMIT Tick();
    return;
  }
  QObject::timerEvent(event);
}

void TTickTimer::Restart() {
  Halt();
  timerId_ = startTimer(interval_, Qt::PreciseTimer);
}

void TTickTimer::Halt() {
  if (timerId_ == 0) return;
  killTimer(timerId_);
  timerId_ = 0;
}
