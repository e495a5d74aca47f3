#include "cli_clock.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <system_error>

namespace {

// The handler may only touch these: a flag and the write end of a pipe that wakes a wait.
volatile sig_atomic_t stopRaised = 0;
int wakeWrite = -1;
int wakeRead = -1;
struct sigaction previousInt;
struct sigaction previousTerm;

extern "C" void OnStopSignal(int) {
  const int saved = errno;
  stopRaised = 1;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(wakeWrite, &byte, 1);
  errno = saved;
}

}  // namespace

SignalClock::SignalClock() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::system_error(errno, std::generic_category(), "pipe");
  }
  wakeRead = fds[0];
  wakeWrite = fds[1];
  stopRaised = 0;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;  // a write in progress finishes; only the waits end early
  ::sigaction(SIGINT, &action, &previousInt);
  ::sigaction(SIGTERM, &action, &previousTerm);
}

SignalClock::~SignalClock() {
  ::sigaction(SIGINT, &previousInt, nullptr);
  ::sigaction(SIGTERM, &previousTerm, nullptr);
  ::close(wakeRead);
  ::close(wakeWrite);
  wakeRead = wakeWrite = -1;
}

ScheduleClock::TimePoint SignalClock::Now() {
  return Clock::now();
}

void SignalClock::SleepUntil(TimePoint when) {
  while (!stopRaised) {
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(when - Now()).count();
    if (left <= 0) return;
    // To the nanosecond: a wait rounded up to whole milliseconds made every tick of a smooth
    // move late by half a millisecond on average.
    const timespec span{static_cast<time_t>(left / 1000000000),
                        static_cast<long>(left % 1000000000)};
    pollfd wake{wakeRead, POLLIN, 0};
    const int ready = ::ppoll(&wake, 1, &span, nullptr);
    if (ready < 0 && errno != EINTR) {
      throw std::system_error(errno, std::generic_category(), "ppoll");
    }
  }
}

bool SignalClock::StopRequested() {
  return stopRaised != 0;
}

int SignalClock::StopFd() const {
  return wakeRead;
}
