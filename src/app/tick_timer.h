// The control timer: a periodic Qt timer that, like the operator expects, never fires while
// its interval is 0 (a plain QTimer would fire continuously then).
#pragma once

#include <QObject>
#include <QTimer>

class TTickTimer : public QObject {
  Q_OBJECT

 public:
  explicit TTickTimer(QObject* parent = nullptr);

  // Start restarts the period.
  void Start();
  void Stop();
  bool Enabled() const { return enabled_; }
  bool Active() const { return timer_.isActive(); }
  void SetInterval(int milliseconds);
  int Interval() const { return interval_; }

 Q_SIGNALS:
  void Tick();

 private:
  QTimer timer_;
  bool enabled_ = false;
  int interval_ = 200;
};
