// The control tick with six moving servos writing to a pseudo-terminal, against a bare
// write() and tcdrain() of the same 24 bytes; and the real tick period at a 20 ms interval.
#include <benchmark/benchmark.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <algorithm>
#include <vector>

#include "arm_on_pty.h"
#include "bench_support.h"

namespace {

// Tells the time but does not sleep.
class NoSleepClock : public ScheduleClock {
 public:
  TimePoint Now() override { return Clock::now(); }
  void SleepUntil(TimePoint) override {}
};

void MoveAllSix(TfrmVantrel& window) {
  window.state.runState = 2;  // no joystick poll: the directions stay as set
  for (int i = 1; i <= 6; ++i) window.state.direction[i] = i % 2 ? 1 : -1;
}

void BM_TickAgainstBareWrite(benchmark::State& state) {
  ArmOnPty arm(0);
  NoSleepClock clock;  // the 2 ms pause costs no CPU; leave it out
  arm.window->clock = &clock;
  MoveAllSix(*arm.window);
  const ByteString frames(24, '\x55');
  double tickNs = 0, loopNs = 0, writeNs = 0;
  // Servos that reach a limit stop moving: turn them round.
  const auto turnAtLimits = [&arm] {
    for (int i = 1; i <= 6; ++i) {
      const int32_t p = arm.window->state.position[i];
      if (p <= 1 || p >= 253) arm.window->state.direction[i] = p <= 1 ? 1 : -1;
    }
  };
  // A sweep over every position first: the figure is the steady state, not the first
  // drawing of each caption.
  for (int i = 0; i < 600; ++i) {
    arm.window->Timer1Timer();
    QCoreApplication::processEvents();
    turnAtLimits();
  }
  for (auto _ : state) {
    const double t0 = ThreadCpuNs();
    arm.window->Timer1Timer();
    const double t1 = ThreadCpuNs();
    // What the tick left to the loop (drawing not already done inside the write).
    QCoreApplication::processEvents();
    const double t2 = ThreadCpuNs();
    benchmark::DoNotOptimize(::write(arm.line.slave(), frames.data(), frames.size()));
    ::tcdrain(arm.line.slave());
    const double t3 = ThreadCpuNs();
    tickNs += t1 - t0;
    loopNs += t2 - t1;
    writeNs += t3 - t2;
    turnAtLimits();
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["tick_cpu_us"] = tickNs / n / 1000;
  state.counters["loop_after_tick_cpu_us"] = loopNs / n / 1000;
  state.counters["write_tcdrain_cpu_us"] = writeNs / n / 1000;
  state.counters["ratio_beyond_write"] = writeNs > 0 ? (tickNs - writeNs) / writeNs : 0;
  PrintFigure("tick with six servos moving, CPU", tickNs / n / 1000, "write()+tcdrain() 24 bytes",
              writeNs / n / 1000, "us");
  PrintFigure("  of it beyond the write", (tickNs - writeNs) / n / 1000, "write()+tcdrain()",
              writeNs / n / 1000, "us");
  PrintFigure("  left to the loop after it", loopNs / n / 1000, "write()+tcdrain()",
              writeNs / n / 1000, "us");
}
BENCHMARK(BM_TickAgainstBareWrite)->Iterations(2000);

void BM_TickPeriod(benchmark::State& state) {
  ArmOnPty arm(20);
  std::vector<double> periods;
  for (auto _ : state) {
    periods.clear();
    QElapsedTimer clock;
    clock.start();
    qint64 last = -1;
    QEventLoop loop;
    QObject::connect(&arm.window->Timer1, &TTickTimer::Tick, &loop, [&] {
      const qint64 now = clock.nsecsElapsed();
      if (last >= 0) periods.push_back(static_cast<double>(now - last) / 1e6);
      last = now;
      if (periods.size() >= 2000) loop.quit();
    });
    loop.exec();
  }
  std::sort(periods.begin(), periods.end());
  state.counters["p50_ms"] = periods[periods.size() / 2];
  state.counters["p99_ms"] = periods[periods.size() * 99 / 100];
  PrintFigure("tick period at rest, p50", periods[periods.size() / 2], "interval", 20, "ms");
}
BENCHMARK(BM_TickPeriod)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
