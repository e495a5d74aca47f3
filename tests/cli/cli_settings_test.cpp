// The commands on settings files that lack keys or cannot be read.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "build_paths.h"
#include "cli_harness.h"

namespace {

const std::string kShipped = SourcePath("resources/vantrel.ini");

TEST(CommandSettings, AFileWithOnlyThePortMovesWithTheShippedGeometry) {
  TempDir dir;
  WriteFile(dir.File("port-only.ini"), "[Options]\ncomPort=sim\n");
  StopClock clock;
  const CliResult shipped =
      RunCliCaptured({"move", "--settings", kShipped, "15", "5", "0"}, &clock);
  ASSERT_EQ(shipped.status, kExitOk) << shipped.err;
  EXPECT_EQ(shipped.err.find("missing"), std::string::npos) << shipped.err;
  const CliResult r =
      RunCliCaptured({"move", "--settings", dir.File("port-only.ini"), "15", "5", "0"}, &clock);
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')), shipped.out.substr(0, shipped.out.find('\n')));
  EXPECT_EQ(r.err.rfind("vantrel: Some settings in " + dir.File("port-only.ini") +
                            " are missing or out of range - missing, built-in value used: ",
                        0),
            0u)
      << r.err;
  EXPECT_NE(r.err.find("L1=12, L2=12"), std::string::npos) << r.err;
}

TEST(CommandSettings, ASettingsFileThatCannotBeReadStopsEveryCommandBeforeItSends) {
  TempDir dir;
  PtyPair pty;
  PeerReader peer(pty);
  const std::string script = WriteScript(dir, "a.vco", {"M;1;100"});
  ASSERT_EQ(::mkfifo(dir.File("fifo.ini").c_str(), 0600), 0);
  std::filesystem::create_directory(dir.File("folder.ini"));
  std::filesystem::create_symlink("/dev/zero", dir.File("zero.ini"));
  const std::vector<std::string> commands[] = {
      {"play", script}, {"move", "15", "5", "0"}, {"check", script}};
  for (const char* file : {"fifo.ini", "folder.ini", "zero.ini"}) {
    for (const auto& command : commands) {
      SCOPED_TRACE(command[0] + " " + file);
      std::vector<std::string> words{command[0], "--settings", dir.File(file), "--port",
                                     pty.slavePath()};
      words.insert(words.end(), command.begin() + 1, command.end());
      StopClock clock;
      const CliResult r = RunCliCaptured(words, &clock);
      EXPECT_EQ(r.status, kExitFailure);
      EXPECT_EQ(r.err, "vantrel: Unable to read settings from " + dir.File(file) +
                           ": not a regular file\n");
      EXPECT_EQ(r.out, "");
    }
  }
  if (::geteuid() != 0) {
    // Root reads whatever the mode says.
    WriteFile(dir.File("locked.ini"), "[Options]\n");
    ::chmod(dir.File("locked.ini").c_str(), 0);
    const CliResult r = RunCliCaptured(
        {"move", "--settings", dir.File("locked.ini"), "--port", pty.slavePath(), "15", "5", "0"});
    EXPECT_EQ(r.status, kExitFailure);
    EXPECT_EQ(r.err, "vantrel: Unable to read settings from " + dir.File("locked.ini") +
                         ": Permission denied\n");
  }
  EXPECT_EQ(peer.Bytes(), "");
}

}  // namespace
