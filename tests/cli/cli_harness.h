// Running subcommands inside the test: captured output, a clock that does not sleep, a peer
// that reads what reaches the line, and settings files.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cli.h"
#include "cli_clock.h"
#include "pty_pair.h"
#include "temp_dir.h"

// Time moves only when a run sleeps; every sleep is recorded in milliseconds. `stopAtSleep`
// asks for the stop as sleep n (0-based) begins, as Ctrl-C in the middle of that wait would.
class StopClock : public CliClock {
 public:
  TimePoint Now() override { return now; }
  void SleepUntil(TimePoint when) override {
    if (onSleep) onSleep();
    if (static_cast<int>(sleeps.size()) == stopAtSleep) stop = true;
    sleeps.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(when - now).count());
    if (!stop && when > now) now = when;
  }
  bool StopRequested() override { return stop; }

  TimePoint now = TimePoint{} + std::chrono::hours(1);
  bool stop = false;
  int stopAtSleep = -1;
  std::vector<int64_t> sleeps;
  std::function<void()> onSleep;
};

// Reads the master side of a pseudo-terminal on its own thread for as long as it lives, so
// the program's blocking writes can drain.
class PeerReader {
 public:
  explicit PeerReader(PtyPair& pty);
  ~PeerReader();
  PeerReader(const PeerReader&) = delete;
  PeerReader& operator=(const PeerReader&) = delete;

  // Everything read so far, once `count` bytes are there or `within` has passed.
  std::string Bytes(size_t count = 0, std::chrono::milliseconds within = std::chrono::seconds(1));
  // When each read of the peer came and how many bytes it had read by then.
  struct Read {
    std::chrono::steady_clock::time_point at;
    size_t end;
  };
  std::vector<Read> Reads();
  // Returns once nothing written to the line waits unread. Closing the port clears what the
  // peer has not read yet, so a run in the test's own process waits for the peer as it goes.
  void CatchUp();

 private:
  PtyPair& pty_;
  std::atomic<bool> done_{false};
  std::mutex mutex_;
  std::string bytes_;
  std::vector<Read> reads_;
  std::thread thread_;
};

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs `words` (the subcommand first) with the given clock and the fake machine's folders.
CliResult RunCliCaptured(const std::vector<std::string>& words, CliClock* clock = nullptr,
                         const std::function<void(CliEnvironment&)>& adjust = {});

// The test arm's settings file (tests/support/arm_settings.h) on `port`, in `dir`.
std::string WriteSettings(const TempDir& dir, const std::string& port,
                          const std::map<std::string, std::string>& changes = {});

// A script file from lines, each ended with CR LF.
std::string WriteScript(const TempDir& dir, const std::string& name,
                        const std::vector<std::string>& lines);
