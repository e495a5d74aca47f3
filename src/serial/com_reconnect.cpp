#include "com_reconnect.h"

#include <unistd.h>

#include <utility>

namespace {
constexpr int kLookIntervalMs = 500;
}

TComReconnectWatch::TComReconnectWatch(std::function<bool()> reopen) : reopen_(std::move(reopen)) {
  timer_.setInterval(kLookIntervalMs);
  QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
}

void TComReconnectWatch::Start(const std::string& path) {
  path_ = path;
  timer_.start();
}

void TComReconnectWatch::Look() {
  // Until the path is there again an open could only fail; a device that is there but not
  // ready yet (its permissions still being set) is tried again at the next look.
  if (!path_.empty() && ::access(path_.c_str(), F_OK) != 0) return;
  if (reopen_()) timer_.stop();
}
