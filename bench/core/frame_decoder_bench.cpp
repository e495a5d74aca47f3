// Decoder throughput on a long stream of mostly valid frames with broken frames, lost bytes
// and line noise mixed in; items per second are frames fed per second. The reference scans the
// same chunks for frame starts only.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string_view>

#include "frame_decoder.h"

namespace {

constexpr int kFrames = 1 << 18;

ByteString NoisyStream() {
  std::mt19937 rng(42);
  ByteString stream;
  for (int i = 0; i < kFrames; ++i) {
    ByteString frame = EncodeServoFrame(static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()));
    switch (rng() % 16) {
      case 0:
        frame[3] = static_cast<char>(frame[3] ^ 0x10);
        break;  // wrong check
      case 1:
        frame.erase(1 + rng() % 3, 1);
        break;  // lost byte
      case 2:
        frame.insert(0, 1, static_cast<char>(rng()));
        break;  // noise
      default:
        break;
    }
    stream += frame;
  }
  return stream;
}

void BM_FrameDecoderThroughput(benchmark::State& state) {
  const ByteString stream = NoisyStream();
  const size_t chunk = static_cast<size_t>(state.range(0));
  uint64_t positions = 0;
  for (auto _ : state) {
    FrameDecoder decoder;
    for (size_t at = 0; at < stream.size(); at += chunk) {
      decoder.Feed(std::string_view(stream).substr(at, chunk),
                   [&](const DecodedFrame& f) { positions += f.position; });
    }
    benchmark::DoNotOptimize(decoder.goodFrames());
  }
  benchmark::DoNotOptimize(positions);
  state.SetItemsProcessed(state.iterations() * kFrames);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(stream.size()));
}
BENCHMARK(BM_FrameDecoderThroughput)->Arg(4)->Arg(64)->Arg(4096);

// The reference: the least a decoder does, looking at every byte of the same chunks once for
// the frame's first byte.
void BM_ScanForFrameStarts(benchmark::State& state) {
  const ByteString stream = NoisyStream();
  const size_t chunk = static_cast<size_t>(state.range(0));
  for (auto _ : state) {
    size_t starts = 0;
    for (size_t at = 0; at < stream.size(); at += chunk) {
      const std::string_view part = std::string_view(stream).substr(at, chunk);
      starts += static_cast<size_t>(std::count(part.begin(), part.end(), '\xFF'));
    }
    benchmark::DoNotOptimize(starts);
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(stream.size()));
}
BENCHMARK(BM_ScanForFrameStarts)->Arg(4)->Arg(64)->Arg(4096);

}  // namespace

BENCHMARK_MAIN();
