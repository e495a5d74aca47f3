// The example scripts that are installed with the program: each must load with the program's
// own loader, be saved back byte for byte as it stands, and keep within the shipped limits
// and above the shipped table.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "applied_settings.h"
#include "build_paths.h"
#include "file_process.h"
#include "option_store.h"
#include "script_flow.h"
#include "script_model.h"
#include "table_check.h"
#include "temp_dir.h"

namespace {

std::vector<std::string> ExampleScripts() {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(SourcePath("resources/examples"))) {
    if (entry.path().extension() == ".vco") files.push_back(entry.path().string());
  }
  return files;
}

TEST(ExampleScripts, LoadPlayableAndWithinTheShippedLimits) {
  const OptionStore shipped(SourcePath("resources/vantrel.ini"));
  const std::vector<std::string> files = ExampleScripts();
  ASSERT_GE(files.size(), 2u);
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    TFileProcess source;
    source.RecordSource = file;
    TRoboPath script;
    ASSERT_NO_THROW(script.load(source));  // a fault in the flow fails the load
    ASSERT_GT(script.count(), 0);
    int moves = 0;
    for (int i = 0; i < script.count(); ++i) {
      SCOPED_TRACE("command " + std::to_string(i + 1));
      const TServoCommand& c = script.getItem(i);
      if (c.letter == 'P' || c.letter == kWaitLetter || c.letter == kSpeedLetter) {
        EXPECT_EQ(c.servoId, 0);
        continue;
      }
      if (c.letter == kLabelLetter || c.letter == kJumpLetter) continue;
      ASSERT_EQ(c.letter, 'M');
      ASSERT_GE(c.servoId, 1);
      ASSERT_LE(c.servoId, 6);
      EXPECT_GE(c.value, shipped.tables.Minval[c.servoId]);
      EXPECT_LE(c.value, shipped.tables.Maxval[c.servoId]);
      ++moves;
    }
    EXPECT_GT(moves, 0) << "nothing visible happens";
    Pose start{};
    start.fill(kStartPosition);
    GateSettings settings{WorkspaceOf(shipped), ReadAppliedSettings(shipped).motion};
    for (const bool smooth : {false, true}) {
      settings.motion.smooth = smooth;
      EXPECT_FALSE(FindTableCrossing(script, start, settings).has_value()) << smooth;
    }

    TempDir dir;
    TFileProcess copy;
    copy.RecordSource = dir.File("copy.vco");
    script.save(copy);
    copy.close();
    EXPECT_EQ(ReadFile(dir.File("copy.vco")), ReadFile(file)) << "not in the program's own format";
  }
}

}  // namespace
