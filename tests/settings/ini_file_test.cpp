#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "ini_file.h"
#include "temp_dir.h"

namespace {

const char* kFile =
    "; made by hand\r\n"
    "[Other]\r\n"
    "comPort=keep me\r\n"
    "\r\n"
    "[options]\r\n"
    "  ComPort = COM3 \r\n"
    "# a comment inside\r\n"
    "baudRate=9600\r\n"
    "\r\n"
    "[Last]\r\n"
    "x=1\r\n";

TEST(IniFile, ListsKeysInFileOrderWithTheirCase) {
  const IniFile ini = IniFile::Parse(kFile);
  EXPECT_EQ(ini.SectionKeys("Options"), (std::vector<std::string>{"ComPort", "baudRate"}));
  EXPECT_EQ(ini.Read("OPTIONS", "comport"), "COM3");
  EXPECT_EQ(ini.Read("Other", "comPort"), "keep me");
  EXPECT_EQ(ini.Read("Options", "missing"), std::nullopt);
  EXPECT_TRUE(ini.SectionKeys("Nowhere").empty());
  // Every letter matches its other case, A and Z included.
  const IniFile letters = IniFile::Parse("[AZaz]\nAddressZ=1\n");
  EXPECT_EQ(letters.Read("azAZ", "aDDRESSz"), "1");
}

TEST(IniFile, WritingKeepsEverythingElseByteForByte) {
  IniFile ini = IniFile::Parse(kFile);
  ini.Write("Options", "COMPORT", "ttyUSB0");
  ini.Write("Options", "baudRate", "9600");  // unchanged value: line untouched
  ini.Write("Options", "added", "5");
  EXPECT_EQ(ini.Text(),
            "; made by hand\r\n"
            "[Other]\r\n"
            "comPort=keep me\r\n"
            "\r\n"
            "[options]\r\n"
            "  ComPort = ttyUSB0 \r\n"
            "# a comment inside\r\n"
            "baudRate=9600\r\n"
            "added=5\r\n"
            "\r\n"
            "[Last]\r\n"
            "x=1\r\n");
}

// A file whose first line is empty still tells its line end.
TEST(IniFile, AnEmptyFirstLineTellsTheLineEnd) {
  IniFile ini = IniFile::Parse("\r\n[Options]\r\na=1\r\n");
  ini.Write("Options", "b", "2");
  EXPECT_EQ(ini.Text(), "\r\n[Options]\r\na=1\r\nb=2\r\n");
}

TEST(IniFile, CreatesTheSectionWhenMissing) {
  IniFile ini = IniFile::Parse("[A]\nk=v");
  ini.Write("Options", "servoIncr", "2");
  EXPECT_EQ(ini.Text(), "[A]\nk=v\n\n[Options]\nservoIncr=2");
  IniFile empty;
  empty.Write("Options", "a", "1");
  EXPECT_EQ(empty.Text(), "[Options]\na=1\n");
}

TEST(IniFile, EachLineKeepsItsOwnLineEnd) {
  // Mixed ends, and a file ending in a lone CR, come back byte for byte.
  for (const std::string text :
       {"a\n[Options]\r\nk=1\r\n", "[Options]\nk=1\r", "[Options]\r\nk=1\nj=2\r\n", "\r"}) {
    const IniFile ini = IniFile::Parse(text);
    EXPECT_EQ(ini.Text(), text);
  }
  // A lone CR at the end ends the line; it is not part of the value.
  IniFile lone = IniFile::Parse("[Options]\nk=1\r");
  EXPECT_EQ(lone.Read("Options", "k"), "1");
  lone.Write("Options", "k", "22");
  EXPECT_EQ(lone.Text(), "[Options]\nk=22\r");

  // A changed line keeps its own end; an added line takes the file's first one.
  IniFile mixed = IniFile::Parse("a\n[Options]\r\nk=1\r\nj=2\n");
  mixed.Write("Options", "k", "5");
  mixed.Write("Options", "added", "7");
  EXPECT_EQ(mixed.Text(), "a\n[Options]\r\nk=5\r\nj=2\nadded=7\n");

  // Adding after a last line without a line end ends that line and leaves the new one open.
  IniFile open = IniFile::Parse("[Options]\r\nk=1");
  open.Write("Options", "j", "2");
  EXPECT_EQ(open.Text(), "[Options]\r\nk=1\r\nj=2");

  // After a lone CR at the end likewise: read back, the new key is a line of its own.
  // A value that itself ends in CR keeps it.
  IniFile cr = IniFile::Parse("[Options]\nk=1\r\r");
  cr.Write("Options", "j", "2");
  EXPECT_EQ(cr.Text(), "[Options]\nk=1\r\r\nj=2\r");
  const IniFile reread = IniFile::Parse(cr.Text());
  EXPECT_EQ(reread.Read("Options", "k"), "1\r");
  EXPECT_EQ(reread.Read("Options", "j"), "2");
}

TEST(IniFile, SaveReplacesTheFileWhole) {
  TempDir dir;
  const std::string path = dir.File("vantrel.ini");
  WriteFile(path, "[Options]\na=1\n");
  IniFile ini = IniFile::Load(path);
  ini.Write("Options", "a", "2");
  ini.Save(path);
  EXPECT_EQ(ReadFile(path), "[Options]\na=2\n");
  EXPECT_EQ(IniFile::Load(dir.File("missing.ini")).Text(), "");
}

TEST(IniFile, FailedSaveLeavesTheOldFileWhole) {
  TempDir dir;
  const std::string path = dir.File("vantrel.ini");
  WriteFile(path, "[Options]\na=1\n");
  IniFile ini = IniFile::Load(path);
  ini.Write("Options", "a", "2");
  // The new file cannot be created beside a path whose folder is a regular file.
  WriteFile(dir.File("notadir"), "");
  EXPECT_THROW(
      {
        try {
          ini.Save(dir.File("notadir/vantrel.ini"));
        } catch (const std::runtime_error& e) {
          EXPECT_EQ(std::string(e.what()), "Unable to write to " + dir.File("notadir/vantrel.ini"));
          throw;
        }
      },
      std::runtime_error);
  EXPECT_EQ(ReadFile(path), "[Options]\na=1\n");
}

TEST(IniFile, DiskFullMidWriteLeavesTheOldFileWhole) {
  TempDir dir;
  const std::string path = dir.File("vantrel.ini");
  WriteFile(path, "[Options]\na=1\n");
  IniFile ini = IniFile::Load(path);
  ini.Write("Options", "a", std::string(4096, 'v'));
  // A file size limit makes the write fail part-way, as a full disk would.
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 100;
  ::setrlimit(RLIMIT_FSIZE, &small);
  EXPECT_THROW(ini.Save(path), std::runtime_error);
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(ReadFile(path), "[Options]\na=1\n");
  // Nothing is left beside it.
  size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
    ++files;
  EXPECT_EQ(files, 1u);
}

}  // namespace
