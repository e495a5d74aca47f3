// The example settings of each servo board load without a word and name their board.
#include <gtest/gtest.h>

#include "board_settings.h"
#include "build_paths.h"

namespace {

TEST(BoardExamples, EachLoadsCleanAndDrivesItsBoard) {
  for (const char* family : {"ssc32", "maestro", "minissc", "sts", "lx16a"}) {
    SCOPED_TRACE(family);
    const OptionStore store(SourcePath(std::string("resources/examples/") + family + ".ini"),
                            OptionStore::Problems::Keep);
    EXPECT_EQ(store.readFailure(), "");
    EXPECT_FALSE(store.notice()) << store.notice()->detail;
    const BoardSetup setup = ReadBoardSetup(store);
    EXPECT_TRUE(setup.problems.empty());
    EXPECT_STREQ(BoardFamilyName(setup.config.family), family);
    // What the file spells out is the family's own place for every servo.
    const auto own = FamilyConfig(setup.config.family).servos;
    for (int s = 1; s <= kServoCount; ++s) {
      const auto& [channel, low, high] = setup.config.servos[s];
      EXPECT_EQ(std::tie(channel, low, high), std::tie(own[s].channel, own[s].low, own[s].high));
    }
  }
}

}  // namespace
