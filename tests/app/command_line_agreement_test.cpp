// The command line plays a script with the window's own bytes and waits.
#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <thread>

#include "cli.h"
#include "cli_clock.h"
#include "file_process.h"
#include "pose_store.h"
#include "window_harness.h"

namespace {

using namespace std::chrono_literals;

// Time that moves only by waiting, each positive wait noted in microseconds.
class NotingClock : public CliClock {
 public:
  TimePoint Now() override { return now; }
  void SleepUntil(TimePoint when) override {
    if (onSleep) onSleep();
    if (when <= now) return;
    sleeps.push_back(std::chrono::duration_cast<std::chrono::microseconds>(when - now));
    now = when;
  }
  bool StopRequested() override { return false; }

  TimePoint now = TimePoint{} + std::chrono::hours(1);
  std::vector<std::chrono::microseconds> sleeps;
  std::function<void()> onSleep;
};

TEST(CommandLine, PlaysTheBytesAndWaitsOfTheWindowsPlay) {
  WindowHarness h;
  TfrmVantrel& w = h.Start({{"servoComInterval", "0"}, {"sv2Maxval", "200"}, {"sv3Minval", "9"}});
  const std::string script = h.dir.File("arm.vco");
  WriteFile(script, "M;1;150\r\nM;2;250\r\nP;0;2\r\nM;3;0\r\nX;1;1\r\nM;8;1\r\nM;1;150\r\n");
  TFileProcess file;
  file.RecordSource = script;
  w.script.load(file);
  w.btPlayClick();
  const std::string windowBytes = h.pty.Drain(100ms);
  ASSERT_EQ(windowBytes.size(), 16u);  // four moves on the arm
  std::vector<std::chrono::microseconds> windowSleeps;
  for (const auto sleep : h.clock.sleeps) {
    if (sleep.count() > 0) windowSleeps.push_back(sleep);
  }
  h.Stop();
  // Both start from the same pose: the one the window left is forgotten.
  std::filesystem::remove(PoseFileOf(PoseFolder(), h.pty.slavePath()));

  // The same settings and the same line, from the command line.
  std::string cliBytes;
  std::thread peer([&] { cliBytes = h.pty.ReadPeer(windowBytes.size(), 5s); });
  NotingClock clock;
  // Closing the port clears what the peer has not read yet: let it catch up after each write.
  clock.onSleep = [&] {
    const auto until = std::chrono::steady_clock::now() + 1s;
    pollfd p{h.pty.master(), POLLIN, 0};
    while (::poll(&p, 1, 0) > 0 && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(1ms);
    }
  };
  CliEnvironment env;
  env.out = env.err = std::fopen("/dev/null", "w");
  env.clock = &clock;
  const int status = RunCli({"play", "--settings", h.settingsPath(), script}, env);
  peer.join();
  std::fclose(env.out);
  EXPECT_EQ(status, kExitOk);
  EXPECT_EQ(cliBytes, windowBytes);
  EXPECT_EQ(clock.sleeps, windowSleeps);
}

}  // namespace
