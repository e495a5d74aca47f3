// Typed settings reads (the key lookup without case and the integer parse) and servo frame
// encoding: both run on every start-up and the frames on every tick. Each beside a reference:
// a plain map lookup and appending the same bytes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "option_store.h"
#include "unSerialLink.h"

namespace {

// The shipped settings: about forty keys, the last one looked up is near the end.
std::string WriteSettings() {
  char pattern[] = "/tmp/vantrel-bench-XXXXXX";
  const std::string dir = ::mkdtemp(pattern);
  std::ofstream out(dir + "/vantrel.ini");
  out << "[Options]\ncomPort=sim\nbaudRate=9600\nservoIncr=2\nservoComInterval=50\n";
  for (int i = 1; i <= 6; ++i) {
    out << "sv" << i << "Minval=0\nsv" << i << "Maxval=254\nsv" << i << "Address=$" << i << "\nsv"
        << i << "Initial=127\n";
  }
  out << "joyMaxX=65535\njoyCentYMax=36535\n";
  return dir + "/vantrel.ini";
}

void BM_ReadOptionInt(benchmark::State& state) {
  const std::string path = WriteSettings();
  const OptionStore store(path);
  const char* keys[] = {"servoIncr", "SV6ADDRESS", "joyCentYMax", "missing"};
  for (auto _ : state) {
    for (const char* key : keys) benchmark::DoNotOptimize(store.ReadOptionInt(key));
  }
  state.SetItemsProcessed(state.iterations() * 4);
  std::remove(path.c_str());
  ::rmdir(path.substr(0, path.rfind('/')).c_str());
}
BENCHMARK(BM_ReadOptionInt);

// The reference: the same four keys, spelt as stored, in a plain map of texts, the found ones
// read as numbers.
void BM_MapLookup(benchmark::State& state) {
  std::map<std::string, std::string, std::less<>> options;
  for (int i = 1; i <= 6; ++i) {
    const std::string sv = "sv" + std::to_string(i);
    options[sv + "Minval"] = "0";
    options[sv + "Maxval"] = "254";
    options[sv + "Address"] = std::to_string(i);
    options[sv + "Initial"] = "127";
  }
  options["servoIncr"] = "2";
  options["joyCentYMax"] = "36535";
  const char* keys[] = {"servoIncr", "sv6Address", "joyCentYMax", "missing"};
  for (auto _ : state) {
    for (const char* key : keys) {
      const auto found = options.find(std::string_view(key));
      benchmark::DoNotOptimize(found == options.end() ? 0 : std::atoi(found->second.c_str()));
    }
  }
  state.SetItemsProcessed(state.iterations() * 4);
}
BENCHMARK(BM_MapLookup);

void BM_EncodeServoFrame(benchmark::State& state) {
  uint8_t position = 0;
  for (auto _ : state) {
    ByteString frames;
    for (uint8_t address = 1; address <= 6; ++address) {
      frames += EncodeServoFrame(address, position++);
    }
    benchmark::DoNotOptimize(frames);
  }
  state.SetItemsProcessed(state.iterations() * 6);
}
BENCHMARK(BM_EncodeServoFrame);

// The reference: the same 24 bytes appended one by one, the check byte included.
void BM_AppendTheBytes(benchmark::State& state) {
  uint8_t position = 0;
  for (auto _ : state) {
    ByteString frames;
    for (uint8_t address = 1; address <= 6; ++address) {
      const auto second = static_cast<uint8_t>(address + 0xA0);
      frames += '\xFF';
      frames += static_cast<char>(second);
      frames += static_cast<char>(position);
      frames += static_cast<char>(0xFF ^ second ^ position++);
    }
    benchmark::DoNotOptimize(frames);
  }
  state.SetItemsProcessed(state.iterations() * 6);
}
BENCHMARK(BM_AppendTheBytes);

}  // namespace

BENCHMARK_MAIN();
