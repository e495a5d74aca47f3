// Watches for a vanished serial device to come back under its path and has the port reopen
// it. A look every half second: cheap, and soon enough for an operator plugging a cable in.
#pragma once

#include <QTimer>
#include <functional>
#include <string>

class TComReconnectWatch {
 public:
  // `reopen` tries to open the port again; true when it is open.
  explicit TComReconnectWatch(std::function<bool()> reopen);

  // Watches `path`; an empty path (a device in software) is simply tried at every look.
  void Start(const std::string& path);
  void Stop() { timer_.stop(); }
  bool Active() const { return timer_.isActive(); }

 private:
  void Look();

  QTimer timer_;
  std::string path_;
  std::function<bool()> reopen_;
};
