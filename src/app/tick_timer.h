// The control timer: a periodic Qt timer that, like the operator expects, never fires while
// its interval is 0 (a plain QTimer would fire continuously then).
#pragma once

#include <QObject>

class QTimerEvent;

class TTickTimer : public QObject {
  Q_OBJECT

 public:
  explicit TTickTimer(QObject* parent = nullptr);

  // Start restarts the period.
  void Start();
  void Stop();
  bool Enabled() const { return enabled_; }
  bool Active() const { return timerId_ != 0; }
  void SetInterval(int milliseconds);
  int Interval() const { return interval_; }

 Q_SIGNALS:
  void Tick();

 protected:
  // The timer event itself, not a QTimer: one object and one signal less to wake each tick.
  void timerEvent(QTimerEvent* event) override;

 private:
  void Restart();
  void Halt();

  int timerId_ = 0;
  bool enabled_ = false;
  int interval_ = 200;
};
