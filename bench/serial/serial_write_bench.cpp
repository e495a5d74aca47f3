// SendText of a tick's frames to a pseudo-terminal with a reading peer, beside a bare write()
// of the same bytes to the same device. Both times and their ratio are counters.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "com_port.h"

namespace {

using Clock = std::chrono::steady_clock;

// A pseudo-terminal whose far end reads everything, as the servo controller would.
class ReadingPeer {
 public:
  ReadingPeer() {
    char name[256];
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) return;
    path_ = name;
    termios raw{};
    ::tcgetattr(slave_, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave_, TCSANOW, &raw);
    reader_ = std::thread([this] {
      char buffer[4096];
      while (!stop_) {
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, 20) > 0 && ::read(master_, buffer, sizeof buffer) <= 0) break;
      }
    });
  }
  ~ReadingPeer() {
    stop_ = true;
    if (reader_.joinable()) reader_.join();
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
  }
  const std::string& path() const { return path_; }
  int slave() const { return slave_; }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
  std::atomic<bool> stop_{false};
  std::thread reader_;
};

void BM_SendTextBesideWrite(benchmark::State& state) {
  ReadingPeer peer;
  if (peer.path().empty()) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  TComPort port;
  port.SetPort(peer.path());
  port.SetSyncMethod(smNone);  // no main-thread loop here; the event thread still runs
  port.OpenPort();
  const ByteString frames(static_cast<size_t>(state.range(0)), '\x5A');

  std::chrono::nanoseconds sendTime{0};
  std::chrono::nanoseconds writeTime{0};
  for (auto _ : state) {
    const auto t0 = Clock::now();
    benchmark::DoNotOptimize(port.SendText(frames));
    const auto t1 = Clock::now();
    benchmark::DoNotOptimize(::write(peer.slave(), frames.data(), frames.size()));
    const auto t2 = Clock::now();
    sendTime += t1 - t0;
    writeTime += t2 - t1;
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
  }
  const double n = static_cast<double>(state.iterations());
  const double sendNs = static_cast<double>(sendTime.count()) / n;
  const double writeNs = static_cast<double>(writeTime.count()) / n;
  state.counters["sendtext_ns"] = sendNs;
  state.counters["write_ns"] = writeNs;
  state.counters["ratio"] = writeNs > 0 ? sendNs / writeNs : 0;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

BENCHMARK(BM_SendTextBesideWrite)->Arg(4)->Arg(24)->UseManualTime();

}  // namespace

BENCHMARK_MAIN();
