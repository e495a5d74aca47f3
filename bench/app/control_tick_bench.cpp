// The control tick with six moving servos writing to a pseudo-terminal, against a bare write()
// of the same 24 bytes; and the real tick period at a 20 ms interval.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <atomic>
#include <fstream>
#include <thread>
#include <vector>

#include "main_window.h"

namespace {

// A pty whose peer keeps reading, like a servo controller.
struct Line {
  int master = -1, slave = -1;
  std::string path;
  std::atomic<bool> done{false};
  std::thread reader;
  Line() {
    char name[256];
    openpty(&master, &slave, name, nullptr, nullptr);
    path = name;
    reader = std::thread([this] {
      char buf[4096];
      while (!done) {
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0 && ::read(master, buf, sizeof buf) <= 0) break;
      }
    });
  }
  ~Line() {
    done = true;
    reader.join();
    ::close(slave);
    ::close(master);
  }
};

struct Arm {
  Line line;
  std::string dir;
  std::unique_ptr<TfrmVantrel> window;
  explicit Arm(int interval) {
    char pattern[] = "/tmp/vantrel-bench-XXXXXX";
    dir = ::mkdtemp(pattern);
    std::ofstream(dir + "/vantrel.ini")
        << "[Options]\ncomPort=" << line.path << "\nbaudRate=115200\nservoIncr=1\n"
        << "servoComInterval=" << interval << "\n"
        << "sv1Maxval=254\nsv2Maxval=254\nsv3Maxval=254\nsv4Maxval=254\nsv5Maxval=254\n"
        << "sv6Maxval=254\n";
    window = std::make_unique<TfrmVantrel>(dir + "/vantrel.ini");
    window->state.runState = 2;  // no joystick poll: the directions stay as set
    for (int i = 1; i <= 6; ++i) window->state.direction[i] = i % 2 ? 1 : -1;
  }
  ~Arm() {
    window.reset();
    std::remove((dir + "/vantrel.ini").c_str());
    ::rmdir(dir.c_str());
  }
};

// Tells the time but does not sleep.
class NoSleepClock : public ScheduleClock {
 public:
  TimePoint Now() override { return Clock::now(); }
  void SleepUntil(TimePoint) override {}
};

double ThreadCpuMicros() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

void BM_TickAgainstBareWrite(benchmark::State& state) {
  Arm arm(0);
  NoSleepClock clock;  // the 2 ms pause costs no CPU; leave it out
  arm.window->clock = &clock;
  const ByteString frames(24, '\x55');
  double tickCpu = 0, writeCpu = 0;
  for (auto _ : state) {
    double t0 = ThreadCpuMicros();
    arm.window->Timer1Timer();
    double t1 = ThreadCpuMicros();
    benchmark::DoNotOptimize(::write(arm.line.slave, frames.data(), frames.size()));
    double t2 = ThreadCpuMicros();
    tickCpu += t1 - t0;
    writeCpu += t2 - t1;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["tick_cpu_us"] = tickCpu / n;
  state.counters["bare_write_cpu_us"] = writeCpu / n;
  state.counters["ratio"] = writeCpu > 0 ? tickCpu / writeCpu : 0;
}
BENCHMARK(BM_TickAgainstBareWrite)->Iterations(2000);

void BM_TickPeriod(benchmark::State& state) {
  Arm arm(20);
  std::vector<double> periods;
  for (auto _ : state) {
    periods.clear();
    QElapsedTimer clock;
    clock.start();
    qint64 last = -1;
    QEventLoop loop;
    QObject::connect(&arm.window->Timer1, &TTickTimer::Tick, &loop, [&] {
      const qint64 now = clock.nsecsElapsed();
      if (last >= 0) periods.push_back((now - last) / 1e6);
      last = now;
      if (periods.size() >= 2000) loop.quit();
    });
    loop.exec();
  }
  std::sort(periods.begin(), periods.end());
  state.counters["p50_ms"] = periods[periods.size() / 2];
  state.counters["p99_ms"] = periods[periods.size() * 99 / 100];
}
BENCHMARK(BM_TickPeriod)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
