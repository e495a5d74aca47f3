// What the fuzz harnesses share: the property check, a reader that turns the input into
// values, and a scratch folder for harnesses that go through files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Under libFuzzer a broken property aborts, so the input is kept as a finding; the replay
// test throws FuzzPropertyFailure instead and reports it. Deliberately not a std::exception,
// so a harness that expects a parser error cannot catch it by accident.
struct FuzzPropertyFailure {
  std::string what;
};
[[noreturn]] void FuzzFail(const char* condition, const char* file, int line);
#define FUZZ_CHECK(condition) ((condition) ? void(0) : FuzzFail(#condition, __FILE__, __LINE__))

// One harness: takes any bytes, checks its property, returns normally when it holds.
using FuzzHarness = void (*)(std::string_view data);

// Only the libFuzzer build gets an entry point, one harness per program.
#ifdef VANTREL_LIBFUZZER
#define VANTREL_FUZZ_ENTRY(harness)                                         \
  extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { \
    harness(std::string_view(reinterpret_cast<const char*>(data), size));   \
    return 0;                                                               \
  }
#else
#define VANTREL_FUZZ_ENTRY(harness)
#endif

// Takes values off the front of the input; past its end every value is 0 or empty.
class FuzzReader {
 public:
  explicit FuzzReader(std::string_view data) : data_(data) {}

  uint8_t Byte();
  uint16_t U16();
  // A text of up to `maxLength` bytes, its length given by the next byte.
  std::string Text(size_t maxLength);
  std::string_view Rest();
  bool empty() const { return data_.empty(); }

 private:
  std::string_view data_;
};

// A folder of this process for the harness's files, removed at exit. Placed in memory where
// the system offers it: harnesses write files on every run.
const std::string& FuzzScratchFolder();

void WriteWholeFile(const std::string& path, std::string_view bytes);
// The file's bytes; nothing when it does not exist.
bool ReadWholeFile(const std::string& path, std::string& bytes);

void FuzzIntSyntax(std::string_view data);
void FuzzScriptLine(std::string_view data);
void FuzzScriptFile(std::string_view data);
void FuzzSettingsFile(std::string_view data);
void FuzzFrameDecoder(std::string_view data);
void FuzzMove(std::string_view data);
void FuzzRemoteCommand(std::string_view data);
void FuzzSsc32Reply(std::string_view data);
void FuzzMaestroReply(std::string_view data);
void FuzzStsReply(std::string_view data);
void FuzzLx16aReply(std::string_view data);
void FuzzScriptFlow(std::string_view data);
