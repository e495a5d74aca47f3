#include "main_thread_queue.h"

#include <QMetaObject>
#include <QObject>

#include <utility>

TMainThreadQueue::TMainThreadQueue() : receiver_(std::make_unique<QObject>()) {}

// Destroying the receiver drops whatever is still posted to it.
TMainThreadQueue::~TMainThreadQueue() = default;

std::exception_ptr TMainThreadQueue::Run(std::function<void()> call,
                                         const std::atomic<bool>& abandon) {
  auto request = std::make_shared<Request>();
  request->call = std::move(call);
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(request);
  }
  requested_.notify_all();
  QMetaObject::invokeMethod(
      receiver_.get(), [this] { Serve(); }, Qt::QueuedConnection);

  std::unique_lock lock(mutex_);
  finished_.wait(lock, [&] { return request->done || (request->running && abandon.load()); });
  return request->done ? request->error : nullptr;
}

void TMainThreadQueue::Post(std::function<void()> call) {
  QMetaObject::invokeMethod(receiver_.get(), std::move(call), Qt::QueuedConnection);
}

void TMainThreadQueue::Serve() {
  for (;;) {
    std::shared_ptr<Request> request;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) return;
      request = std::move(queue_.front());
      queue_.pop_front();
      request->running = true;
    }
    std::exception_ptr error;
    try {
      request->call();
    } catch (...) {
      error = std::current_exception();
    }
    {
      std::lock_guard lock(mutex_);
      request->error = error;
      request->done = true;
    }
    finished_.notify_all();
  }
}

void TMainThreadQueue::ServeFor(std::chrono::milliseconds timeout) {
  {
    std::unique_lock lock(mutex_);
    requested_.wait_for(lock, timeout, [this] { return !queue_.empty() || notified_; });
    notified_ = false;
  }
  Serve();
}

void TMainThreadQueue::Notify() {
  {
    std::lock_guard lock(mutex_);
    notified_ = true;
  }
  requested_.notify_all();
  finished_.notify_all();
}
