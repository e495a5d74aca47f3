// Calls that the serial event thread hands to the main thread. The main thread runs them from
// its event loop (QCoreApplication::processEvents serves them too) and, while it waits for the
// event thread to end, from ServeFor.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

class QObject;

class TMainThreadQueue {
 public:
  // Construct on the main thread: the calls are delivered to that thread.
  TMainThreadQueue();
  ~TMainThreadQueue();
  TMainThreadQueue(const TMainThreadQueue&) = delete;
  TMainThreadQueue& operator=(const TMainThreadQueue&) = delete;

  // From another thread: runs `call` on the main thread and waits until it has run; the error
  // it raised comes back. Once `abandon` is set the wait ends as soon as the call is running,
  // so a call that is itself waiting for this thread to end cannot hold it.
  std::exception_ptr Run(std::function<void()> call, const std::atomic<bool>& abandon);
  // Non-blocking: `call` runs later from the main thread's event loop (not from ServeFor).
  void Post(std::function<void()> call);

  // On the main thread: runs every call that is waiting.
  void Serve();
  // On the main thread: waits up to `timeout` for a call or a Notify, then serves.
  void ServeFor(std::chrono::milliseconds timeout);
  // Wakes ServeFor and every Run that may now give up.
  void Notify();

 private:
  struct Request {
    std::function<void()> call;
    bool running = false;
    bool done = false;
    std::exception_ptr error;
  };

  std::mutex mutex_;
  std::condition_variable requested_;
  std::condition_variable finished_;
  std::deque<std::shared_ptr<Request>> queue_;
  bool notified_ = false;
  std::unique_ptr<QObject> receiver_;
};
