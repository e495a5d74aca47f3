// The whole program idle for 10 s on the UART at /dev/ttyS0 (COM1), against the same program
// idle on a pseudo-terminal, both with the shipped settings. Figures: voluntary wake-ups of all
// threads per second against the tick rate + 5, and CPU time on the UART against the pty.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "bench_support.h"
#include "dialog_seam.h"
#include "main_window.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kSettle = 1s;
constexpr auto kIdle = 10s;

// How often the threads of this process went to sleep, all told.
long Sleeps() {
  long total = 0;
  for (const pid_t task : Tasks()) total += TaskSleeps(task);
  return total;
}

double CpuSeconds() {
  return ProcessCpuNs(::getpid()) / 1e9;
}

std::string ShippedSettings() {
  std::ifstream in(VANTREL_SHIPPED_SETTINGS);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int TickInterval(const std::string& settings) {
  const auto at = settings.find("\nservoComInterval=");
  return at == std::string::npos ? 0 : std::stoi(settings.substr(at + 18));
}

struct Idle {
  double wakeupsPerSecond = 0;
  double cpuSeconds = 0;
};

// The program started on `port` with the shipped settings otherwise, measured while it idles.
Idle RunIdle(const std::string& port) {
  char pattern[] = "/tmp/vantrel-idle-XXXXXX";
  const std::string dir = ::mkdtemp(pattern);
  const std::string path = dir + "/vantrel.ini";
  std::string settings = ShippedSettings();
  const auto at = settings.find("comPort=");
  settings.replace(at, settings.find('\n', at) - at, "comPort=" + port);
  std::ofstream(path) << settings;

  Idle idle;
  {
    auto window = std::make_unique<TfrmVantrel>(path);
    QEventLoop loop;
    QTimer::singleShot(kSettle, &loop, &QEventLoop::quit);
    loop.exec();
    const long wakeups = Sleeps();
    const double cpu = CpuSeconds();
    QTimer::singleShot(kIdle, &loop, &QEventLoop::quit);
    loop.exec();
    const double seconds = std::chrono::duration<double>(kIdle).count();
    idle.wakeupsPerSecond = static_cast<double>(Sleeps() - wakeups) / seconds;
    idle.cpuSeconds = CpuSeconds() - cpu;
  }
  std::remove(path.c_str());
  ::rmdir(dir.c_str());
  return idle;
}

void BM_IdleOnUartAgainstPty(benchmark::State& state) {
  const int uart = ::open("/dev/ttyS0", O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (uart < 0) {
    state.SkipWithError("cannot open /dev/ttyS0 (needs a UART there, and root or dialout)");
    return;
  }
  ::close(uart);
  int master = -1, slave = -1;
  char name[256];
  if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  std::string failure;
  UiSeam::Instance().showError = [&](QWidget*, const QString& text, const QString& detail) {
    failure = (text + " - " + detail).toStdString();
  };
  const int interval = TickInterval(ShippedSettings());
  const double tickRate = interval > 0 ? 1000.0 / interval : 0;

  Idle onPty, onUart;
  for (auto _ : state) {
    onPty = RunIdle(name);
    onUart = RunIdle("COM1");
  }
  UiSeam::Instance().Reset();
  ::close(slave);
  ::close(master);
  if (!failure.empty()) {
    state.SkipWithError(("the program reported: " + failure).c_str());
    return;
  }
  const double reference = tickRate + 5;
  PrintFigure("idle on ttyS0, wake-ups", onUart.wakeupsPerSecond, "tick rate + 5", reference, "/s");
  PrintFigure("idle on ttyS0, CPU", onUart.cpuSeconds * 1e3, "the same on a pty",
              onPty.cpuSeconds * 1e3, "ms");
  state.counters["wakeups_per_s"] = onUart.wakeupsPerSecond;
  state.counters["wakeups_ref"] = reference;
  state.counters["wakeups_ratio"] = onUart.wakeupsPerSecond / reference;
  state.counters["pty_wakeups_per_s"] = onPty.wakeupsPerSecond;
  state.counters["cpu_ms"] = onUart.cpuSeconds * 1e3;
  state.counters["pty_cpu_ms"] = onPty.cpuSeconds * 1e3;
  state.counters["cpu_ratio"] = onPty.cpuSeconds > 0 ? onUart.cpuSeconds / onPty.cpuSeconds : 0;
  state.counters["cpu_ratio_ref"] = 1.1;
}
BENCHMARK(BM_IdleOnUartAgainstPty)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("SDL_JOYSTICK_DISABLE_UDEV", "1");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
