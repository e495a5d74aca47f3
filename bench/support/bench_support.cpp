#include "bench_support.h"

#include <dirent.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

ReadingPeer::ReadingPeer(size_t frameSize) : frameSize_(frameSize) {
  char name[256];
  if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) return;
  path_ = name;
  termios raw{};
  ::tcgetattr(slave_, &raw);
  ::cfmakeraw(&raw);
  ::tcsetattr(slave_, TCSANOW, &raw);
  arrivals_.reserve(4096);
  reader_ = std::thread([this] {
    char buffer[4096];
    size_t partial = 0;
    while (!stop_) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n <= 0) break;
      if (frameSize_ == 0) continue;
      const auto now = std::chrono::steady_clock::now();
      partial += static_cast<size_t>(n);
      for (; partial >= frameSize_; partial -= frameSize_) {
        arrivals_.push_back(now);
        ++frames_;
      }
    }
  });
}

ReadingPeer::~ReadingPeer() {
  Stop();
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
}

void ReadingPeer::Stop() {
  stop_ = true;
  if (reader_.joinable()) reader_.join();
}

namespace {
double ClockNs(clockid_t clock) {
  timespec t{};
  if (::clock_gettime(clock, &t) != 0) return 0;
  return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}
}  // namespace

double ThreadCpuNs() {
  return ClockNs(CLOCK_THREAD_CPUTIME_ID);
}

double ProcessCpuNs(pid_t pid) {
  clockid_t clock{};
  if (::clock_getcpuclockid(pid, &clock) != 0) return 0;
  return ClockNs(clock);
}

double TaskCpuNs(pid_t tid) {
  // The run time the scheduler keeps per thread, in nanoseconds.
  std::ifstream in("/proc/self/task/" + std::to_string(tid) + "/schedstat");
  double ns = 0;
  in >> ns;
  return ns;
}

long TaskSleeps(pid_t tid) {
  std::ifstream in("/proc/self/task/" + std::to_string(tid) + "/status");
  std::string line;
  const std::string key = "voluntary_ctxt_switches:";
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + key.size());
  }
  return 0;
}

std::set<pid_t> Tasks() {
  std::set<pid_t> tasks;
  if (DIR* dir = ::opendir("/proc/self/task")) {
    while (const dirent* entry = ::readdir(dir)) {
      if (entry->d_name[0] != '.') tasks.insert(static_cast<pid_t>(std::atoi(entry->d_name)));
    }
    ::closedir(dir);
  }
  return tasks;
}

Lateness SummarizeLateness(std::vector<double> late) {
  Lateness l;
  if (late.empty()) return l;
  const double earliest = *std::min_element(late.begin(), late.end());
  for (double& x : late) x -= earliest;
  l.last = late.back();
  std::sort(late.begin(), late.end());
  l.p50 = late[late.size() / 2];
  l.p99 = late[late.size() * 99 / 100];
  l.max = late.back();
  return l;
}

void PrintFigure(const std::string& what, double figure, const std::string& reference,
                 double referenceFigure, const std::string& unit) {
  std::printf("%-44s %10.3f %-3s  %-34s %10.3f %-3s  ratio %6.2f\n", what.c_str(), figure,
              unit.c_str(), reference.c_str(), referenceFigure, unit.c_str(),
              referenceFigure > 0 ? figure / referenceFigure : 0.0);
  std::fflush(stdout);
}
