// The dry run of a script of 30 minutes' playing time, smooth at a 20 ms tick: what the
// timeline, the playing time and the command line's progress each cost before a script plays.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench_support.h"
#include "playback.h"
#include "playing_time.h"
#include "timeline_model.h"

namespace {

// 450 timed moves of all six servos, 4 s each.
TRoboPath HalfHourScript() {
  TRoboPath script;
  for (int move = 0; move < 450; ++move) {
    RecordCommand(script, kTimedMoveLetter, 0, 40);
    for (int s = 1; s <= kServoCount; ++s) {
      RecordCommand(script, 'M', static_cast<uint8_t>(s),
                    static_cast<uint8_t>(move % 2 ? 40 + 10 * s : 200 - 10 * s));
    }
  }
  return script;
}

GateSettings Smooth() {
  GateSettings settings;
  for (int s = 1; s <= kServoCount; ++s) {
    settings.workspace.tables.Maxval[s] = 254;
    settings.workspace.tables.Address[s] = s;
    settings.motion.speed[s] = 200;
    settings.motion.accel[s] = 800;
  }
  settings.workspace.arm = {5, 10, 10, 5};
  settings.workspace.minToolY = -100;
  settings.motion.smooth = true;
  settings.motion.framesPerTick = 4;
  return settings;
}

void BM_DryRunHalfHour(benchmark::State& state) {
  const TRoboPath script = HalfHourScript();
  const GateSettings settings = Smooth();
  Pose start{};
  start.fill(127);
  double waitsNs = 0, timelineNs = 0;
  int64_t playingMs = 0;
  int runs = 0;
  for (auto _ : state) {
    const double c0 = ThreadCpuNs();
    const std::vector<int64_t> waits = CommandWaits(script, start, settings);
    const double c1 = ThreadCpuNs();
    // The timeline's run notes every point and sweeps every write for the table.
    const TimelineModel model =
        BuildTimelineModel(script, start, settings, 100, TablePlaneOf(settings.workspace));
    const double c2 = ThreadCpuNs();
    benchmark::DoNotOptimize(waits.data());
    playingMs = model.totalMs;
    waitsNs += c1 - c0;
    timelineNs += c2 - c1;
    ++runs;
  }
  if (runs == 0) return;
  state.counters["playing_min"] = static_cast<double>(playingMs) / 60000;
  state.counters["dry_run_ms"] = waitsNs / runs / 1e6;
  state.counters["timeline_ms"] = timelineNs / runs / 1e6;
  PrintFigure("timeline of a 30-minute smooth script (points, table crossings)",
              timelineNs / runs / 1e6, "the same dry run for the playing time alone",
              waitsNs / runs / 1e6, "ms");
}
BENCHMARK(BM_DryRunHalfHour)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
