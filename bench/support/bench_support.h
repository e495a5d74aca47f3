// Shared by the benchmarks: a pseudo-terminal whose far end reads like a servo controller,
// CPU clocks of threads and processes, and the threads of this process.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

// A pty whose peer keeps reading and can note when each frame of `frameSize` bytes arrived.
class ReadingPeer {
 public:
  explicit ReadingPeer(size_t frameSize = 0);
  ~ReadingPeer();
  ReadingPeer(const ReadingPeer&) = delete;
  ReadingPeer& operator=(const ReadingPeer&) = delete;

  const std::string& path() const { return path_; }
  int slave() const { return slave_; }
  // Arrival times of whole frames so far; only while the reader is stopped.
  const std::vector<std::chrono::steady_clock::time_point>& arrivals() const { return arrivals_; }
  size_t frameCount() const { return frames_.load(); }
  void Stop();

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
  size_t frameSize_;
  std::atomic<bool> stop_{false};
  std::atomic<size_t> frames_{0};
  std::vector<std::chrono::steady_clock::time_point> arrivals_;
  std::thread reader_;
};

// CPU time used so far, in nanoseconds.
double ThreadCpuNs();
double ProcessCpuNs(pid_t pid);
double TaskCpuNs(pid_t tid);
// Voluntary context switches of a thread of this process: how often it went to sleep.
long TaskSleeps(pid_t tid);
// The threads of this process.
std::set<pid_t> Tasks();

// How late frames arrived against their schedule, in milliseconds.
struct Lateness {
  double p50 = 0, p99 = 0, max = 0, last = 0;
};
// `late` holds each frame's arrival minus its nominal time, in frame order. The schedule is
// placed so that the frame that came earliest against it was on time, which leaves out the
// peer's constant delay and a first frame that happened to come late.
Lateness SummarizeLateness(std::vector<double> late);

// One line: what was measured, the reference, and their ratio.
void PrintFigure(const std::string& what, double figure, const std::string& reference,
                 double referenceFigure, const std::string& unit);
