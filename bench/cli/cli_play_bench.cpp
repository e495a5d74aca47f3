// vantrel play of a 10,000-command script with no waits to a pseudo-terminal with a reading
// peer, beside a bare write() of the same frames to the same device: frames per second and
// the calling thread's CPU time per frame.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_support.h"
#include "cli.h"
#include "cli_clock.h"
#include "unSerialLink.h"

namespace {

constexpr int kCommands = 10000;

// Every wait is over as soon as it is asked for: only the run's own work is measured.
class NoWaitClock : public CliClock {
 public:
  TimePoint Now() override { return now_; }
  void SleepUntil(TimePoint when) override {
    if (when > now_) now_ = when;
  }
  bool StopRequested() override { return false; }

 private:
  TimePoint now_{};
};

// A folder with the settings on `port` and a script that moves each servo to where it already
// is, so no command has a travel time either.
class Files {
 public:
  explicit Files(const std::string& port) {
    char name[] = "/tmp/vantrel-bench-XXXXXX";
    dir_ = ::mkdtemp(name) ? name : "";
    std::ofstream settings(Settings());
    settings << "[Options]\ncomPort=" << port << "\nbaudRate=115200\ndataBits=8\n";
    for (int i = 1; i <= 6; ++i) {
      settings << "sv" << i << "Maxval=254\nsv" << i << "Address=" << i << "\n";
    }
    std::ofstream script(Script());
    for (int i = 0; i < kCommands; ++i) script << "M;" << (i % 6 + 1) << ";127\r\n";
  }
  ~Files() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  std::string Settings() const { return dir_ + "/vantrel.ini"; }
  std::string Script() const { return dir_ + "/long.vco"; }

 private:
  std::string dir_;
};

void BM_PlayBesideWrite(benchmark::State& state) {
  ReadingPeer peer;
  if (peer.path().empty()) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  const Files files(peer.path());
  std::FILE* null = std::fopen("/dev/null", "w");
  NoWaitClock clock;
  CliEnvironment env;
  env.out = env.err = null;
  env.clock = &clock;
  const std::vector<std::string> words{"play", "--quiet", "--settings", files.Settings(),
                                       files.Script()};
  ByteString frames;
  for (int i = 0; i < kCommands; ++i) frames += EncodeServoFrame(i % 6 + 1, 127);

  using Wall = std::chrono::steady_clock;
  double playCpu = 0, writeCpu = 0, playWall = 0, writeWall = 0;
  int64_t runs = 0;
  for (auto _ : state) {
    const double c0 = ThreadCpuNs();
    const auto w0 = Wall::now();
    if (RunCli(words, env) != kExitOk) {
      state.SkipWithError("play failed");
      break;
    }
    const double c1 = ThreadCpuNs();
    const auto w1 = Wall::now();
    for (int i = 0; i < kCommands; ++i) {
      benchmark::DoNotOptimize(::write(peer.slave(), frames.data() + i * kFrameSize, kFrameSize));
    }
    const double c2 = ThreadCpuNs();
    const auto w2 = Wall::now();
    playCpu += c1 - c0;
    writeCpu += c2 - c1;
    playWall += std::chrono::duration<double>(w1 - w0).count();
    writeWall += std::chrono::duration<double>(w2 - w1).count();
    ++runs;
  }
  std::fclose(null);
  if (runs == 0) return;
  const double n = static_cast<double>(runs) * kCommands;
  state.counters["play_frames_per_s"] = n / playWall;
  state.counters["write_frames_per_s"] = n / writeWall;
  state.counters["play_cpu_us_per_frame"] = playCpu / n / 1000;
  state.counters["write_cpu_us_per_frame"] = writeCpu / n / 1000;
  PrintFigure("vantrel play, frames per second", n / playWall, "bare write()", n / writeWall, "");
  PrintFigure("vantrel play, CPU per frame", playCpu / n / 1000, "bare write()",
              writeCpu / n / 1000, "us");
}
BENCHMARK(BM_PlayBesideWrite)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
