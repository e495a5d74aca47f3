#include "regular_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "stdin_closed.h"
#include "temp_dir.h"

namespace {

TEST(RegularFile, ReadsAWholeFileOfAnySizeIntoAnEmptiedString) {
  TempDir dir;
  const std::string path = dir.File("big");
  std::string contents(65536 + 1, 'a');  // one block and a single byte
  contents.back() = 'z';
  WriteFile(path, contents);
  TRegularFile file(path);
  ASSERT_TRUE(file.IsOpen());
  std::string text = "left over";
  ASSERT_TRUE(file.ReadAll(text));
  EXPECT_EQ(text, contents);
}

TEST(RegularFile, WhatIsNoFileIsNotOpenedAndSaysWhy) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  for (const std::string& path : {dir.File("fifo"), dir.path(), std::string("/dev/null")}) {
    TRegularFile file(path);
    EXPECT_FALSE(file.IsOpen()) << path;
    EXPECT_TRUE(file.NotRegular()) << path;
    EXPECT_FALSE(file.Missing()) << path;
    EXPECT_EQ(file.Reason(), kNotRegularFile) << path;
  }
  TRegularFile missing(dir.File("none"));
  EXPECT_TRUE(missing.Missing());
  EXPECT_FALSE(missing.NotRegular());
  EXPECT_EQ(missing.Reason(), SystemErrorText(ENOENT));
}

// /proc/self/mem is a regular file whose first bytes cannot be read.
TEST(RegularFile, AFailedReadIsReportedWithItsError) {
  TRegularFile file("/proc/self/mem");
  ASSERT_TRUE(file.IsOpen());
  std::string text;
  EXPECT_FALSE(file.ReadAll(text));
  EXPECT_EQ(file.error(), EIO);
}

TEST(RegularFile, DescriptorZeroIsAFileLikeAnyOther) {
  TempDir dir;
  WriteFile(dir.File("a"), "zero");
  StdinClosed closed;
  {
    TRegularFile file(dir.File("a"));
    ASSERT_EQ(file.fd(), 0);
    EXPECT_TRUE(file.IsOpen());
    EXPECT_FALSE(file.NotRegular());
    std::string text;
    ASSERT_TRUE(file.ReadAll(text));
    EXPECT_EQ(text, "zero");
  }
  EXPECT_FALSE(DescriptorOpen(0));
}

}  // namespace
