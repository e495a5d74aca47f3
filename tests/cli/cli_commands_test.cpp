// move, check and ports.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "cli_harness.h"
#include "unSerialLink.h"

namespace {

// An arm on a pseudo-terminal whose peer reads along as the run sleeps.
class Move : public ::testing::Test {
 protected:
  Move() {
    clock.onSleep = [this] { peer.CatchUp(); };
  }
  TempDir dir;
  PtyPair pty;
  PeerReader peer{pty};
  StopClock clock;
};

TEST_F(Move, SendsTheSixFramesOfThePointInOneWrite) {
  const std::string settings = WriteSettings(dir, pty.slavePath());
  const CliResult r = RunCliCaptured({"move", "--settings", settings, "15", "5", "0"}, &clock);
  ASSERT_EQ(r.status, kExitOk) << r.err;
  // Shoulder 169, elbow 85, base 0, wrist 212; 5 and 6 where they start.
  const ByteString expected = EncodeServoFrame(1, 169) + EncodeServoFrame(2, 85) +
                              EncodeServoFrame(3, 0) + EncodeServoFrame(4, 212) +
                              EncodeServoFrame(5, 127) + EncodeServoFrame(6, 127);
  ASSERT_EQ(expected.size(), 24u);
  EXPECT_EQ(peer.Bytes(24), expected);
  EXPECT_EQ(clock.sleeps, std::vector<int64_t>{2});
  EXPECT_EQ(r.out, "servos 1-6 sent to 169 85 0 212 127 127\n");
}

TEST_F(Move, NegativeCoordinatesAreNumbersAndTheLimitsHold) {
  const std::string settings = WriteSettings(dir, pty.slavePath(), {{"sv3Maxval", "200"}});
  const CliResult r =
      RunCliCaptured({"move", "--settings", settings, "--clamp", "-15", "5", "0"}, &clock);
  ASSERT_EQ(r.status, kExitOk) << r.err;
  // The base turns to 254 for X = -15, along -X; clamped, its upper limit holds it at 200.
  EXPECT_EQ(r.out.rfind("servos 1-6 sent to 169 85 200 212 127 127\n"
                        "clamped: Servo 3 would need position 254; its limit is 200\n"
                        "tool point at (",
                        0),
            0u)
      << r.out;
  const std::string sent = peer.Bytes(24);
  ASSERT_EQ(sent.size(), 24u);
  EXPECT_EQ(sent.substr(8, 4), EncodeServoFrame(3, 200));
}

TEST_F(Move, WhatCannotBeSolvedSendsNothing) {
  const std::string settings = WriteSettings(dir, pty.slavePath(), {{"L1", "0"}});
  // A coordinate that is no integer is a usage error, in the window's words.
  CliResult r = RunCliCaptured({"move", "--settings", settings, "15", "5y", "0"}, &clock);
  EXPECT_EQ(r.status, kExitUsage);
  EXPECT_EQ(r.err.rfind("vantrel move: '5y' is not a valid integer value - field Y\n", 0), 0u)
      << r.err;
  // An arm without an upper arm cannot be solved: a runtime error.
  r = RunCliCaptured({"move", "--settings", settings, "15", "5", "0"}, &clock);
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_EQ(r.err, "vantrel: The arm's geometry is not set: L1 = 0\n");
  EXPECT_EQ(peer.Bytes(1), "");
}

TEST_F(Move, TakesDecimalsAndRefusesWhatTheArmCannotReach) {
  const std::string settings = WriteSettings(dir, pty.slavePath());
  CliResult r = RunCliCaptured({"move", "--settings", settings, "99", "0", "0"}, &clock);
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_EQ(r.err,
            "vantrel: Out of reach: (99, 0, 0) is 99.1 cm from the shoulder; the arm reaches "
            "25.0 cm\n");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(peer.Bytes(1), "");

  r = RunCliCaptured({"move", "--settings", settings, "15.5", "5", "-0.0"}, &clock);
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, "servos 1-6 sent to 172 89 0 209 127 127\n");
  EXPECT_EQ(peer.Bytes(24).substr(0, 4), EncodeServoFrame(1, 172));

  // Clamped, the arm stretches out towards the point and says where its tool point will be.
  r = RunCliCaptured({"move", "--settings", settings, "--clamp", "99", "0", "0"}, &clock);
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_NE(r.out.find("\nclamped: Out of reach: "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\ntool point at (24.99, 4.81, 0) cm\n"), std::string::npos) << r.out;
}

class CheckScript : public ::testing::Test {
 protected:
  CliResult Check(const std::vector<std::string>& lines) {
    const std::string settings = WriteSettings(
        dir, "sim", {{"sv2Minval", "20"}, {"sv2Maxval", "200"}, {"sv5Maxval", "100"}});
    return RunCliCaptured({"check", "--settings", settings, WriteScript(dir, "s.vco", lines)});
  }
  TempDir dir;
};

TEST_F(CheckScript, ReportsCountsTimeRangesClipsAndSkippedCommands) {
  const CliResult r = Check(
      {"M;1;150", "M;2;250", "M;2;10", "M;2;100", "P;0;60", "X;1;5", "M;7;10", "M;5;100", "M;2;0"});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  const std::string path = dir.File("s.vco");
  // Steps of 20 ms: 23 for servo 1; servo 2 127 -> 250 (held at 200), 200 -> 10 (held at
  // 20), 20 -> 100, later 100 -> 0: 123 + 190 + 80 + 100; servo 5 27. With 2 ms after each of
  // the 6 writes and the minute's pause: 70.872 s.
  EXPECT_EQ(r.out,
            path +
                ": 9 commands, 1:10 to play from the start positions (classic; 1:00 smooth)\n"
                "servo  lowest  highest  limits\n"
                "  1     150      150  0..254\n"
                "  2       0      250  20..200  clipped: 2 commands below 20, 1 command "
                "above 200\n"
                "  3         -        -  0..254\n"
                "  4         -        -  0..254\n"
                "  5     100      100  0..100\n"
                "  6         -        -  0..254\n"
                "line 6: X;1;5: unknown letter, skipped when played\n"
                "line 7: M;7;10: no servo 7 on the arm (1..6), skipped when played\n"
                "line 3: M;2;10: takes the tool point under the table, to Y -0.40 cm; the table "
                "plane is at Y 0 cm (minToolY)\n");
}

TEST_F(CheckScript, NamesTheLineThatTakesTheToolPointUnderTheTableAndPlayRefusesIt) {
  // Leaning the shoulder forward to 254 swings the forearm and hand down through Y 0.
  const std::vector<std::string> lines{"M;2;120", "M;1;254", "M;1;127"};
  const CliResult r = Check(lines);
  ASSERT_EQ(r.status, kExitOk) << r.err;
  const std::string expected = "line 2: M;1;254: takes the tool point under the table, to Y -";
  const size_t at = r.out.find(expected);
  ASSERT_NE(at, std::string::npos) << r.out;
  EXPECT_NE(r.out.find(" cm; the table plane is at Y 0 cm (minToolY)\n", at), std::string::npos);

  const std::string settings = WriteSettings(dir, "sim", {{"minToolY", "-12"}});
  EXPECT_EQ(RunCliCaptured({"check", "--settings", settings, dir.File("s.vco")}).out.find("table"),
            std::string::npos);
  PtyPair pty;
  PeerReader peer(pty);
  const CliResult played = RunCliCaptured(
      {"play", "--settings", WriteSettings(dir, pty.slavePath()), dir.File("s.vco")});
  EXPECT_EQ(played.status, kExitFailure);
  EXPECT_EQ(played.err.rfind("vantrel: The script would take the tool point under the table - "
                             "line 2: M;1;254: ",
                             0),
            0u)
      << played.err;
  EXPECT_EQ(peer.Bytes(1), "");
}

TEST_F(CheckScript, ABadLineIsAnErrorWithItsLineNumber) {
  const CliResult r = Check({"M;1;150", "P;0;1", "M;1 ;5", "M;2;5"});
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_EQ(r.err, "vantrel: 1001 :TRobopath: load - " + dir.File("s.vco") +
                       ", line 3: '1 ' is not a valid integer value\n");
  EXPECT_EQ(r.out, "");
}

TEST_F(CheckScript, CountsLoopsAndRefusesABadFlowWithItsLine) {
  struct Case {
    std::vector<std::string> lines;
    int status;
    const char* text;  // in the output, or in the error when the status is 1
  };
  const Case cases[] = {
      // 20 steps of 20 ms and 2 ms a write, three passes of the two moves, then the pause:
      // 3.412 s.
      {{"L;1;0", "M;1;147", "M;1;127", "J;1;2", "P;0;1"}, kExitOk, "5 commands, 0:03 to play"},
      // One pass, 0.804 s; the wait counts nothing.
      {{"L;1;0", "W;0;0", "M;1;147", "M;1;127", "J;1;0"},
       kExitOk,
       ")\nThe times are of one pass; the script then repeats for ever.\n"},
      {{"M;1;147", "L;1;0", "P;0;0", "J;1;0"},
       kExitFailure,
       ", line 4: J;1;0: loops for ever without a move, a pause or a wait\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines.front());
    const CliResult r = Check(c.lines);
    EXPECT_EQ(r.status, c.status) << r.err;
    const std::string& text = c.status == kExitOk ? r.out : r.err;
    EXPECT_NE(text.find(c.text), std::string::npos) << text;
  }
}

TEST_F(CheckScript, AFileThatCannotBeReadIsAnError) {
  const std::string settings = WriteSettings(dir, "sim");
  const CliResult r = RunCliCaptured({"check", "--settings", settings, dir.File("gone.vco")});
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_EQ(r.err, "vantrel: 1001 :TRobopath: load - " + dir.File("gone.vco") +
                       ": No such file or directory\n");
}

// A machine of our own under a temporary folder: sysfs classes and devices, /dev/serial/by-id.
class FakeMachine : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    const fs::path root = dir.path();
    // A USB adapter: the tty sits in an interface of a device that has names.
    const fs::path usb = root / "devices/usb1/1-1";
    fs::create_directories(usb / "1-1:1.0/ttyUSB0");
    WriteFile((usb / "idVendor").string(), "0403\n");
    WriteFile((usb / "manufacturer").string(), "FTDI\n");
    WriteFile((usb / "product").string(), "FT232R USB UART\n");
    AddTty("ttyUSB0", usb / "1-1:1.0/ttyUSB0");
    // An ACM device whose USB device tells no names, on-board ports with and without a UART.
    const fs::path acm = root / "devices/usb2/2-1";
    fs::create_directories(acm / "2-1:1.0");
    WriteFile((acm / "idVendor").string(), "2341\n");
    AddTty("ttyACM0", acm / "2-1:1.0");
    fs::create_directories(root / "devices/platform/serial8250/tty0");
    AddTty("ttyS0", root / "devices/platform/serial8250/tty0", "4\n");
    AddTty("ttyS1", root / "devices/platform/serial8250/tty0", "0\n");
    fs::create_directories(root / "class/tty/tty0");  // a console: not a serial port
    fs::create_directories(root / "by-id");
    fs::create_symlink("../../ttyUSB0", root / "by-id/usb-FTDI_FT232R_A50285BI-if00-port0");
    // The device files: ttyACM0 is gone, ttyS0 is held open by a terminal program.
    fs::create_directories(root / "dev");
    for (const char* device : {"ttyUSB0", "ttyS0", "pts3"})
      WriteFile(dir.File("dev/") + device, "");
    fs::create_directories(root / "proc/812/fd");
    fs::create_symlink(root / "dev/ttyS0", root / "proc/812/fd/3");
    WriteFile(dir.File("proc/812/comm"), "minicom\n");
  }

  void AddTty(const std::string& name, const std::filesystem::path& device,
              const std::string& type = "") {
    const std::filesystem::path tty = std::filesystem::path(dir.path()) / "class/tty" / name;
    std::filesystem::create_directories(tty);
    std::filesystem::create_directory_symlink(device, tty / "device");
    if (!type.empty()) WriteFile((tty / "type").string(), type);
  }

  CliResult Ports(const std::string& comPort, std::vector<std::string> extra = {}) {
    std::vector<std::string> words{"ports", "--settings", WriteSettings(dir, comPort)};
    words.insert(words.end(), extra.begin(), extra.end());
    return RunCliCaptured(words, nullptr, [this](CliEnvironment& env) {
      env.ttyClassDir = dir.File("class/tty");
      env.byIdDir = dir.File("by-id");
      env.devDir = dir.File("dev");
      env.procDir = dir.File("proc");
    });
  }

  TempDir dir;
};

TEST_F(FakeMachine, PortsListsEachPortWithItsNamesAndMarksTheSettingsOne) {
  const CliResult r = Ports("ttyACM0");
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, "  ttyUSB0  FTDI FT232R USB UART  " + dir.File("by-id") +
                       "/usb-FTDI_FT232R_A50285BI-if00-port0  (free)\n"
                       "* ttyACM0  (not found)\n"
                       "  ttyS0    (in use by minicom, pid 812)\n"
                       "  sim      virtual servo controller\n");
}

TEST_F(FakeMachine, PortsMarksWhatABy_idNameOrTheCommandLineLeadsTo) {
  CliResult r = Ports(dir.File("by-id/usb-FTDI_FT232R_A50285BI-if00-port0"));
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out.rfind("* ttyUSB0", 0), 0u) << r.out;

  r = Ports("ttyUSB0", {"--port", "COM1"});  // COM1 is ttyS0
  EXPECT_NE(r.out.find("\n* ttyS0 "), std::string::npos) << r.out;
  r = Ports("ttyUSB0", {"--port", "SIM"});
  EXPECT_NE(r.out.find("\n* sim "), std::string::npos) << r.out;
}

TEST_F(FakeMachine, APortTheMachineDoesNotShowIsStillNamed) {
  const std::string pts = dir.File("dev/pts3");
  const std::tuple<std::string, std::vector<std::string>, std::string> cases[] = {
      {"ttyUSB5", {}, "* ttyUSB5  (from the settings; not found)\n"},
      {pts, {}, "* " + pts + "  (from the settings; free)\n"},
      {"ttyUSB0", {"--port", pts}, "* " + pts + "  (given with --port; free)\n"},
  };
  for (const auto& [setting, extra, named] : cases) {
    const CliResult r = Ports(setting, extra);
    ASSERT_EQ(r.status, kExitOk);
    const size_t line = r.out.find(named);
    ASSERT_NE(line, std::string::npos) << r.out;
    EXPECT_EQ(r.out.find('*'), line) << "no other port is marked";
  }
}

}  // namespace
