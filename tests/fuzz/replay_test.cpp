// Every starting input and every kept finding of the fuzz harnesses, run through its harness in the
// ordinary builds, so a fault found once by fuzzing stays mended.
#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "build_paths.h"
#include "fuzz_support.h"

void FuzzFail(const char* condition, const char* file, int line) {
  throw FuzzPropertyFailure{std::string(file) + ":" + std::to_string(line) + ": " + condition};
}

namespace {

struct Harness {
  const char* name;
  FuzzHarness run;
};

const Harness kHarnesses[] = {
    {"int_syntax", FuzzIntSyntax},         {"script_line", FuzzScriptLine},
    {"script_file", FuzzScriptFile},       {"settings_file", FuzzSettingsFile},
    {"frame_decoder", FuzzFrameDecoder},   {"move", FuzzMove},
    {"ssc32_reply", FuzzSsc32Reply},       {"maestro_reply", FuzzMaestroReply},
    {"sts_reply", FuzzStsReply},           {"lx16a_reply", FuzzLx16aReply},
    {"remote_command", FuzzRemoteCommand}, {"script_flow", FuzzScriptFlow},
};

void PrintTo(const Harness& harness, std::ostream* out) {
  *out << harness.name;
}

std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  if (!std::filesystem::is_directory(folder)) return files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

class FuzzReplay : public testing::TestWithParam<Harness> {};

void Replay(const Harness& harness, const std::filesystem::path& file) {
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(file.string(), bytes)) << file;
  try {
    harness.run(bytes);
  } catch (const FuzzPropertyFailure& failure) {
    ADD_FAILURE() << file << ": " << failure.what;
  } catch (const std::exception& e) {
    ADD_FAILURE() << file << ": escaped the harness: " << e.what();
  }
}

// Starting inputs are hand-made; findings are inputs that once broke a property.
TEST_P(FuzzReplay, SeedsAndFindingsHoldTheProperty) {
  const std::filesystem::path folder(SourcePath("tests/fuzz"));
  const auto inputs = FilesIn(folder / "corpus" / GetParam().name);
  ASSERT_FALSE(inputs.empty()) << "no corpus for " << GetParam().name;
  for (const auto& file : inputs) Replay(GetParam(), file);
  for (const auto& file : FilesIn(folder / "regressions" / GetParam().name)) {
    Replay(GetParam(), file);
  }
}

INSTANTIATE_TEST_SUITE_P(Harnesses, FuzzReplay, testing::ValuesIn(kHarnesses),
                         [](const auto& info) { return std::string(info.param.name); });

// The check must be able to fail, or every harness above proves nothing.
TEST(FuzzCheck, AFalsePropertyIsReported) {
  EXPECT_THROW(FUZZ_CHECK(1 + 1 == 3), FuzzPropertyFailure);
  EXPECT_NO_THROW(FUZZ_CHECK(1 + 1 == 2));
}

}  // namespace
