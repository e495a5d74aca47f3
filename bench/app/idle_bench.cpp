// The program at rest (nothing moving, 20 ms ticks, a pseudo-terminal with a reading peer)
// against a minimal Qt Widgets window with the same timer: the CPU time of both processes,
// measured side by side over the same seconds.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "arm_on_pty.h"
#include "bench_support.h"

namespace {

std::string binDir;

pid_t Spawn(const std::vector<std::string>& args) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  return pid;
}

void Finish(pid_t pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  ::waitpid(pid, nullptr, 0);
}

void BM_IdleAgainstMinimalWindow(benchmark::State& state) {
  ReadingPeer line;
  char pattern[] = "/tmp/vantrel-idle-XXXXXX";
  const std::string dir = ::mkdtemp(pattern);
  const std::string settings = dir + "/vantrel.ini";
  // As shipped, but on the pty: the jog pad shows when no stick is plugged in.
  std::ofstream(settings) << ArmSettings(line.path(), 20, "");

  const pid_t ours = Spawn({binDir + "/vantrel", "--settings", settings});
  const pid_t reference = Spawn({binDir + "/bench_idle_reference"});
  std::this_thread::sleep_for(std::chrono::seconds(3));  // both past their start-up

  std::vector<double> ratios;
  double oursNs = 0, referenceNs = 0;
  for (auto _ : state) {
    const double o0 = ProcessCpuNs(ours), r0 = ProcessCpuNs(reference);
    std::this_thread::sleep_for(std::chrono::seconds(state.range(0)));
    const double o = ProcessCpuNs(ours) - o0, r = ProcessCpuNs(reference) - r0;
    oursNs += o;
    referenceNs += r;
    if (r > 0) ratios.push_back(o / r);
  }
  Finish(ours);
  Finish(reference);
  std::remove(settings.c_str());
  ::rmdir(dir.c_str());
  if (ratios.empty()) {
    state.SkipWithError("a process did not run");
    return;
  }
  std::sort(ratios.begin(), ratios.end());
  const double seconds = static_cast<double>(state.iterations() * state.range(0));
  state.counters["vantrel_cpu_ms_per_s"] = oursNs / 1e6 / seconds;
  state.counters["reference_cpu_ms_per_s"] = referenceNs / 1e6 / seconds;
  state.counters["median_ratio"] = ratios[ratios.size() / 2];
  PrintFigure("idle CPU, vantrel (ms per s)", oursNs / 1e6 / seconds, "minimal Qt window",
              referenceNs / 1e6 / seconds, "ms");
}
BENCHMARK(BM_IdleAgainstMinimalWindow)->Arg(10)->Iterations(3)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  const std::string self = argv[0];
  const size_t slash = self.rfind('/');
  binDir = slash == std::string::npos || slash == 0 ? std::string(".") : self.substr(0, slash);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
