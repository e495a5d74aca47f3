// Playback on a pseudo-terminal with a reading peer, on the real clock: how late each frame
// arrives against the script's schedule (2 ms plus the travel time per move), beside a plain sleep
// loop that writes the same frames on the same schedule to a second peer at the same time.
#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "arm_on_pty.h"
#include "bench_support.h"
#include "playback.h"

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds each frame arrived after it was due. Frames are due 2 ms plus the travel time
// apart.
Lateness Measure(const std::vector<Clock::time_point>& arrivals, const std::vector<int>& waitMs) {
  std::vector<double> late;
  double nominal = 0;
  for (size_t k = 0; k < arrivals.size(); ++k) {
    late.push_back(std::chrono::duration<double, std::milli>(arrivals[k] - arrivals[0]).count() -
                   nominal);
    if (k < waitMs.size()) nominal += 2 + waitMs[k];
  }
  return SummarizeLateness(std::move(late));
}

// The reference: write each frame, then sleep to the next one's time on the same schedule.
void SleepLoop(int fd, const std::vector<ByteString>& frames, const std::vector<int>& waitMs) {
  auto due = Clock::now();
  for (size_t k = 0; k < frames.size(); ++k) {
    std::this_thread::sleep_until(due);
    (void)!::write(fd, frames[k].data(), frames[k].size());
    due += std::chrono::milliseconds(2 + waitMs[k]);
  }
}

void BM_PlaybackTimeline(benchmark::State& state) {
  const int moves = static_cast<int>(state.range(0));
  ArmOnPty arm(20, 4);
  ReadingPeer referenceLine(4);
  // Moves of servo 1 of 1 and 10 steps in turn: waits of 20 and 200 ms.
  std::vector<int> waitMs;
  std::vector<ByteString> frames;
  int position = 127;
  for (int k = 0; k < moves; ++k) {
    const int step = k % 2 ? 10 : 1;
    position += (k / 2) % 2 ? -step : step;
    RecordCommand(arm.window->script, 'M', 1, static_cast<uint8_t>(position));
    frames.push_back(EncodeServoFrame(1, static_cast<uint8_t>(position)));
    waitMs.push_back(step * 20);
  }
  for (auto _ : state) {
    std::thread reference([&] { SleepLoop(referenceLine.slave(), frames, waitMs); });
    arm.window->btPlayClick();
    reference.join();
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  arm.line.Stop();
  referenceLine.Stop();
  if (arm.line.arrivals().size() != frames.size() ||
      referenceLine.arrivals().size() != frames.size()) {
    state.SkipWithError("frames went missing");
    return;
  }
  const Lateness ours = Measure(arm.line.arrivals(), waitMs);
  const Lateness ref = Measure(referenceLine.arrivals(), waitMs);
  state.counters["p50_ms"] = ours.p50;
  state.counters["p99_ms"] = ours.p99;
  state.counters["max_ms"] = ours.max;
  state.counters["drift_ms"] = ours.last;
  const std::string n = std::to_string(moves);
  PrintFigure("playback lateness p50, " + n + " moves", ours.p50, "plain sleep loop", ref.p50,
              "ms");
  PrintFigure("playback lateness p99", ours.p99, "plain sleep loop", ref.p99, "ms");
  PrintFigure("playback lateness max", ours.max, "plain sleep loop", ref.max, "ms");
  PrintFigure("playback drift at the last frame", ours.last, "plain sleep loop", ref.last, "ms");
}
BENCHMARK(BM_PlaybackTimeline)->Arg(1000)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
