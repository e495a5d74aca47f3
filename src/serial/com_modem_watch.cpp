#include "com_modem_watch.h"

#include <signal.h>

#include <cerrno>
#include <chrono>
#include <mutex>

namespace {

// The signal that ends a wait in progress. Its handler does nothing: the point is the EINTR.
int InterruptSignal() {
  static const int signal = [] {
    const int number = SIGRTMIN + 4;
    struct sigaction action {};  // an empty mask, and no SA_RESTART: the wait must return
    action.sa_handler = [](int) {};
    ::sigaction(number, &action, nullptr);
    return number;
  }();
  return signal;
}

}  // namespace

TModemWatch::TModemWatch(std::function<int()> wait, std::function<void()> changed)
    : wait_(std::move(wait)), changed_(std::move(changed)) {
  InterruptSignal();
  thread_ = std::thread([this] { Run(); });
}

TModemWatch::~TModemWatch() {
  Stop();
}

void TModemWatch::Run() {
  {
    std::lock_guard lock(mutex_);
    waiting_ = true;
  }
  progress_.notify_all();
  while (!stop_) {
    const int error = wait_();
    if (stop_) break;
    if (error == EINTR) continue;
    if (error == 0) {
      {
        std::lock_guard lock(mutex_);
        ++changes_;
      }
      progress_.notify_all();
      changed_();
      continue;
    }
    failure_ = error;
    changed_();
    break;
  }
  {
    std::lock_guard lock(mutex_);
    ended_ = true;
  }
  progress_.notify_all();
}

void TModemWatch::Interrupt() {
  ::pthread_kill(thread_.native_handle(), InterruptSignal());
}

void TModemWatch::Rearm() {
  if (thread_.joinable() && !ended_) Interrupt();
}

void TModemWatch::Stop() {
  if (!thread_.joinable()) return;
  stop_ = true;
  // A signal that lands just before the thread enters its wait is lost: keep sending until
  // the thread has seen the stop.
  {
    std::unique_lock lock(mutex_);
    while (!ended_) {
      Interrupt();
      progress_.wait_for(lock, std::chrono::milliseconds(2));
    }
  }
  thread_.join();
}

bool TModemWatch::WaitForChange(uint64_t seen, int timeoutMs) {
  std::unique_lock lock(mutex_);
  return progress_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    return changes_ > seen || ended_;
  }) && changes_ > seen;
}

void TModemWatch::WaitUntilWaiting() {
  std::unique_lock lock(mutex_);
  progress_.wait(lock, [&] { return waiting_ || ended_; });
}
