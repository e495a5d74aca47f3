#include "pose_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "temp_dir.h"

namespace {

using namespace std::chrono_literals;

ServoPose PoseOf(std::initializer_list<int32_t> six) {
  ServoPose pose{};
  std::copy(six.begin(), six.end(), pose.begin() + 1);
  return pose;
}

TEST(PoseStore, EachPortPathHasAFileOfItsOwnInTheFolder) {
  const std::string paths[] = {"/dev/ttyUSB0",
                               "dev/ttyUSB0",
                               "/dev/ttyUSB0/",
                               "sim",
                               "SIM",
                               "%2Fdev%2FttyUSB0",
                               "/dev/serial/by-id/usb-FTDI_A.B-if00",
                               "..",
                               ".hidden"};
  std::set<std::string> names;
  for (const std::string& path : paths) {
    const std::string file = PoseFileOf("/state", path);
    ASSERT_EQ(file.rfind("/state/", 0), 0u) << path;
    const std::string name = file.substr(7);
    EXPECT_EQ(name.find('/'), std::string::npos) << path;
    EXPECT_NE(name.front(), '.') << path;
    names.insert(name);
  }
  EXPECT_EQ(names.size(), std::size(paths));
}

TEST(PoseStore, APoseIsReadBackForItsOwnPortOnly) {
  TempDir dir;
  const std::string folder = dir.File("a/b/vantrel");  // made as needed
  ASSERT_TRUE(WriteRememberedPose(folder, "/dev/ttyUSB0", PoseOf({1, 2, 3, 4, 5, 6})));
  ASSERT_TRUE(WriteRememberedPose(folder, "sim", PoseOf({10, 20, 30, 40, 50, 255})));
  EXPECT_EQ(ReadRememberedPose(folder, "/dev/ttyUSB0"), PoseOf({1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(ReadRememberedPose(folder, "sim"), PoseOf({10, 20, 30, 40, 50, 255}));
  EXPECT_EQ(ReadRememberedPose(folder, "/dev/ttyUSB1"), std::nullopt);
  EXPECT_EQ(ReadRememberedPose("", "sim"), std::nullopt);
}

TEST(PoseStore, AFileThatIsNoPoseCountsAsNothingRemembered) {
  TempDir dir;
  const char* texts[] = {"",
                         "1 2 3 4 5",
                         "1 2 3 4 5 6 7",
                         "1 2 3 4 5 x",
                         "1 2 3 4 5 256",
                         "-1 2 3 4 5 6",
                         "\x01\x02\xff"};
  for (const char* text : texts) {
    WriteFile(PoseFileOf(dir.path(), "p"), text);
    EXPECT_EQ(ReadRememberedPose(dir.path(), "p"), std::nullopt) << text;
  }
  WriteFile(PoseFileOf(dir.path(), "p"), " 0 254\t7 8\r\n9 10\n");
  EXPECT_EQ(ReadRememberedPose(dir.path(), "p"), PoseOf({0, 254, 7, 8, 9, 10}));
}

TEST(PoseStore, APoseIsReplacedAsAWholeNewFile) {
  TempDir dir;
  ASSERT_TRUE(WriteRememberedPose(dir.path(), "p", PoseOf({1, 1, 1, 1, 1, 1})));
  // A link to the old file still sees the old pose: the new one was put in its place, never
  // written over it, so a reader never finds half a pose.
  const std::string file = PoseFileOf(dir.path(), "p");
  ASSERT_EQ(::link(file.c_str(), dir.File("old").c_str()), 0);
  ASSERT_TRUE(WriteRememberedPose(dir.path(), "p", PoseOf({2, 2, 2, 2, 2, 2})));
  EXPECT_EQ(ReadFile(dir.File("old")), "1 1 1 1 1 1\n");
  EXPECT_EQ(ReadFile(file), "2 2 2 2 2 2\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
  // A folder that cannot be made: nothing kept, no crash.
  WriteFile(dir.File("file"), "");
  EXPECT_FALSE(WriteRememberedPose(dir.File("file/vantrel"), "p", PoseOf({3, 3, 3, 3, 3, 3})));
}

TEST(PoseStore, TheFolderFollowsXdgStateHome) {
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  const std::string state = std::getenv("XDG_STATE_HOME") ? std::getenv("XDG_STATE_HOME") : "";
  ::setenv("HOME", "/home/op", 1);
  const std::pair<const char*, const char*> cases[] = {
      {"/var/state", "/var/state/vantrel"},
      {"relative/state", "/home/op/.local/state/vantrel"},
      {"", "/home/op/.local/state/vantrel"},
  };
  for (const auto& [value, folder] : cases) {
    ::setenv("XDG_STATE_HOME", value, 1);
    EXPECT_EQ(PoseFolder(), folder) << value;
  }
  ::setenv("XDG_STATE_HOME", state.c_str(), 1);
  ::setenv("HOME", home.c_str(), 1);
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
    EXPECT_EQ(read(), std::nullopt);  // nothing sent, nothing written
    EXPECT_EQ(keeper.Sent(EncodeServoFrame(1, 10), tables, t0), std::nullopt);
    EXPECT_EQ(read(), PoseOf({10, 127, 127, 127, 127, 127}));
    EXPECT_EQ(keeper.Sent(EncodeServoFrame(2, 20) + EncodeServoFrame(5, 50), tables, t0 + 400ms),
              600ms);
    keeper.FlushIfDue(t0 + 999ms);
    EXPECT_EQ(read(), PoseOf({10, 127, 127, 127, 127, 127}));
    keeper.FlushIfDue(t0 + 1s);
    EXPECT_EQ(read(), PoseOf({10, 20, 127, 127, 50, 50}));
    keeper.Sent(EncodeServoFrame(3, 30), tables, t0 + 1500ms);
    EXPECT_EQ(read(), PoseOf({10, 20, 127, 127, 50, 50}));
  }
  EXPECT_EQ(read(), PoseOf({10, 20, 30, 127, 50, 50}));
}

}  // namespace
