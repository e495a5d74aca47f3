#include "com_device.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "com_device_rate.h"

namespace {

constexpr uint32_t kMaxDword = 0xFFFFFFFFu;
// TIOCM_LOOP, which glibc's headers leave out.
constexpr int kModemLoop = 0x8000;

// Bounds of one sleep while the output queue drains: the time a byte takes at the fastest
// rates, and a look now and then under a handshake that holds the line.
constexpr int64_t kMinDrainPauseNs = 100000;
constexpr int64_t kMaxDrainPauseNs = 50000000;

// A tty without modem lines or line counters (a pseudo-terminal) answers so.
bool NoSuchFacility(int error) {
  return error == ENOTTY || error == EINVAL;
}

// A pseudo-terminal's slave hands what it is given straight to the other side: it has no
// output queue to wait on, and TIOCOUTQ always answers 0 there.
bool IsPtySlave(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return false;
  const unsigned kind = major(st.st_rdev);
  return kind == 3 || (kind >= 136 && kind <= 143);
}

// Milliseconds left until `deadline`, for poll(): never negative, -1 without a deadline.
int MillisLeft(TComClock::time_point deadline, bool hasDeadline) {
  if (!hasDeadline) return -1;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - TComClock::now());
  return static_cast<int>(std::clamp<int64_t>(left.count(), 0, INT_MAX));
}

speed_t StandardSpeed(uint32_t rate) {
  struct Pair {
    uint32_t rate;
    speed_t speed;
  };
  static constexpr Pair kSpeeds[] = {
      {50, B50},       {75, B75},         {110, B110},       {134, B134},       {150, B150},
      {200, B200},     {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
      {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
      {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600}};
  for (const Pair& p : kSpeeds) {
    if (p.rate == rate) return p.speed;
  }
  return B0;
}

bool IsComName(const std::string& port, unsigned* number) {
  if (port.size() < 4 || port.size() > 9) return false;
  for (size_t i = 0; i < 3; ++i) {
    if ((port[i] & ~0x20) != "COM"[i]) return false;
  }
  unsigned n = 0;
  for (size_t i = 3; i < port.size(); ++i) {
    if (port[i] < '0' || port[i] > '9') return false;
    n = n * 10 + static_cast<unsigned>(port[i] - '0');
  }
  *number = n;
  return n >= 1;
}

}  // namespace

std::string PortDevicePath(const std::string& port) {
  if (port.empty()) return {};
  if (port.front() == '/') return port;
  unsigned number = 0;
  if (IsComName(port, &number)) return "/dev/ttyS" + std::to_string(number - 1);
  return "/dev/" + port;
}

TComDevice::~TComDevice() {
  Close();
}

int TComDevice::Open(const std::string& path) {
  Close();
  if (path.empty()) return ENOENT;
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno;
  // Anything but a terminal is no serial port (and may not like our ioctls).
  if (!::isatty(fd)) {
    ::close(fd);
    return ENOTTY;
  }
  // The lock first: root passes TIOCEXCL, and clearing a flag another holder set would
  // take its exclusivity away.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
    const int error = errno;
    ::close(fd);
    return error;
  }
  fd_ = fd;
  outputQueue_ = !IsPtySlave(fd);
  return 0;
}

void TComDevice::Close() {
  if (fd_ < 0) return;
  ::ioctl(fd_, TIOCNXCL);  // fails harmlessly on a vanished device
  ::close(fd_);            // also releases the lock
  fd_ = -1;
  rtsToggle_ = false;
  markedInput_ = false;
}

int TComDevice::SetLine(const TDcb& dcb) {
  if (fd_ < 0) return EBADF;
  const uint32_t dtr = (dcb.Flags & dcb::fDtrControlMask) >> dcb::fDtrControlShift;
  const uint32_t rts = (dcb.Flags & dcb::fRtsControlMask) >> dcb::fRtsControlShift;
  // Linux has no DSR output flow, DTR handshake or DSR sensitivity.
  if ((dcb.Flags & (dcb::fOutxDsrFlow | dcb::fDsrSensitivity)) || dtr > 1) return EINVAL;
  if (dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > 4 || dcb.StopBits > 2) return EINVAL;
  // The line hardware gives one and a half stop bits only with five data bits.
  if (dcb.StopBits == 1 && dcb.ByteSize != 5) return EINVAL;
  if (dcb.BaudRate == 0 || dcb.BaudRate > INT_MAX) return EINVAL;

  termios t{};
  if (::tcgetattr(fd_, &t) != 0) return errno;
  t.c_iflag = 0;
  t.c_oflag = 0;
  t.c_lflag = 0;
  std::fill(std::begin(t.c_cc), std::end(t.c_cc), 0);
  tcflag_t cflag = CREAD | CLOCAL;
  static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
  cflag |= kSizes[dcb.ByteSize - 5];
  switch (dcb.Parity) {
    case 1:
      cflag |= PARENB | PARODD;
      break;
    case 2:
      cflag |= PARENB;
      break;
    case 3:
      cflag |= PARENB | CMSPAR | PARODD;
      break;
    case 4:
      cflag |= PARENB | CMSPAR;
      break;
    default:
      break;
  }
  if (dcb.StopBits != 0) cflag |= CSTOPB;
  if ((dcb.Flags & dcb::fOutxCtsFlow) || rts == 2) cflag |= CRTSCTS;
  // Marked errors let the reader pass a bad byte on or replace it, as the settings say.
  if (dcb.Flags & dcb::fParity) t.c_iflag |= INPCK | PARMRK;
  if (dcb.Flags & dcb::fOutX) t.c_iflag |= IXON;
  if (dcb.Flags & dcb::fInX) t.c_iflag |= IXOFF;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  t.c_cc[VSTART] = dcb.XonChar;
  t.c_cc[VSTOP] = dcb.XoffChar;

  const speed_t speed = StandardSpeed(dcb.BaudRate);
  if (speed != B0) {
    t.c_cflag = cflag;
    ::cfsetispeed(&t, speed);
    ::cfsetospeed(&t, speed);
    if (::tcsetattr(fd_, TCSANOW, &t) != 0) return errno;
  } else {
    const int error = SetLineWithRate(fd_, t.c_iflag, t.c_oflag, cflag, t.c_lflag, t.c_cc,
                                      sizeof t.c_cc, dcb.BaudRate);
    if (error != 0) return error;
  }

  // DTR and RTS held as asked; under handshake the driver moves RTS itself.
  if (const int error = SetModemLine(TIOCM_DTR, dtr == 1)) return error;
  if (rts != 2) {
    if (const int error = SetModemLine(TIOCM_RTS, rts == 1)) return error;
  }
  rtsToggle_ = rts == 3;
  markedInput_ = (dcb.Flags & dcb::fParity) != 0;
  // Start bit, data bits, parity, stop bits (one and a half counted as two).
  const uint32_t bits = 1 + dcb.ByteSize + (dcb.Parity != 0 ? 1 : 0) + (dcb.StopBits != 0 ? 2 : 1);
  byteNanos_ = static_cast<int64_t>(uint64_t{bits} * 1000000000u / dcb.BaudRate);
  return 0;
}

int TComDevice::SetModemLine(int line, bool on) {
  if (::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line) == 0) return 0;
  return NoSuchFacility(errno) ? 0 : errno;
}

int TComDevice::SetTimeouts(const TCommTimeouts& timeouts) {
  if (fd_ < 0) return EBADF;
  timeouts_ = timeouts;
  return 0;
}

int TComDevice::SetQueueSizes(int input, int output) {
  if (fd_ < 0) return EBADF;
  inputSize_ = input;
  outputSize_ = output;
  return 0;
}

int TComDevice::InputHighWater() const {
  const int input = inputSize_.load();
  const int size = input > 0 ? std::min(input, kKernelInputBuffer) : kKernelInputBuffer;
  return std::max(1, size * 8 / 10);
}

int TComDevice::StartWrite(const char* data, size_t count, size_t* written) {
  *written = 0;
  if (fd_ < 0) return EBADF;
  if (rtsToggle_) {
    if (const int error = SetModemLine(TIOCM_RTS, true)) return error;
  }
  const ssize_t n = ::write(fd_, data, count);
  if (n >= 0) {
    *written = static_cast<size_t>(n);
    return 0;
  }
  return errno == EAGAIN ? 0 : errno;
}

int TComDevice::FinishWrite(const char* data, size_t count, size_t* written,
                            TComClock::time_point deadline, bool hasDeadline, bool* timedOut) {
  *timedOut = false;
  int error = fd_ < 0 ? EBADF : 0;
  while (error == 0 && *written < count) {
    pollfd fds[2] = {{fd_, POLLOUT, 0}, {cancelFd_, POLLIN, 0}};
    const pollfd& p = fds[0];
    const int ready = ::poll(fds, 2, MillisLeft(deadline, hasDeadline));
    if (ready < 0) {
      if (errno != EINTR) error = errno;
      continue;
    }
    if (fds[1].revents & POLLIN) {
      error = ECANCELED;
      break;
    }
    if (ready == 0) {
      *timedOut = true;
      break;
    }
    const ssize_t n = ::write(fd_, data + *written, count - *written);
    if (n > 0) {
      *written += static_cast<size_t>(n);
    } else if (n < 0 && errno != EAGAIN) {
      error = errno;
    } else if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) {
      error = EIO;  // the line is gone but the write did not say why
    }
  }
  // tcdrain cannot time out: watch the queue instead, sleeping about as long as the bytes
  // still queued take on the line rather than polling it.
  while (error == 0 && !*timedOut && outputQueue_) {
    int queued = 0;
    if (::ioctl(fd_, TIOCOUTQ, &queued) != 0) {
      if (!NoSuchFacility(errno)) error = errno;
      break;
    }
    if (queued == 0) break;
    const int left = MillisLeft(deadline, hasDeadline);
    if (left == 0) {
      *timedOut = true;
      break;
    }
    int64_t pause = std::clamp<int64_t>(queued * byteNanos_, kMinDrainPauseNs, kMaxDrainPauseNs);
    if (left > 0) pause = std::min<int64_t>(pause, int64_t{left} * 1000000);
    const timespec span{static_cast<time_t>(pause / 1000000000),
                        static_cast<long>(pause % 1000000000)};
    // Sleeps, unless a stop is asked for meanwhile (a negative descriptor is not watched).
    pollfd cancel{cancelFd_, POLLIN, 0};
    if (::ppoll(&cancel, 1, &span, nullptr) > 0 && (cancel.revents & POLLIN)) error = ECANCELED;
  }
  if (rtsToggle_ && fd_ >= 0) {
    const int dropped = SetModemLine(TIOCM_RTS, false);
    if (error == 0) error = dropped;
  }
  return error;
}

int TComDevice::Read(char* buffer, size_t count, size_t* got) {
  *got = 0;
  if (fd_ < 0) return EBADF;
  const TCommTimeouts& t = timeouts_;
  const bool returnAtOnce = t.ReadIntervalTimeout == kMaxDword &&
                            t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0;
  const bool firstByteOnly =
      t.ReadIntervalTimeout == kMaxDword && t.ReadTotalTimeoutMultiplier == kMaxDword &&
      t.ReadTotalTimeoutConstant > 0 && t.ReadTotalTimeoutConstant < kMaxDword;
  const bool hasTotal = t.ReadTotalTimeoutMultiplier != 0 || t.ReadTotalTimeoutConstant != 0;
  const bool hasInterval = t.ReadIntervalTimeout != 0 && t.ReadIntervalTimeout != kMaxDword;
  const uint64_t totalMs =
      firstByteOnly ? t.ReadTotalTimeoutConstant
                    : uint64_t{t.ReadTotalTimeoutMultiplier} * count + t.ReadTotalTimeoutConstant;
  const auto start = TComClock::now();
  const auto deadline = start + std::chrono::milliseconds(std::min<uint64_t>(totalMs, INT_MAX));
  auto lastByte = start;

  while (*got < count) {
    const ssize_t n = ::read(fd_, buffer + *got, count - *got);
    if (n > 0) {
      *got += static_cast<size_t>(n);
      lastByte = TComClock::now();
      continue;
    }
    if (n == 0) return EIO;  // hung up
    if (errno == EINTR) continue;
    if (errno != EAGAIN) return errno;
    if (returnAtOnce || (firstByteOnly && *got > 0)) break;
    int wait = MillisLeft(deadline, hasTotal || firstByteOnly);
    if (hasInterval && *got > 0) {
      const int gap = MillisLeft(lastByte + std::chrono::milliseconds(t.ReadIntervalTimeout), true);
      wait = wait < 0 ? gap : std::min(wait, gap);
    }
    if (wait == 0) break;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, wait) < 0 && errno != EINTR) return errno;
  }
  return 0;
}

int TComDevice::InputCount(int* count) const {
  *count = 0;
  if (fd_ < 0) return EBADF;
  return ::ioctl(fd_, FIONREAD, count) == 0 ? 0 : errno;
}

int TComDevice::OutputCount(int* count) const {
  *count = 0;
  if (fd_ < 0) return EBADF;
  if (::ioctl(fd_, TIOCOUTQ, count) == 0) return 0;
  return NoSuchFacility(errno) ? 0 : errno;
}

int TComDevice::ModemStatus(TModemLineSet* lines, bool* hasLines) const {
  *lines = {};
  *hasLines = false;
  if (fd_ < 0) return EBADF;
  int bits = 0;
  if (::ioctl(fd_, TIOCMGET, &bits) != 0) return NoSuchFacility(errno) ? 0 : errno;
  *hasLines = true;
  if (bits & TIOCM_CTS) lines->Add(sigCTS);
  if (bits & TIOCM_DSR) lines->Add(sigDSR);
  if (bits & TIOCM_RNG) lines->Add(sigRing);
  if (bits & TIOCM_CAR) lines->Add(sigRLSD);
  return 0;
}

int TComDevice::Counters(TLineCounters* counters, bool* hasCounters) const {
  *counters = {};
  *hasCounters = false;
  if (fd_ < 0) return EBADF;
  serial_icounter_struct c{};
  if (::ioctl(fd_, TIOCGICOUNT, &c) != 0) return NoSuchFacility(errno) ? 0 : errno;
  *hasCounters = true;
  *counters = {c.cts, c.dsr, c.rng, c.dcd, c.frame, c.overrun, c.parity, c.brk, c.buf_overrun};
  return 0;
}

int TComDevice::WaitModemChange(TModemLineSet lines) const {
  if (fd_ < 0) return EBADF;
  int bits = 0;
  if (lines.Has(sigCTS)) bits |= TIOCM_CTS;
  if (lines.Has(sigDSR)) bits |= TIOCM_DSR;
  if (lines.Has(sigRing)) bits |= TIOCM_RNG;
  if (lines.Has(sigRLSD)) bits |= TIOCM_CD;
  return ::ioctl(fd_, TIOCMIWAIT, bits) == 0 ? 0 : errno;
}

bool TComDevice::InLoopback() const {
  int bits = 0;
  return fd_ >= 0 && ::ioctl(fd_, TIOCMGET, &bits) == 0 && (bits & kModemLoop) != 0;
}

int TComDevice::PulseRts() {
  if (fd_ < 0) return EBADF;
  int bits = 0;
  if (::ioctl(fd_, TIOCMGET, &bits) != 0) return errno;
  const bool on = (bits & TIOCM_RTS) != 0;
  if (const int error = SetModemLine(TIOCM_RTS, !on)) return error;
  return SetModemLine(TIOCM_RTS, on);
}

int TComDevice::Flush(bool input, bool output) {
  if (fd_ < 0) return EBADF;
  if (!input && !output) return 0;
  const int queue = input && output ? TCIOFLUSH : (input ? TCIFLUSH : TCOFLUSH);
  return ::tcflush(fd_, queue) == 0 ? 0 : errno;
}

TEventWatch::TEventWatch(const TComDevice& device) : device_(device.Handle()) {
  epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
  wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (epoll_ < 0 || wake_ < 0) {
    error_ = errno;
    return;
  }
  // Edge-triggered: one report per arrival, none for bytes that just wait unread.
  epoll_event onDevice{};
  onDevice.events = EPOLLIN | EPOLLET;
  onDevice.data.u32 = 0;
  epoll_event onWake{};
  onWake.events = EPOLLIN;
  onWake.data.u32 = 1;
  if (::epoll_ctl(epoll_, EPOLL_CTL_ADD, device_, &onDevice) != 0 ||
      ::epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &onWake) != 0) {
    error_ = errno;
  }
}

TEventWatch::~TEventWatch() {
  if (epoll_ >= 0) ::close(epoll_);
  if (wake_ >= 0) ::close(wake_);
}

void TEventWatch::Wake() {
  const uint64_t one = 1;
  if (wake_ >= 0) (void)!::write(wake_, &one, sizeof one);
}

TEventWatch::Result TEventWatch::Wait(int timeoutMs) {
  Result result;
  if (error_ != 0) {
    result.error = error_;
    return result;
  }
  epoll_event events[2];
  const int n = ::epoll_wait(epoll_, events, 2, timeoutMs);
  if (n < 0) {
    if (errno != EINTR) result.error = errno;
    return result;
  }
  for (int i = 0; i < n; ++i) {
    if (events[i].data.u32 == 1) {
      uint64_t count = 0;
      (void)!::read(wake_, &count, sizeof count);
      result.woken = true;
    } else if (events[i].events & (EPOLLHUP | EPOLLERR)) {
      result.hangup = true;
    } else if (events[i].events & EPOLLIN) {
      result.input = true;
    }
  }
  return result;
}
