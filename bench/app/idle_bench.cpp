// The program at rest (nothing moving, 20 ms ticks, a pseudo-terminal with a reading peer)
// against a minimal Qt Widgets window with the same timer: the CPU time of both processes,
// measured side by side over the same seconds, and the memory each touches per tick.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sched.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <thread>
#include <utility>
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

// Keeps every thread of the process on one CPU. Each process on a CPU of its own, neither runs
// on caches the other just warmed or cooled; swapping the CPUs between rounds evens out what one
// CPU carries more of than the other.
void Pin(pid_t pid, int cpu) {
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(cpu, &set);
  std::error_code error;
  for (const auto& task :
       std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
    ::sched_setaffinity(std::stoi(task.path().filename().string()), sizeof set, &set);
  }
}

void Finish(pid_t pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  ::waitpid(pid, nullptr, 0);
}

// Marks every page of the process as not yet used; false where that is not allowed.
bool ForgetUsedPages(pid_t pid) {
  std::ofstream out("/proc/" + std::to_string(pid) + "/clear_refs");
  out << "1";
  out.flush();
  return static_cast<bool>(out);
}

// Memory the process used since its pages were last marked, in KB.
double UsedKb(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
  std::string key;
  double kb = 0;
  while (in >> key) {
    if (key == "Referenced:") {
      in >> kb;
      return kb;
    }
    in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
  }
  return 0;
}

// The memory each process touches in a window of about one tick, in KB, a mean over many
// windows: what a wake-up touches is what it finds cold after its sleep, so this tells where
// the CPU time at rest goes. Zeros where pages cannot be marked.
std::pair<double, double> MemoryPerTick(pid_t ours, pid_t reference) {
  constexpr int kWindows = 100;
  double oursKb = 0, referenceKb = 0;
  for (int i = 0; i < kWindows; ++i) {
    if (!ForgetUsedPages(ours) || !ForgetUsedPages(reference)) return {0, 0};
    std::this_thread::sleep_for(std::chrono::milliseconds(22));
    oursKb += UsedKb(ours);
    referenceKb += UsedKb(reference);
  }
  return {oursKb / kWindows, referenceKb / kWindows};
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

  const bool pinned = std::thread::hardware_concurrency() >= 2;
  std::vector<double> ratios;
  double oursNs = 0, referenceNs = 0;
  int round = 0;
  for (auto _ : state) {
    if (pinned) {
      Pin(ours, round % 2);
      Pin(reference, 1 - round % 2);
      ++round;
    }
    const double o0 = ProcessCpuNs(ours), r0 = ProcessCpuNs(reference);
    std::this_thread::sleep_for(std::chrono::seconds(state.range(0)));
    const double o = ProcessCpuNs(ours) - o0, r = ProcessCpuNs(reference) - r0;
    oursNs += o;
    referenceNs += r;
    if (r > 0) ratios.push_back(o / r);
  }
  const auto [oursKb, referenceKb] = MemoryPerTick(ours, reference);
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
  if (referenceKb > 0) {
    state.counters["vantrel_kb_per_tick"] = oursKb;
    state.counters["reference_kb_per_tick"] = referenceKb;
    PrintFigure("  memory touched per 22 ms (KB)", oursKb, "minimal Qt window", referenceKb, "KB");
  }
}
BENCHMARK(BM_IdleAgainstMinimalWindow)->Arg(8)->Iterations(4)->Unit(benchmark::kSecond);

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
