#include <gtest/gtest.h>

#include "option_store.h"
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
                                "h=-1\ni=70000\nj=99999999999999999999\n");
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
  EXPECT_EQ(store.ReadOptionInt("h"), 65535);
  EXPECT_EQ(store.ReadOptionInt("i"), 4464);
  EXPECT_EQ(store.ReadOptionInt("j"), 0);
  EXPECT_EQ(store.ReadOptionInt("none"), 0);
}

TEST(OptionStore, ServoTablesFollowTheSvKeys) {
  TempDir dir;
  OptionStore store = StoreWith(dir, "sv3Address=300\nsv3Minval=10\nsv3Maxval=200\nsv7Minval=5\n");
  EXPECT_EQ(store.tables.Address[3], 300);
  EXPECT_EQ(store.tables.Minval[3], 10);
  EXPECT_EQ(store.tables.Maxval[3], 200);
  EXPECT_EQ(store.tables.Maxval[1], 0);
  store.WriteOption("sv3Maxval", "150");
  EXPECT_EQ(store.tables.Maxval[3], 200);  // only LoadServoTables refreshes them
  store.LoadServoTables();
  EXPECT_EQ(store.tables.Maxval[3], 150);
}

TEST(OptionStore, MissingFileIsEmptyAndWriteBackCreatesIt) {
  TempDir dir;
  OptionStore store(dir.File("vantrel.ini"));
  EXPECT_TRUE(store.lines().empty());
  EXPECT_EQ(store.ReadOptionInt("servoIncr"), 0);
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

}  // namespace
