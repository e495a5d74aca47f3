// Load and save of a script file of a million commands, beside reading and writing its bytes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "file_process.h"
#include "script_model.h"

namespace {

constexpr int kCommands = 1000000;

class BenchFolder {
 public:
  BenchFolder() {
    std::string pattern = "/tmp/vantrel-bench-XXXXXX";
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~BenchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void FillScript(TRoboPath& script) {
  for (int i = 0; i < kCommands; ++i) {
    auto command = std::make_unique<TServoCommand>();
    command->letter = i % 10 == 0 ? 'P' : 'M';
    command->servoId = static_cast<uint8_t>(i % 10 == 0 ? 0 : 1 + i % 6);
    command->value = static_cast<uint8_t>(i * 37);
    script.add(std::move(command));
  }
}

void SaveTo(const TRoboPath& script, const std::string& path) {
  TFileProcess file;
  file.RecordSource = path;
  script.save(file);
  file.close();
}

// The script of a million commands saved in `folder`; answers its path.
std::string SaveFullScript(const BenchFolder& folder) {
  TRoboPath script;
  FillScript(script);
  SaveTo(script, folder.File("bench.vco"));
  return folder.File("bench.vco");
}

void BM_SaveScript(benchmark::State& state) {
  BenchFolder folder;
  TRoboPath script;
  FillScript(script);
  for (auto _ : state) SaveTo(script, folder.File("bench.vco"));
  state.counters["commands/s"] = benchmark::Counter(static_cast<double>(kCommands),
                                                    benchmark::Counter::kIsIterationInvariantRate);
}

void BM_LoadScript(benchmark::State& state) {
  BenchFolder folder;
  const std::string saved = SaveFullScript(folder);
  TFileProcess file;
  file.RecordSource = saved;
  TRoboPath script;
  for (auto _ : state) {
    script.load(file);
    benchmark::DoNotOptimize(script.count());
  }
  if (script.count() != kCommands) state.SkipWithError("the file did not load whole");
  state.counters["commands/s"] = benchmark::Counter(static_cast<double>(kCommands),
                                                    benchmark::Counter::kIsIterationInvariantRate);
}

// The references: the same file's bytes read whole and written whole with stdio, no parsing
// and no formatting.
void BM_ReadTheBytes(benchmark::State& state) {
  BenchFolder folder;
  const std::string path = SaveFullScript(folder);
  std::string bytes(std::filesystem::file_size(path), '\0');
  for (auto _ : state) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return state.SkipWithError("cannot read the file");
    benchmark::DoNotOptimize(std::fread(bytes.data(), 1, bytes.size(), in));
    std::fclose(in);
  }
  state.counters["commands/s"] = benchmark::Counter(static_cast<double>(kCommands),
                                                    benchmark::Counter::kIsIterationInvariantRate);
}

void BM_WriteTheBytes(benchmark::State& state) {
  BenchFolder folder;
  const std::string bytes(std::filesystem::file_size(SaveFullScript(folder)), 'M');
  const std::string path = folder.File("copy.vco");
  for (auto _ : state) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return state.SkipWithError("cannot write the file");
    benchmark::DoNotOptimize(std::fwrite(bytes.data(), 1, bytes.size(), out));
    std::fclose(out);
  }
  state.counters["commands/s"] = benchmark::Counter(static_cast<double>(kCommands),
                                                    benchmark::Counter::kIsIterationInvariantRate);
}

// A file whose one field is 64 MB: the load fails at once with a message of a line or two, not
// a copy of the field.
void BM_LoadFailsOnAHugeField(benchmark::State& state) {
  BenchFolder folder;
  const std::string path = folder.File("huge.vco");
  {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return state.SkipWithError("cannot write the file");
    const std::string field = "M;1;" + std::string(64 << 20, '7') + "x\r\n";
    std::fwrite(field.data(), 1, field.size(), out);
    std::fclose(out);
  }
  TFileProcess file;
  file.RecordSource = path;
  size_t length = 0;
  for (auto _ : state) {
    TRoboPath script;
    try {
      script.load(file);
    } catch (const EFPError& e) {
      length = std::string(e.what()).size() + e.detail().size();
    }
  }
  state.counters["message bytes"] = static_cast<double>(length);
}

BENCHMARK(BM_SaveScript)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadScript)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadFailsOnAHugeField)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadTheBytes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteTheBytes)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
