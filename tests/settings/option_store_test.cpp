#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "error_report.h"
#include "errors.h"
#include "option_store.h"
#include "regular_file.h"
#include "temp_dir.h"

namespace {

OptionStore StoreWith(TempDir& dir, const std::string& options) {
  WriteFile(dir.File("vantrel.ini"), "[Options]\n" + options);
  return OptionStore(dir.File("vantrel.ini"));
}

TEST(OptionStore, LooksUpKeysWithoutCaseAndKeepsTheirCase) {
  TempDir dir;
  OptionStore store = StoreWith(dir, "comPort=COM3\nbaudRate=9600\n");
  EXPECT_EQ(store.ReadOption("COMPORT"), "COM3");
  EXPECT_EQ(store.ReadOption("missing"), "");
  store.WriteOption("COMPORT", "ttyUSB0");
  store.WriteOption("joyMaxX", "65535");
  ASSERT_EQ(store.lines().size(), 3u);
  EXPECT_EQ(store.lines()[0].key, "comPort");
  EXPECT_EQ(store.lines()[2].key, "joyMaxX");
  store.WriteBack();
  EXPECT_EQ(ReadFile(dir.File("vantrel.ini")),
            "[Options]\ncomPort=ttyUSB0\nbaudRate=9600\njoyMaxX=65535\n");
}

TEST(OptionStore, ReadOptionIntKeepsTheLow16Bits) {
  TempDir dir;
  OptionStore store = StoreWith(dir,
                                "a=12\nb=   12\nd=12x\ne=\nf=$1F\ng=0x1F\n"
                                "k=-1\ni=70000\nj=99999999999999999999\n");
  // The ini layer trims values; a blank typed in the options dialog stays.
  store.WriteOption("b", "   12");
  store.WriteOption("c", "12 ");
  EXPECT_EQ(store.ReadOptionInt("a"), 12);
  EXPECT_EQ(store.ReadOptionInt("b"), 12);
  EXPECT_EQ(store.ReadOptionInt("c"), 0);
  EXPECT_EQ(store.ReadOptionInt("d"), 0);
  EXPECT_EQ(store.ReadOptionInt("e"), 0);
  EXPECT_EQ(store.ReadOptionInt("f"), 31);
  EXPECT_EQ(store.ReadOptionInt("g"), 31);
  EXPECT_EQ(store.ReadOptionInt("k"), 65535);  // "h" would be the height H, kept to 0..65535
  EXPECT_EQ(store.ReadOptionInt("i"), 4464);
  EXPECT_EQ(store.ReadOptionInt("j"), 0);
  EXPECT_EQ(store.ReadOptionInt("none"), 0);
}

TEST(OptionStore, ServoTablesFollowTheSvKeys) {
  TempDir dir;
  OptionStore store = StoreWith(dir, "sv3Address=300\nsv3Minval=10\nsv3Maxval=200\nsv7Minval=5\n");
  EXPECT_EQ(store.tables.Address[3], 255);  // the nearest address there is
  EXPECT_EQ(store.tables.Minval[3], 10);
  EXPECT_EQ(store.tables.Maxval[3], 200);
  EXPECT_EQ(store.tables.Maxval[1], 254);  // built in
  store.WriteOption("sv3Maxval", "150");
  EXPECT_EQ(store.tables.Maxval[3], 200);  // only LoadServoTables refreshes them
  store.LoadServoTables();
  EXPECT_EQ(store.tables.Maxval[3], 150);
}

TEST(OptionStore, MissingFileIsEmptyAndWriteBackCreatesIt) {
  TempDir dir;
  OptionStore store(dir.File("vantrel.ini"));
  EXPECT_TRUE(store.lines().empty());
  EXPECT_EQ(store.ReadOptionInt("servoIncr"), 2);  // built in
  store.WriteOption("joyMaxX", "3");
  store.WriteBack();
  EXPECT_EQ(ReadFile(dir.File("vantrel.ini")), "[Options]\njoyMaxX=3\n");
}

TEST(OptionStore, FailedWriteBackReportsThePathAndKeepsTheFile) {
  TempDir dir;
  WriteFile(dir.File("blocker"), "");
  const std::string path = dir.File("blocker/vantrel.ini");
  OptionStore store(path);
  store.WriteOption("a", "1");
  try {
    store.WriteBack();
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
  }
}

// Collects what the store reports instead of printing it.
class Reports {
 public:
  Reports() {
    SetErrorReporter(
        [this](const std::string& message, const std::string&) { messages.push_back(message); });
  }
  ~Reports() { SetErrorReporter({}); }
  std::vector<std::string> messages;
};

TEST(OptionStore, APathThatIsNoRegularFileIsRefusedAndNeverWritten) {
  TempDir dir;
  const std::string fifo = dir.File("fifo.ini");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string folder = dir.File("folder.ini");
  std::filesystem::create_directory(folder);
  const std::string device = dir.File("zero.ini");
  std::filesystem::create_symlink("/dev/zero", device);

  for (const std::string& path : {fifo, folder, device}) {
    SCOPED_TRACE(path);
    Reports reports;
    OptionStore store(path);
    ASSERT_EQ(reports.messages.size(), 1u);
    EXPECT_EQ(reports.messages[0], "Unable to read settings from " + path + ": not a regular file");
    EXPECT_TRUE(store.lines().empty());
    EXPECT_EQ(store.ReadOptionInt("servoIncr"), 2);  // built in
    // The joystick calibration adds keys; shut-down must still leave the path alone.
    store.WriteOption("joyMaxX", "65535");
    EXPECT_NO_THROW(store.WriteBack());
    EXPECT_EQ(reports.messages.size(), 1u);
  }
  struct stat info {};
  ASSERT_EQ(::stat(fifo.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  EXPECT_TRUE(std::filesystem::is_empty(folder));
  EXPECT_EQ(std::filesystem::read_symlink(device), "/dev/zero");
}

TEST(OptionStore, ALinkToARegularFileIsReadAndWrittenThrough) {
  TempDir dir;
  WriteFile(dir.File("real.ini"), "[Options]\nservoIncr=3\n");
  std::filesystem::create_symlink(dir.File("real.ini"), dir.File("link.ini"));
  Reports reports;
  OptionStore store(dir.File("link.ini"));
  for (const auto& message : reports.messages) EXPECT_EQ(message.find("Unable"), std::string::npos);
  EXPECT_EQ(store.ReadOptionInt("servoIncr"), 3);
  store.WriteOption("servoIncr", "4");
  store.WriteBack();
  EXPECT_EQ(ReadFile(dir.File("real.ini")), "[Options]\nservoIncr=4\n");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.ini")));
}

TEST(OptionStore, AWriteBackKeepsTheFilesOwner) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
  TempDir dir;
  const std::string path = dir.File("vantrel.ini");
  WriteFile(path, "[Options]\nservoIncr=3\n");
  constexpr uid_t kUser = 4321;
  constexpr gid_t kGroup = 4322;
  ASSERT_EQ(::chown(path.c_str(), kUser, kGroup), 0);
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  OptionStore store(path);
  store.WriteOption("servoIncr", "4");
  store.WriteBack();
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, kUser);
  EXPECT_EQ(info.st_gid, kGroup);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_EQ(ReadFile(path), "[Options]\nservoIncr=4\n");
}

TEST(OptionStore, AFailedWriteBackSaysWhy) {
  TempDir dir;
  WriteFile(dir.File("blocker"), "");
  OptionStore store(dir.File("blocker/vantrel.ini"));
  store.WriteOption("a", "1");
  try {
    store.WriteBack();
    FAIL() << "no error";
  } catch (const EDetailedError& e) {
    EXPECT_EQ(e.detail(), SystemErrorText(ENOTDIR));
  }
}

TEST(OptionStore, AWriteBackThatChangesNothingLeavesTheFileAlone) {
  TempDir dir;
  const std::string path = dir.File("vantrel.ini");
  WriteFile(path, "[Options]\nservoIncr=3\n");
  struct stat before {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);
  OptionStore store(path);
  store.WriteOption("servoIncr", "3");
  store.WriteBack();
  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);  // not replaced
}

}  // namespace
