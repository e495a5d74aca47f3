#include "virtual_controller.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>

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

TVirtualServoController::TVirtualServoController() : board_(MakeFrameBoard()) {
  for (int i = 1; i <= 6; ++i) {
    config_.servos[i] = {i, 0, 254};
    ChannelOf(i).present = ChannelOf(i).target = 127;
  }
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
  // Answers go out without waiting: a host that never reads loses them, as on a real line.
  ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
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
  // Addresses belong to the program's own frames; a board of another family keeps its channels.
  if (family() != BoardFamily::Vantrel) return;
  BoardConfig config;
  for (int i = 1; i <= 6; ++i) config.servos[i] = {static_cast<uint8_t>(address[i]), 0, 254};
  SetBoard(config);
}

void TVirtualServoController::SetBoard(const BoardConfig& config) {
  std::lock_guard lock(mutex_);
  int32_t pose[7] = {};
  for (int i = 1; i <= 6; ++i) pose[i] = PositionOf(i, ChannelOf(i).present);
  if (config.family != config_.family) board_ = MakeVirtualBoard(config.family);
  config_ = config;
  for (int i = 1; i <= 6; ++i) {
    BoardChannel& c = ChannelOf(i);
    c.present = c.target = UnitsOf(i, pose[i]);
  }
}

void TVirtualServoController::SetPose(const int32_t position[7]) {
  std::lock_guard lock(mutex_);
  for (int i = 1; i <= 6; ++i) {
    BoardChannel& c = ChannelOf(i);
    c.present = c.target = UnitsOf(i, position[i]);
  }
}

void TVirtualServoController::ForgetTargets() {
  std::lock_guard lock(mutex_);
  for (int i = 1; i <= 6; ++i) ChannelOf(i).present = ChannelOf(i).target = 0;
}

bool TVirtualServoController::MoveByHand(int servo, int32_t position) {
  bool moved = false;
  std::function<void()> notify;
  {
    std::lock_guard lock(mutex_);
    moved = board_->MoveByHand(config_.servos[servo].channel, UnitsOf(servo, position));
    notify = onChange_;
  }
  if (moved && notify) notify();
  return moved;
}

void TVirtualServoController::SetHealth(int servo, int32_t celsius, bool overload) {
  std::lock_guard lock(mutex_);
  ChannelOf(servo).celsius = celsius;
  ChannelOf(servo).overload = overload;
}

void TVirtualServoController::SetAnswering(int servo, bool answers) {
  std::lock_guard lock(mutex_);
  ChannelOf(servo).answers = answers;
}

int32_t TVirtualServoController::UnitsOf(int servo, int32_t position) const {
  const BoardServo& s = config_.servos[servo];
  return s.low + static_cast<int32_t>(std::lround((int64_t{s.high} - s.low) * position / 254.0));
}

int32_t TVirtualServoController::PositionOf(int servo, int32_t units) const {
  const BoardServo& s = config_.servos[servo];
  if (s.high == s.low) return 0;
  return static_cast<int32_t>(std::lround((int64_t{units} - s.low) * 254.0 / (s.high - s.low)));
}

TVirtualServoController::Snapshot TVirtualServoController::State() const {
  std::lock_guard lock(mutex_);
  Snapshot s;
  for (int i = 1; i <= 6; ++i) {
    const BoardChannel& c = board_->channel(config_.servos[i].channel);
    s.position[i] = PositionOf(i, c.present);
    s.limp[i] = !c.torque;
  }
  s.frames = board_->moves();
  s.badFrames = board_->badCommands();
  s.queries = board_->queries();
  return s;
}

void TVirtualServoController::SetListener(std::function<void()> listener) {
  std::lock_guard lock(mutex_);
  onChange_ = std::move(listener);
}

uint64_t TVirtualServoController::WaitForFrames(
    uint64_t seen, std::chrono::steady_clock::time_point deadline) const {
  std::unique_lock lock(mutex_);
  auto count = [this] { return board_->moves() + board_->badCommands(); };
  taken_.wait_until(lock, deadline, [&] { return count() != seen; });
  return count();
}

std::string TVirtualServoController::Take(std::string_view bytes) {
  std::function<void()> notify;
  std::string reply;
  {
    std::lock_guard lock(mutex_);
    // The counts run on over reopenings of the port.
    reply = board_->Take(bytes);
    notify = onChange_;
  }
  taken_.notify_all();
  if (notify) notify();
  return reply;
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
        const std::string reply = Take(std::string_view(buffer, static_cast<size_t>(n)));
        if (!reply.empty()) {
          [[maybe_unused]] const ssize_t sent = ::write(master_, reply.data(), reply.size());
        }
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
