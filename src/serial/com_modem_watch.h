// Waits for changes of the modem inputs on a thread of its own: a tty's poll never reports
// them, and the driver's change wait (TIOCMIWAIT) blocks with no way to add a wake-up but a
// signal. The thread sleeps until a line changes; nothing is sampled.
#pragma once

#include <pthread.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

class TModemWatch {
 public:
  // `wait` blocks until a change and answers 0, EINTR when a signal ended it, or another
  // error when it cannot wait. `changed` runs on the watch thread after every change and once
  // when the wait fails for good.
  TModemWatch(std::function<int()> wait, std::function<void()> changed);
  ~TModemWatch();
  TModemWatch(const TModemWatch&) = delete;
  TModemWatch& operator=(const TModemWatch&) = delete;

  // Makes the thread wait afresh: the driver arms its change interrupts as the wait starts,
  // and new line settings may have disarmed them.
  void Rearm();
  // Ends the wait and the thread; returns once the thread is gone.
  void Stop();

  // The wait failed for good (the thread has ended): ENOTTY or EINVAL means the driver
  // cannot wait for changes at all.
  int Failure() const { return failure_.load(); }
  uint64_t Changes() const { return changes_.load(); }
  // Waits up to `timeoutMs` for Changes() to pass `seen`.
  bool WaitForChange(uint64_t seen, int timeoutMs);
  // Waits until the thread has gone into its first wait (or ended).
  void WaitUntilWaiting();

 private:
  void Run();
  void Interrupt();

  std::function<int()> wait_;
  std::function<void()> changed_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> ended_{false};
  std::atomic<bool> waiting_{false};
  std::atomic<int> failure_{0};
  std::atomic<uint64_t> changes_{0};
  std::mutex mutex_;
  std::condition_variable progress_;
  std::thread thread_;  // last: starts once everything above exists
};
