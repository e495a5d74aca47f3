// The reference for the idle benchmark: a minimal Qt Widgets window with the program's timer
// (20 ms, precise) whose tick does nothing.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(268, 332);
  window.show();
  QTimer timer;
  timer.setTimerType(Qt::PreciseTimer);
  int ticks = 0;
  QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
  timer.start(20);
  return app.exec();
}
