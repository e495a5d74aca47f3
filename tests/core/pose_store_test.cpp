#include "pose_store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "temp_dir.h"

namespace {

using namespace std::chrono_literals;

TEST(PoseStore, EachPortReadsBackItsOwnPoseAndAnythingElseIsNone) {
  TempDir dir;
  const std::string folder = dir.File("a/vantrel");  // made as needed
  // Paths that a careless file name would mix up.
  const std::string ports[] = {"/dev/ttyUSB0", "dev/ttyUSB0", "%2Fdev%2FttyUSB0", "sim", ".."};
  for (int32_t k = 0; k < 5; ++k) {
    ASSERT_TRUE(WriteRememberedPose(folder, ports[k], {0, k, 1, 2, 3, 4, 255}));
  }
  for (int32_t k = 0; k < 5; ++k) {
    EXPECT_EQ(ReadRememberedPose(folder, ports[k]), (ServoPose{0, k, 1, 2, 3, 4, 255}));
  }
  EXPECT_EQ(ReadRememberedPose(folder, "/dev/ttyUSB1"), std::nullopt);
  for (const char* text : {"", "1 2 3 4 5", "1 2 3 4 5 6 7", "1 2 3 4 5 x", "1 2 3 4 5 256"}) {
    WriteFile(PoseFileOf(folder, "p"), text);
    EXPECT_EQ(ReadRememberedPose(folder, "p"), std::nullopt) << text;
  }
}

TEST(PoseStore, APoseIsReplacedAsAWholeNewFile) {
  TempDir dir;
  ASSERT_TRUE(WriteRememberedPose(dir.path(), "p", {0, 1, 1, 1, 1, 1, 1}));
  // A link to the old file still sees the old pose: the new one was put in its place, never
  // written over it, so a reader never finds half a pose.
  const std::string file = PoseFileOf(dir.path(), "p");
  ASSERT_EQ(::link(file.c_str(), dir.File("old").c_str()), 0);
  ASSERT_TRUE(WriteRememberedPose(dir.path(), "p", {0, 2, 2, 2, 2, 2, 2}));
  EXPECT_EQ(ReadFile(dir.File("old")), "1 1 1 1 1 1\n");
  EXPECT_EQ(ReadFile(file), "2 2 2 2 2 2\n");
}

TEST(PoseKeeper, WritesAtMostOnceASecondAndTheRestAtTheEnd) {
  TempDir dir;
  ServoTables tables;
  for (int i = 1; i <= kServoCount; ++i) tables.Address[i] = i;
  tables.Address[6] = 5;  // servos 5 and 6 share an address: one frame moves both
  ServoState state;
  SetStartPositions(state);
  const auto t0 = TPoseKeeper::Clock::time_point{} + 1h;
  auto read = [&] { return ReadRememberedPose(dir.path(), "p"); };
  {
    TPoseKeeper keeper;
    keeper.Follow(dir.path(), "p", state);
    EXPECT_EQ(keeper.Sent(EncodeServoFrame(1, 10), tables, t0), std::nullopt);
    EXPECT_EQ(read(), (ServoPose{0, 10, 127, 127, 127, 127, 127}));
    EXPECT_EQ(keeper.Sent(EncodeServoFrame(2, 20) + EncodeServoFrame(5, 50), tables, t0 + 400ms),
              600ms);
    keeper.FlushIfDue(t0 + 999ms);
    EXPECT_EQ(read(), (ServoPose{0, 10, 127, 127, 127, 127, 127}));
    keeper.FlushIfDue(t0 + 1s);
    EXPECT_EQ(read(), (ServoPose{0, 10, 20, 127, 127, 50, 50}));
    keeper.Sent(EncodeServoFrame(3, 30), tables, t0 + 1500ms);
  }
  EXPECT_EQ(read(), (ServoPose{0, 10, 20, 30, 127, 50, 50}));
}

TEST(PoseKeeper, TakesEveryWholeFrameWhateverSurroundsIt) {
  ServoTables tables;
  for (int i = 1; i <= kServoCount; ++i) tables.Address[i] = i;
  tables.Address[6] = 5;  // servos 5 and 6 share an address
  const ByteString f1 = EncodeServoFrame(1, 10), f5 = EncodeServoFrame(5, 50);
  struct Case {
    ByteString frames;
    ServoPose pose;
  };
  for (const Case& c : {
           Case{f1 + f5, {0, 10, 0, 0, 0, 50, 50}},
           Case{f1 + "\x01\xff" + f5, {0, 10, 0, 0, 0, 50, 50}},  // bytes between frames
           Case{f1 + f5.substr(0, 3), {0, 10, 0, 0, 0, 0, 0}},    // a frame cut short
           Case{ByteString("\xff\xa1\x0a\x00", 4) + f5,
                {0, 0, 0, 0, 0, 50, 50}},  // a broken frame first
       }) {
    ServoPose pose{};
    ApplySentFrames(pose, c.frames, tables);
    EXPECT_EQ(pose, c.pose) << c.frames.size() << " bytes";
  }
}

}  // namespace
