// One tick of six moving servos as each board family sends it: the program's frames turned
// into the board's bytes and written to a pseudo-terminal with a reading peer, beside a bare
// write() of the same bytes to the same device. The calling thread's CPU time for each.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include "bench_support.h"
#include "board_factory.h"
#include "board_line.h"

namespace {

void BM_TickOfSix(benchmark::State& state) {
  const auto family = static_cast<BoardFamily>(state.range(0));
  ReadingPeer peer;
  if (peer.path().empty()) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  ServoTables tables;
  for (int s = 1; s <= kServoCount; ++s) tables.Address[s] = s;
  const BoardLine line(FamilyConfig(family), tables);
  ByteString frames;
  for (int s = 1; s <= kServoCount; ++s) frames += EncodeServoFrame(s, 100 + 7 * s);
  const ByteString bytes = line.Encode(frames);
  double sendNs = 0, writeNs = 0;
  for (auto _ : state) {
    const double t0 = ThreadCpuNs();
    const ByteString encoded = line.Encode(frames);
    benchmark::DoNotOptimize(::write(peer.slave(), encoded.data(), encoded.size()));
    const double t1 = ThreadCpuNs();
    benchmark::DoNotOptimize(::write(peer.slave(), bytes.data(), bytes.size()));
    const double t2 = ThreadCpuNs();
    sendNs += t1 - t0;
    writeNs += t2 - t1;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["ratio"] = writeNs > 0 ? sendNs / writeNs : 0;
  PrintFigure(std::string(BoardFamilyName(family)) + ": encode and write a tick of six, CPU",
              sendNs / n / 1000, "bare write() of its " + std::to_string(bytes.size()) + " bytes",
              writeNs / n / 1000, "us");
}
BENCHMARK(BM_TickOfSix)->DenseRange(0, 5)->Iterations(5000);

}  // namespace

BENCHMARK_MAIN();
