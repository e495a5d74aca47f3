#include "virtual_controller.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "virtual_devices.h"

bool IsVirtualPortName(const std::string& port) {
  if (port.size() != 3) return false;
  std::string lower = port;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower == "sim";
}

void RegisterVirtualServoController() {
  RegisterVirtualDevice(
      "sim", {[](std::string* path) { return TVirtualServoController::Instance().Start(path); },
              [] { TVirtualServoController::Instance().Stop(); }});
}

TVirtualServoController& TVirtualServoController::Instance() {
  static TVirtualServoController controller;
  return controller;
}

TVirtualServoController::~TVirtualServoController() {
  Stop();
}

int TVirtualServoController::Start(std::string* slavePath) {
  Stop();
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0) return errno;
  char name[128];
  if (::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
      ::ptsname_r(master, name, sizeof name) != 0) {
    const int error = errno;
    ::close(master);
    return error;
  }
  const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake < 0) {
    const int error = errno;
    ::close(master);
    return error;
  }
  master_ = master;
  wake_ = wake;
  {
    std::lock_guard lock(mutex_);
    decoder_.Reset();
  }
  *slavePath = name;
  listener_ = std::thread([this] { Listen(); });
  return 0;
}

void TVirtualServoController::Stop() {
  if (master_ < 0) return;
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = ::write(wake_, &one, sizeof one);
  if (listener_.joinable()) listener_.join();
  ::close(master_);
  ::close(wake_);
  master_ = wake_ = -1;
}

void TVirtualServoController::SetAddresses(const int32_t address[7]) {
  std::lock_guard lock(mutex_);
  std::copy(address, address + 7, address_);
}

TVirtualServoController::Snapshot TVirtualServoController::State() const {
  std::lock_guard lock(mutex_);
  return state_;
}

void TVirtualServoController::SetListener(std::function<void()> listener) {
  std::lock_guard lock(mutex_);
  onChange_ = std::move(listener);
}

uint64_t TVirtualServoController::WaitForFrames(
    uint64_t seen, std::chrono::steady_clock::time_point deadline) const {
  std::unique_lock lock(mutex_);
  auto count = [this] { return state_.frames + state_.badFrames; };
  taken_.wait_until(lock, deadline, [&] { return count() != seen; });
  return count();
}

void TVirtualServoController::Take(const DecodedFrame& frame) {
  // Called with the mutex held. A frame for an address no servo has is counted but moves
  // nothing, as a real controller would ignore it.
  for (int i = 1; i <= 6; ++i) {
    if (static_cast<uint8_t>(address_[i]) == frame.address()) state_.position[i] = frame.position;
  }
}

void TVirtualServoController::Listen() {
  char buffer[4096];
  for (;;) {
    pollfd fds[2] = {{master_, POLLIN, 0}, {wake_, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    if (fds[0].revents & POLLIN) {
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n > 0) {
        std::function<void()> notify;
        {
          std::lock_guard lock(mutex_);
          const uint64_t good = decoder_.goodFrames();
          const uint64_t bad = decoder_.badFrames();
          decoder_.Feed(std::string_view(buffer, static_cast<size_t>(n)),
                        [this](const DecodedFrame& frame) { Take(frame); });
          // The counts run on over reopenings of the port.
          state_.frames += decoder_.goodFrames() - good;
          state_.badFrames += decoder_.badFrames() - bad;
          notify = onChange_;
        }
        taken_.notify_all();
        if (notify) notify();
        continue;
      }
    }
    // With no slave open a pty master reports POLLHUP without end; wait for the port to come
    // back rather than spin.
    if (fds[0].revents & (POLLHUP | POLLERR)) {
      pollfd wake{wake_, POLLIN, 0};
      if (::poll(&wake, 1, 20) > 0) return;
    }
  }
}
