#include "replacing_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>

#include "regular_file.h"
#include "stdin_closed.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

// Files in `dir` other than `keep`: the new files that were left behind.
int LeftOver(const TempDir& dir, const std::string& keep) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    if (entry.path().filename() != keep) ++count;
  }
  return count;
}

// The temporary file beside `target` while it is written.
std::string Temporary(const TempDir& dir, const std::string& target) {
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    if (entry.path() != target) return entry.path();
  }
  return {};
}

TEST(ReplacingFile, TheTargetChangesOnlyOnCommit) {
  TempDir dir;
  const std::string target = dir.File("t.vcp");
  WriteFile(target, "old");
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  {
    TReplacingFile file;
    ASSERT_TRUE(file.Open(target));
    ASSERT_TRUE(file.Write("new"));
    EXPECT_EQ(ReadFile(target), "old");
    const std::string temporary = Temporary(dir, target);
    ASSERT_FALSE(temporary.empty());
    ASSERT_TRUE(file.Commit());
    // Once committed, the temporary name is nothing of ours: whatever takes it is left alone.
    WriteFile(temporary, "someone else's");
    file.Abandon();
    EXPECT_EQ(ReadFile(temporary), "someone else's");
    fs::remove(temporary);
  }
  EXPECT_EQ(ReadFile(target), "new");
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(LeftOver(dir, "t.vcp"), 0);

  {
    TReplacingFile file;
    ASSERT_TRUE(file.Open(target));
    ASSERT_TRUE(file.Write("dropped"));
  }  // never committed
  EXPECT_EQ(ReadFile(target), "new");
  EXPECT_EQ(LeftOver(dir, "t.vcp"), 0);

  // Abandoned, the temporary is gone and its name no longer ours, even to a second Abandon.
  TReplacingFile file;
  ASSERT_TRUE(file.Open(target));
  const std::string temporary = Temporary(dir, target);
  ASSERT_FALSE(temporary.empty());
  file.Abandon();
  EXPECT_EQ(LeftOver(dir, "t.vcp"), 0);
  WriteFile(temporary, "someone else's");
  file.Abandon();
  EXPECT_EQ(ReadFile(temporary), "someone else's");
}

TEST(ReplacingFile, ALinkKeepsPointingAtTheNewContents) {
  TempDir dir;
  WriteFile(dir.File("real"), "old");
  fs::create_symlink(dir.File("real"), dir.File("link"));
  TReplacingFile file;
  ASSERT_TRUE(file.Open(dir.File("link")));
  ASSERT_TRUE(file.Write("new"));
  ASSERT_TRUE(file.Commit());
  EXPECT_TRUE(fs::is_symlink(dir.File("link")));
  EXPECT_EQ(ReadFile(dir.File("real")), "new");
}

TEST(ReplacingFile, FailuresSayWhyAndASuccessForgetsThem) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  TReplacingFile file;
  EXPECT_FALSE(file.Open(""));
  EXPECT_EQ(file.Reason(), "no file name");
  EXPECT_FALSE(file.Open(dir.File("fifo")));
  EXPECT_EQ(file.Reason(), kNotRegularFile);
  EXPECT_FALSE(file.Open(dir.File("no/such/folder/x")));
  EXPECT_EQ(file.Reason(), SystemErrorText(ENOENT));
  EXPECT_TRUE(file.Open(dir.File("fine")));
  EXPECT_EQ(file.Reason(), "");
  file.Abandon();
  EXPECT_FALSE(file.Commit());  // nothing open
  EXPECT_EQ(file.Reason(), SystemErrorText(EBADF));
}

// The target turned into a folder meanwhile: the rename fails, and the new file goes.
TEST(ReplacingFile, AFailedCommitLeavesNoNewFileBehind) {
  TempDir dir;
  TReplacingFile file;
  ASSERT_TRUE(file.Open(dir.File("t")));
  ASSERT_TRUE(file.Write("text"));
  fs::create_directory(dir.File("t"));
  EXPECT_FALSE(file.Commit());
  EXPECT_EQ(file.Reason(), SystemErrorText(EISDIR));
  EXPECT_EQ(LeftOver(dir, "t"), 0);
}

TEST(ReplacingFile, DescriptorZeroIsAFileLikeAnyOther) {
  TempDir dir;
  StdinClosed closed;
  TReplacingFile file;
  ASSERT_TRUE(file.Open(dir.File("t")));
  ASSERT_TRUE(file.Write("zero"));
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadFile(dir.File("t")), "zero");
  EXPECT_FALSE(DescriptorOpen(0));
  ASSERT_TRUE(file.Open(dir.File("t")));
  ASSERT_TRUE(DescriptorOpen(0));
  EXPECT_TRUE(file.IsOpen());
  file.Abandon();
  EXPECT_FALSE(DescriptorOpen(0));
  EXPECT_EQ(ReadFile(dir.File("t")), "zero");
}

// A process number that no process has.
pid_t GonePid() {
  pid_t pid = 4000000;
  while (::kill(pid, 0) == 0 || errno != ESRCH) --pid;
  return pid;
}

TEST(ReplacingFile, NewFilesLeftByACrashedRunGoWhenTheFolderIsNextWrittenTo) {
  TempDir dir;
  const std::string gone = ".vantrel-" + std::to_string(GonePid()) + "-abcdefgh.tmp";
  const std::string running = ".vantrel-" + std::to_string(::getpid()) + "-abcdefgh.tmp";
  struct Case {
    std::string name;
    int ageSeconds;
    bool removed;
  };
  const Case cases[] = {
      {gone, 0, true},
      {running, 600, false},                 // still being written by a live run
      {".vantrel-k3j5h2a9.tmp", 600, true},  // an older version's, long left
      {".vantrel-k3j5h2a8.tmp", 0, false},   // an older version's, maybe being written
      {"vantrel-k3j5h2a7.tmp", 600, false},  // someone else's names
      {".vantrel-notes.txt", 600, false},
  };
  for (const Case& c : cases) {
    WriteFile(dir.File(c.name), "part");
    const auto when = fs::file_time_type::clock::now() - std::chrono::seconds(c.ageSeconds);
    fs::last_write_time(dir.File(c.name), when);
  }
  TReplacingFile file;
  ASSERT_TRUE(file.Open(dir.File("t")));
  ASSERT_TRUE(file.Write("new"));
  ASSERT_TRUE(file.Commit());
  for (const Case& c : cases) EXPECT_EQ(fs::exists(dir.File(c.name)), !c.removed) << c.name;
}

}  // namespace
