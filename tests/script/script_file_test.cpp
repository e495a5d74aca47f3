#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "file_process.h"
#include "script_model.h"
#include "temp_dir.h"

namespace {

using namespace std::string_literals;

const char kLoadError[] = "1001 :TRobopath: load";
const char kWriteError[] = "1002: FileProcess: writeRow";

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EFPError& e) {
    return e.what();
  }
  return "(no error)";
}

// The message and the detail of the EFPError that `action` raises.
std::pair<std::string, std::string> ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EFPError& e) {
    return {e.what(), e.detail()};
  }
  return {"(no error)", ""};
}

void Add(TRoboPath& script, char letter, int servoId, int value) {
  script.add(std::make_unique<TServoCommand>(
      TServoCommand{letter, static_cast<uint8_t>(servoId), static_cast<uint8_t>(value)}));
}

std::string Dump(const TRoboPath& script) {
  std::string text;
  for (int i = 0; i < script.count(); ++i) {
    const TServoCommand& c = script.getItem(i);
    text += c.letter + std::string(" ") + std::to_string(c.servoId) + " " +
            std::to_string(c.value) + "|";
  }
  return text;
}

void Save(const TRoboPath& script, const std::string& path) {
  TFileProcess file;
  file.RecordSource = path;
  file.close();
  script.save(file);
  file.close();
}

// Loads `text` as a file; the message of the failure, or "" when it loaded.
std::string LoadText(TRoboPath& script, const std::string& text) {
  TempDir dir;
  WriteFile(dir.File("s.vco"), text);
  TFileProcess file;
  file.RecordSource = dir.File("s.vco");
  // Left over from earlier calls: a read that worked must not be taken for an interrupted one.
  errno = EINTR;
  try {
    script.load(file);
  } catch (const EFPError& e) {
    return e.what();
  }
  return "";
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

// A file size limit makes writes fail part-way, as a full disk would.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old_;
    small.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &small);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit old_{};
  void (*oldHandler_)(int) = nullptr;
};

TEST(RoboPath, ListOperations) {
  TRoboPath script;
  EXPECT_EQ(script.count(), 0);
  Add(script, 'M', 1, 127);
  EXPECT_EQ(script.add(std::make_unique<TServoCommand>()), 1);
  EXPECT_EQ(script.getItem(1).letter, 'M');
  EXPECT_EQ(script.getItem(1).servoId, 0);
  EXPECT_EQ(script.getItem(1).value, 0);
  script.getItem(0).value = 9;  // the script hands out its own command
  EXPECT_EQ(script.commands[0]->value, 9);

  for (int index : {-1, 2}) {
    try {
      script.getItem(index);
      ADD_FAILURE() << "index " << index << " accepted";
    } catch (const std::out_of_range& e) {
      EXPECT_EQ(std::string(e.what()), "List index out of bounds (" + std::to_string(index) + ")");
    }
  }
  EXPECT_THROW(script.add(nullptr), std::invalid_argument);
  EXPECT_EQ(script.count(), 2);
  script.clear();
  EXPECT_EQ(script.count(), 0);
}

TEST(ScriptFile, SaveThenLoadGivesTheSameScript) {
  TempDir dir;
  TRoboPath script;
  Add(script, 'M', 3, 140);
  Add(script, 'P', 0, 5);
  Add(script, '"', 255, 0);
  Save(script, dir.File("arm.vco"));
  EXPECT_EQ(ReadFile(dir.File("arm.vco")), "M;3;140\r\nP;0;5\r\n\"\";255;0\r\n");

  // Enough lines to cross many read blocks.
  for (int i = 0; i < 300000; ++i) Add(script, i % 7 ? 'M' : 'P', i % 256, (i * 7) % 256);
  Save(script, dir.File("arm.vco"));
  const std::string text = ReadFile(dir.File("arm.vco"));
  size_t lines = 0;
  for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos; ++at, ++lines) {
    ASSERT_EQ(text[at - 1], '\r');
  }
  EXPECT_EQ(lines, 300003u);
  EXPECT_EQ(text.back(), '\n');

  TRoboPath loaded;
  Add(loaded, 'P', 9, 9);  // replaced by the load
  TFileProcess file;
  file.RecordSource = dir.File("arm.vco");
  loaded.load(file);
  EXPECT_EQ(Dump(loaded), Dump(script));
  EXPECT_EQ(file.fileState, kFileClosed);  // reading leaves the writer alone
}

TEST(ScriptFile, ReadingRules) {
  TRoboPath script;
  EXPECT_EQ(LoadText(script, "M;1;5\nP;0;2"), "");  // LF alone; last line without line end
  EXPECT_EQ(Dump(script), "M 1 5|P 0 2|");
  EXPECT_EQ(LoadText(script, "M;1\r2;5\r\r\n'a;b';1;44\r\n"), "");  // stray CRs, quotes
  EXPECT_EQ(Dump(script), "M 12 5|' 1 44|");
  EXPECT_EQ(LoadText(script, "M;1;5\r\nM;2;6\x1A garbage\r\n\r\n"), "");  // Ctrl-Z ends it
  EXPECT_EQ(Dump(script), "M 1 5|M 2 6|");
  std::string tail;  // more than the reader takes in at once, all of it after the Ctrl-Z
  for (int i = 0; i < 300000; ++i) tail += "M;2;6\r\n";
  EXPECT_EQ(LoadText(script, "M;1;5\r\n\x1A" + tail), "");
  EXPECT_EQ(Dump(script), "M 1 5|");
  EXPECT_EQ(LoadText(script, ""), "");
  EXPECT_EQ(script.count(), 0);
  // No limit on the length of a line.
  EXPECT_EQ(LoadText(script, "M;" + std::string(3 << 20, ' ') + "1;5\r\nP;0;1"), "");
  EXPECT_EQ(Dump(script), "M 1 5|P 0 1|");
}

TEST(ScriptFile, FailingLineKeepsTheCommandsBeforeIt) {
  TRoboPath script;
  EXPECT_EQ(LoadText(script, "M;1;5\r\nM;2;6\r\n\r\n"), kLoadError);  // blank last line
  EXPECT_EQ(Dump(script), "M 1 5|M 2 6|");
  EXPECT_EQ(LoadText(script, "P;0;1\r\nM;;5\r\nM;1;5\r\n"), kLoadError);
  EXPECT_EQ(Dump(script), "P 0 1|");
  EXPECT_EQ(LoadText(script, "M;1 ;5\r\n"), kLoadError);
  EXPECT_EQ(script.count(), 0);
}

TEST(ScriptFile, LoadThatCannotOpenLeavesTheScriptUnchanged) {
  TempDir dir;
  TRoboPath script;
  Add(script, 'M', 1, 5);
  TFileProcess file;
  for (const std::string& name : {dir.File("missing.vco"), dir.path(), std::string()}) {
    file.RecordSource = name;
    EXPECT_EQ(MessageOf([&] { script.load(file); }), kLoadError) << name;
    EXPECT_EQ(Dump(script), "M 1 5|");
  }
}

TEST(ScriptFile, ALoadErrorNamesTheFileTheLineAndTheFault) {
  TempDir dir;
  const std::string path = dir.File("s.vco");
  const std::pair<std::string, std::string> cases[] = {
      {"M;1;5\r\nM;2;6\r\n\r\n", ", line 3: a blank line"},
      {"M;1;5\r\n\r\r\nM;2;6\r\n", ", line 2: a blank line"},
      {"P;0;1\r\nM;;5\r\n", ", line 2: fewer than three fields"},
      {"M;1;x\r\n", ", line 1: 'x' is not a valid integer value"},
      {"M;1;5\nM;1 ;5\n", ", line 2: '1 ' is not a valid integer value"},
      // A number that is no byte is refused, not wrapped to the other end of the servo.
      {"M;1;5\r\nM;3;256\r\n", ", line 2: value 256 is outside 0..255"},
      {"M;2;-1\r\n", ", line 1: value -1 is outside 0..255"},
      {"M;257;10\r\n", ", line 1: value 257 is outside 0..255"},
      {"P;0;70000\r\n", ", line 1: value 70000 is outside 0..255"},
      // A field quoted in the message is cut and shows its control characters.
      {"M;1;4\0"
       "2\r\n"s,
       ", line 1: '4\\02' is not a valid integer value"},
      {"M;1;" + std::string(1 << 20, '7') + "x\r\n",
       ", line 1: '" + std::string(40, '7') + "...' is not a valid integer value"},
  };
  for (const auto& [text, detail] : cases) {
    WriteFile(path, text);
    TRoboPath script;
    TFileProcess file;
    file.RecordSource = path;
    EXPECT_EQ(ErrorOf([&] { script.load(file); }),
              std::make_pair(std::string(kLoadError), path + detail));
  }
  TRoboPath script;
  TFileProcess file;
  file.RecordSource = dir.File("missing.vco");
  EXPECT_EQ(ErrorOf([&] { script.load(file); }).second,
            dir.File("missing.vco") + ": No such file or directory");
}

TEST(ScriptFile, LoadRefusesWhatIsNoRegularFileWithoutWaiting) {
  TempDir dir;
  // A FIFO without a writer would hold the load until one came; /dev/zero never ends.
  const std::string fifo = dir.File("fifo.vco");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", dir.File("zero.vco"));
  TRoboPath script;
  Add(script, 'M', 1, 5);
  TFileProcess file;
  for (const std::string& name :
       {fifo, dir.File("zero.vco"), std::string("/dev/null"), dir.path()}) {
    file.RecordSource = name;
    EXPECT_EQ(ErrorOf([&] { script.load(file); }),
              std::make_pair(std::string(kLoadError), name + ": not a regular file"));
    EXPECT_EQ(Dump(script), "M 1 5|");
  }
}

TEST(ScriptFile, EmptyScriptCreatesNoFileAndKeepsAnExistingOne) {
  TempDir dir;
  TRoboPath script;
  Save(script, dir.File("new.vco"));
  EXPECT_FALSE(std::filesystem::exists(dir.File("new.vco")));
  WriteFile(dir.File("old.vco"), "M;1;5\r\n");
  Save(script, dir.File("old.vco"));
  EXPECT_EQ(ReadFile(dir.File("old.vco")), "M;1;5\r\n");
}

TEST(ScriptFile, ALetterThatWouldNotLoadBackIsRefusedBeforeAnythingIsWritten) {
  TempDir dir;
  WriteFile(dir.File("old.vco"), "M;1;5\r\n");
  TRoboPath script;
  Add(script, 'M', 1, 5);
  Add(script, 'P', 0, 2);
  Add(script, '\x1A', 3, 4);  // would end the file on loading: the rest would be lost
  Add(script, 'M', 2, 6);
  for (const std::string& name : {std::string("old.vco"), std::string("new.vco")}) {
    TFileProcess file;
    file.RecordSource = dir.File(name);
    EXPECT_EQ(MessageOf([&] { script.save(file); }),
              "Command 3 cannot be saved: its letter Ctrl-Z would not load back from a script "
              "file");
    EXPECT_EQ(file.fileState, kFileClosed);
    file.close();  // as the next Save or Load does: nothing half-written is put in place
  }
  EXPECT_EQ(ReadFile(dir.File("old.vco")), "M;1;5\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir.File("new.vco")));
  EXPECT_EQ(Dump(script), std::string("M 1 5|P 0 2|\x1A 3 4|M 2 6|"));
}

TEST(FileProcess, TheTargetIsReplacedOnlyAtClose) {
  TempDir dir;
  WriteFile(dir.File("s.vco"), "old\r\n");
  std::filesystem::permissions(dir.File("s.vco"), std::filesystem::perms(0640));
  TFileProcess file;
  EXPECT_EQ(file.fileState, kFileClosed);
  file.close();  // closing a closed component does nothing
  EXPECT_EQ(file.fileState, kFileClosed);
  file.RecordSource = dir.File("s.vco");
  EXPECT_TRUE(file.writeRow("a"));
  EXPECT_EQ(file.fileState, kFileOpen);
  EXPECT_TRUE(file.writeRow(""));
  EXPECT_EQ(ReadFile(dir.File("s.vco")), "old\r\n");
  file.close();
  EXPECT_EQ(file.fileState, kFileClosed);
  EXPECT_EQ(ReadFile(dir.File("s.vco")), "a\r\n\r\n");
  EXPECT_EQ(std::filesystem::status(dir.File("s.vco")).permissions(), std::filesystem::perms(0640));
  EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"s.vco"});
  file.close();
  EXPECT_EQ(ReadFile(dir.File("s.vco")), "a\r\n\r\n");
}

TEST(FileProcess, DestructionFinishesAnOpenFile) {
  TempDir dir;
  {
    TFileProcess file;
    file.RecordSource = dir.File("s.vco");
    file.writeRow("P;0;1");
  }
  EXPECT_EQ(ReadFile(dir.File("s.vco")), "P;0;1\r\n");
  EXPECT_EQ(FolderEntries(dir.path()).size(), 1u);
}

TEST(FileProcess, SavingThroughALinkReplacesTheFileItPointsAt) {
  TempDir dir;
  WriteFile(dir.File("real.vco"), "old\r\n");
  std::filesystem::create_symlink("real.vco", dir.File("link.vco"));
  TRoboPath script;
  Add(script, 'M', 1, 2);
  Save(script, dir.File("link.vco"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.vco")));
  EXPECT_EQ(ReadFile(dir.File("real.vco")), "M;1;2\r\n");
}

TEST(FileProcess, APipeOrADeviceIsRefusedNotWrittenInto) {
  TempDir dir;
  // Opening a FIFO to write waits for a reader: none comes here, so a save that tried would
  // hang.
  const std::string pipe = dir.File("pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/null", dir.File("null.vco"));
  TRoboPath script;
  Add(script, 'M', 4, 200);
  for (const std::string& target : {pipe, dir.File("null.vco")}) {
    TFileProcess file;
    file.RecordSource = target;
    EXPECT_EQ(ErrorOf([&] { script.save(file); }),
              std::make_pair(std::string(kWriteError), target + ": not a regular file"));
    EXPECT_EQ(file.fileState, kFileClosed);
  }
  EXPECT_EQ(std::filesystem::status(pipe).type(), std::filesystem::file_type::fifo);
  EXPECT_EQ(FolderEntries(dir.path()).size(), 2u);
}

TEST(FileProcess, AWriteErrorNamesTheFileAndTheReason) {
  TempDir dir;
  WriteFile(dir.File("notadir"), "");
  TRoboPath script;
  Add(script, 'M', 2, 6);
  TFileProcess file;
  file.RecordSource = dir.File("notadir/s.vco");
  EXPECT_EQ(ErrorOf([&] { script.save(file); }).second,
            dir.File("notadir/s.vco") + ": Not a directory");
  file.RecordSource = dir.File("none/s.vco");
  EXPECT_EQ(ErrorOf([&] { script.save(file); }).second,
            dir.File("none/s.vco") + ": No such file or directory");
  file.RecordSource.clear();
  EXPECT_EQ(ErrorOf([&] { script.save(file); }).second, "no file name");
  file.RecordSource = dir.File("s.vco");
  {
    const FileSizeLimit limit(100);
    for (int i = 0; i < 100; ++i) Add(script, 'M', 1, 100);
    script.save(file);
    EXPECT_EQ(ErrorOf([&] { file.close(); }).second, dir.File("s.vco") + ": File too large");
  }
}

TEST(FileProcess, UnwritableTargetRaisesWriteRowAndKeepsTheOldFile) {
  TempDir dir;
  WriteFile(dir.File("keep.vco"), "M;1;5\r\n");
  WriteFile(dir.File("notadir"), "");
  TRoboPath script;
  Add(script, 'M', 2, 6);
  TFileProcess file;
  // A folder that is a regular file, no name at all, and a folder in place of the file.
  for (const std::string& target :
       {dir.File("notadir/s.vco"), std::string(), dir.File("sub"), dir.File("none/s.vco")}) {
    std::filesystem::create_directory(dir.File("sub"));
    file.RecordSource = target;
    EXPECT_EQ(MessageOf([&] { script.save(file); }), kWriteError) << target;
    EXPECT_EQ(file.fileState, kFileClosed);
    file.close();
  }
  EXPECT_EQ(script.count(), 1);
  EXPECT_EQ(ReadFile(dir.File("keep.vco")), "M;1;5\r\n");
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("sub")));
}

TEST(FileProcess, FailureHalfWayLeavesTheOldFileAndNoNewOne) {
  TempDir dir;
  const std::string old = "M;1;5\r\nP;0;3\r\n";
  WriteFile(dir.File("s.vco"), old);
  TRoboPath script;
  for (int i = 0; i < 100000; ++i) Add(script, 'M', 1, i % 256);
  TFileProcess file;
  file.RecordSource = dir.File("s.vco");
  {
    const FileSizeLimit limit(100000);
    EXPECT_EQ(MessageOf([&] { script.save(file); }), kWriteError);
    // The component stays open and refuses further rows.
    EXPECT_EQ(file.fileState, kFileOpen);
    EXPECT_EQ(MessageOf([&] { file.writeRow("M;1;1"); }), kWriteError);
    file.close();  // the failure has been reported; close only cleans up
  }
  EXPECT_EQ(file.fileState, kFileClosed);
  EXPECT_EQ(ReadFile(dir.File("s.vco")), old);
  EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"s.vco"});

  // The same component saves normally afterwards.
  script.save(file);
  file.close();
  TRoboPath loaded;
  loaded.load(file);
  EXPECT_EQ(Dump(loaded), Dump(script));
}

TEST(FileProcess, FailureWhileFinishingIsReportedByClose) {
  TempDir dir;
  WriteFile(dir.File("s.vco"), "P;0;1\r\n");
  TRoboPath script;
  for (int i = 0; i < 1000; ++i) Add(script, 'M', 1, 100);  // less than one buffer
  TFileProcess file;
  file.RecordSource = dir.File("s.vco");
  {
    const FileSizeLimit limit(1000);
    script.save(file);
    EXPECT_EQ(MessageOf([&] { file.close(); }), kWriteError);
  }
  EXPECT_EQ(file.fileState, kFileClosed);
  EXPECT_EQ(ReadFile(dir.File("s.vco")), "P;0;1\r\n");
  EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"s.vco"});
}

}  // namespace
