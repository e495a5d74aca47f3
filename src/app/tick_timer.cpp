#include "tick_timer.h"

TTickTimer::TTickTimer(QObject* parent) : QObject(parent) {
  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setInterval(interval_);
  connect(&timer_, &QTimer::timeout, this, &TTickTimer::Tick);
}

void TTickTimer::Start() {
  enabled_ = true;
  if (interval_ > 0) timer_.start(interval_);
}

void TTickTimer::Stop() {
  enabled_ = false;
  timer_.stop();
}

void TTickTimer::SetInterval(int milliseconds) {
  interval_ = milliseconds;
  if (enabled_ && interval_ > 0) {
    timer_.start(interval_);
  } else {
    timer_.stop();
  }
}
