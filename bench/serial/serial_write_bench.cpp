// SendText of a tick's frames to a pseudo-terminal with a reading peer, beside a bare write()
// of the same bytes to the same device: the calling thread's CPU time for each, and what the
// event thread spends and how often it wakes per write.
#include <benchmark/benchmark.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>

#include <string>

#include "bench_support.h"
#include "com_port.h"

namespace {

// Opens the port and answers the thread it started, 0 if none.
pid_t OpenAndFindEventThread(TComPort& port) {
  const std::set<pid_t> before = Tasks();
  port.OpenPort();
  for (const pid_t tid : Tasks()) {
    if (!before.count(tid)) return tid;
  }
  return 0;
}

// Calls per batch: a clock read costs about as much as a small write, so batches keep it out.
constexpr int kBatch = 50;

// The program's way: handlers on the main thread, whose loop runs between writes. Each call is
// timed on its own, less what reading the clock costs.
void BM_SendTextAsTheProgramDoes(benchmark::State& state) {
  ReadingPeer peer;
  TComPort port;
  port.SetPort(peer.path());
  int txEmpty = 0;
  port.OnTxEmpty = [&](TCustomComPort*) { ++txEmpty; };
  const pid_t eventThread = OpenAndFindEventThread(port);
  const ByteString frames(static_cast<size_t>(state.range(0)), '\x5A');
  double clockNs = ThreadCpuNs();
  for (int i = 0; i < 1000; ++i) benchmark::DoNotOptimize(ThreadCpuNs());
  clockNs = (ThreadCpuNs() - clockNs) / 1001;
  double sendNs = 0, writeNs = 0, loopNs = 0;
  const long sleeps0 = eventThread ? TaskSleeps(eventThread) : 0;
  for (auto _ : state) {
    const double t0 = ThreadCpuNs();
    benchmark::DoNotOptimize(port.SendText(frames));
    const double t1 = ThreadCpuNs();
    QCoreApplication::processEvents();  // the transmit-empty dispatch
    const double t2 = ThreadCpuNs();
    benchmark::DoNotOptimize(::write(peer.slave(), frames.data(), frames.size()));
    const double t3 = ThreadCpuNs();
    sendNs += t1 - t0 - clockNs;
    loopNs += t2 - t1 - clockNs;
    writeNs += t3 - t2 - clockNs;
  }
  const double n = static_cast<double>(state.iterations());
  const double wakes = eventThread ? static_cast<double>(TaskSleeps(eventThread) - sleeps0) / n : 0;
  port.OnTxEmpty = nullptr;
  state.counters["sendtext_cpu_ns"] = sendNs / n;
  state.counters["write_cpu_ns"] = writeNs / n;
  state.counters["ratio"] = writeNs > 0 ? sendNs / writeNs : 0;
  state.counters["dispatch_cpu_ns"] = loopNs / n;
  state.counters["wakeups_per_write"] = wakes;
  state.counters["tx_empty_per_write"] = txEmpty / n;
  const std::string bytes = std::to_string(state.range(0)) + " bytes";
  PrintFigure("SendText " + bytes + " as the program, CPU", sendNs / n / 1000, "bare write()",
              writeNs / n / 1000, "us");
  PrintFigure("  its transmit-empty dispatch on the loop", loopNs / n / 1000, "bare write()",
              writeNs / n / 1000, "us");
  PrintFigure("  event thread wake-ups per write", wakes, "goal at most", 1, "");
}
BENCHMARK(BM_SendTextAsTheProgramDoes)->Arg(4)->Arg(24)->Iterations(5000);

void SendTextBesideWrite(benchmark::State& state, TComEvents events, const std::string& label) {
  ReadingPeer peer;
  if (peer.path().empty()) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  TComPort port;
  port.SetPort(peer.path());
  port.SetEvents(events);
  if (events.Has(evTxEmpty)) port.SetSyncMethod(smNone);
  const pid_t eventThread = OpenAndFindEventThread(port);
  const ByteString frames(static_cast<size_t>(state.range(0)), '\x5A');
  for (int i = 0; i < 100; ++i) port.SendText(frames);  // warm up
  ::usleep(20000);

  double sendNs = 0, writeNs = 0;
  const double threadNs0 = eventThread ? TaskCpuNs(eventThread) : 0;
  const long sleeps0 = eventThread ? TaskSleeps(eventThread) : 0;
  int64_t writes = 0;
  for (auto _ : state) {
    const double t0 = ThreadCpuNs();
    for (int i = 0; i < kBatch; ++i) benchmark::DoNotOptimize(port.SendText(frames));
    const double t1 = ThreadCpuNs();
    for (int i = 0; i < kBatch; ++i) {
      benchmark::DoNotOptimize(::write(peer.slave(), frames.data(), frames.size()));
    }
    const double t2 = ThreadCpuNs();
    sendNs += t1 - t0;
    writeNs += t2 - t1;
    writes += kBatch;
  }
  ::usleep(20000);  // the last wake-ups settle
  const double n = static_cast<double>(writes);
  const double threadNs = eventThread ? (TaskCpuNs(eventThread) - threadNs0) / n : 0;
  const double wakes = eventThread ? static_cast<double>(TaskSleeps(eventThread) - sleeps0) / n : 0;
  state.counters["sendtext_cpu_ns"] = sendNs / n;
  state.counters["write_cpu_ns"] = writeNs / n;
  state.counters["ratio"] = writeNs > 0 ? sendNs / writeNs : 0;
  state.counters["event_thread_ns"] = threadNs;
  state.counters["wakeups_per_write"] = wakes;
  state.SetLabel(label);
  const std::string bytes = std::to_string(state.range(0)) + " bytes";
  PrintFigure("SendText " + bytes + " " + label + ", CPU", sendNs / n / 1000, "bare write()",
              writeNs / n / 1000, "us");
  PrintFigure("  event thread per write", threadNs / 1000, "bare write()", writeNs / n / 1000,
              "us");
  PrintFigure("  event thread wake-ups per write", wakes, "goal at most", events.Has(evTxEmpty),
              "");
}

// Handlers on the event thread: it has to wake for the transmit-empty event.
void BM_SendTextHandlersOnTheEventThread(benchmark::State& state) {
  SendTextBesideWrite(state, kAllComEvents, "handlers on the event thread");
}
BENCHMARK(BM_SendTextHandlersOnTheEventThread)->Arg(4)->Arg(24)->Iterations(400);

void BM_SendTextWithoutTxEmpty(benchmark::State& state) {
  TComEvents events = kAllComEvents;
  events.Remove(evTxEmpty);
  SendTextBesideWrite(state, events, "no transmit event");
}
BENCHMARK(BM_SendTextWithoutTxEmpty)->Arg(4)->Arg(24)->Iterations(400);

// Ctrl-C in `vantrel play` while a write waits on a line that takes nothing: from the stop
// (a byte in the stop pipe, as the signal handler writes it) to SendText giving up.
void BM_StopEndsAStalledWrite(benchmark::State& state) {
  ReadingPeer peer;
  ::tcflow(peer.slave(), TCOOFF);  // the line takes nothing more
  TComPort port;
  port.SetPort(peer.path());
  port.SetEvents({});
  port.Timeouts().SetWriteTotalConstant(60000);
  port.OpenPort();
  int stop[2];
  if (::pipe(stop) != 0) return state.SkipWithError("pipe");
  port.SetWriteCancelFd(stop[0]);
  double worstMs = 0;
  for (auto _ : state) {
    std::chrono::steady_clock::time_point stopped;
    std::thread signaller([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      stopped = std::chrono::steady_clock::now();
      [[maybe_unused]] const ssize_t n = ::write(stop[1], "x", 1);
    });
    try {
      port.SendText(ByteString(4, '\x5A'));
    } catch (const EComPort&) {
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - stopped;
    signaller.join();
    char byte = 0;
    [[maybe_unused]] const ssize_t n = ::read(stop[0], &byte, 1);
    state.SetIterationTime(took.count());
    worstMs = std::max(worstMs, took.count() * 1000);
  }
  port.SetWriteCancelFd(-1);
  ::close(stop[0]);
  ::close(stop[1]);
  ::tcflow(peer.slave(), TCOON);
  PrintFigure("  stop to the end of a stalled write, worst", worstMs, "goal under", 100, "ms");
}
BENCHMARK(BM_StopEndsAStalledWrite)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(50);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);  // the main thread's loop for the port's dispatches
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
