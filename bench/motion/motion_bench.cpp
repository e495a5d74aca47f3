// Smooth motion. The planner: CPU time per tick for six moving servos (the plan made once per
// move, then a pose and the line's pick every tick), beside a bare write() of the six frames
// of a tick to a pseudo-terminal with a reading peer. Smooth playback: vantrel play of 1,000
// one-tick moves on the 20 ms grid to a reading peer, on the real clock, beside a plain sleep
// loop writing the same frames on the same grid to a second peer at the same time.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "bench_support.h"
#include "cli.h"
#include "line_budget.h"
#include "motion_plan.h"
#include "unSerialLink.h"

namespace {

using Wall = std::chrono::steady_clock;

constexpr int kTickMs = 20;

MotionLimits Limits() {
  MotionLimits limits{};
  for (int s = 1; s <= kServoCount; ++s) limits[s] = {0, 254, 60 + 40 * s, s % 2 ? 0 : 400};
  return limits;
}

void BM_PlannerPerTick(benchmark::State& state) {
  ReadingPeer peer;
  if (peer.path().empty()) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  const MotionLimits limits = Limits();
  Pose low{}, high{};
  for (int s = 1; s <= kServoCount; ++s) {
    low[s] = 10 + s;
    high[s] = 240 - s;
  }
  ByteString frames;
  for (int s = 1; s <= kServoCount; ++s) frames += EncodeServoFrame(s, 127);

  double planCpu = 0, writeCpu = 0;
  int64_t ticks = 0;
  int64_t checksum = 0;
  for (auto _ : state) {
    // Back and forth over the whole range: every servo moves on every move.
    const double c0 = ThreadCpuNs();
    int64_t moveTicks = 0;
    for (int move = 0; move < 20; ++move) {
      const MotionPlan plan(move % 2 ? high : low, move % 2 ? low : high, limits, kTickMs);
      LineBudget line(4);
      Pose sent = plan.start();
      for (int k = 1; k <= plan.ticks(); ++k) {
        const Pose pose = plan.poseAt(k);
        std::array<int, kServoCount> servos{};
        const int count = line.Pick(pose, sent, servos);
        for (int i = 0; i < count; ++i) sent[servos[i]] = pose[servos[i]];
        checksum += count + pose[1];
      }
      moveTicks += plan.ticks();
    }
    const double c1 = ThreadCpuNs();
    for (int64_t k = 0; k < moveTicks; ++k) {
      benchmark::DoNotOptimize(::write(peer.slave(), frames.data(), frames.size()));
    }
    const double c2 = ThreadCpuNs();
    planCpu += c1 - c0;
    writeCpu += c2 - c1;
    ticks += moveTicks;
  }
  benchmark::DoNotOptimize(checksum);
  if (ticks == 0) return;
  state.counters["plan_ns_per_tick"] = planCpu / static_cast<double>(ticks);
  state.counters["write_ns_per_tick"] = writeCpu / static_cast<double>(ticks);
  PrintFigure("planner CPU per tick, six servos", planCpu / static_cast<double>(ticks) / 1000,
              "bare write() of their 6 frames", writeCpu / static_cast<double>(ticks) / 1000, "us");
}
BENCHMARK(BM_PlannerPerTick)->Iterations(20)->Unit(benchmark::kMillisecond);

// Milliseconds each frame arrived after its tick on the grid.
Lateness Measure(const std::vector<Wall::time_point>& arrivals) {
  std::vector<double> late;
  for (size_t k = 0; k < arrivals.size(); ++k) {
    late.push_back(std::chrono::duration<double, std::milli>(arrivals[k] - arrivals[0]).count() -
                   static_cast<double>(k) * kTickMs);
  }
  return SummarizeLateness(std::move(late));
}

// Smooth settings without limits on `port`, and a script of one-tick moves: servo 1 steps
// between 126 and 128, so every tick sends one frame.
class Files {
 public:
  Files(const std::string& port, int moves) {
    char name[] = "/tmp/vantrel-bench-XXXXXX";
    dir_ = ::mkdtemp(name) ? name : "";
    std::ofstream settings(Settings());
    settings << "[Options]\ncomPort=" << port << "\nbaudRate=9600\ndataBits=8\nmotion=smooth\n"
             << "servoComInterval=" << kTickMs << "\n";
    for (int i = 1; i <= kServoCount; ++i) {
      settings << "sv" << i << "Maxval=254\nsv" << i << "Address=" << i << "\n";
    }
    std::ofstream script(Script());
    for (int k = 0; k < moves; ++k) script << "M;1;" << (k % 2 ? 126 : 128) << "\r\n";
  }
  ~Files() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  std::string Settings() const { return dir_ + "/vantrel.ini"; }
  std::string Script() const { return dir_ + "/grid.vco"; }

 private:
  std::string dir_;
};

void BM_SmoothPlaybackGrid(benchmark::State& state) {
  const int moves = static_cast<int>(state.range(0));
  ReadingPeer line(kFrameSize);
  ReadingPeer referenceLine(kFrameSize);
  if (line.path().empty() || referenceLine.path().empty()) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  const Files files(line.path(), moves);
  std::FILE* null = std::fopen("/dev/null", "w");
  CliEnvironment env;
  env.out = env.err = null;
  const std::vector<std::string> words{"play", "--quiet", "--settings", files.Settings(),
                                       files.Script()};
  for (auto _ : state) {
    std::thread reference([&] {
      auto due = Wall::now() + std::chrono::milliseconds(kTickMs);
      for (int k = 0; k < moves; ++k) {
        std::this_thread::sleep_until(due);
        const ByteString frame = EncodeServoFrame(1, k % 2 ? 126 : 128);
        (void)!::write(referenceLine.slave(), frame.data(), frame.size());
        due += std::chrono::milliseconds(kTickMs);
      }
    });
    if (RunCli(words, env) != kExitOk) state.SkipWithError("play failed");
    reference.join();
  }
  std::fclose(null);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  line.Stop();
  referenceLine.Stop();
  if (line.arrivals().size() != static_cast<size_t>(moves) ||
      referenceLine.arrivals().size() != static_cast<size_t>(moves)) {
    state.SkipWithError("frames went missing");
    return;
  }
  const Lateness ours = Measure(line.arrivals());
  const Lateness ref = Measure(referenceLine.arrivals());
  state.counters["p50_ms"] = ours.p50;
  state.counters["p99_ms"] = ours.p99;
  state.counters["max_ms"] = ours.max;
  state.counters["drift_ms"] = ours.last;
  const std::string n = std::to_string(moves);
  PrintFigure("smooth playback lateness p50, " + n + " moves", ours.p50, "plain sleep loop",
              ref.p50, "ms");
  PrintFigure("smooth playback lateness p99", ours.p99, "plain sleep loop", ref.p99, "ms");
  PrintFigure("smooth playback lateness max", ours.max, "plain sleep loop", ref.max, "ms");
  PrintFigure("smooth playback drift at the last frame", ours.last, "plain sleep loop", ref.last,
              "ms");
}
BENCHMARK(BM_SmoothPlaybackGrid)->Arg(1000)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
