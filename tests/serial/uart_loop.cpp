#include "uart_loop.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "com_device_rate.h"
#include "port_fixture.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kLockFile = "/tmp/vantrel-ttyS0.lock";
constexpr auto kLockPatience = 90s;

std::string Reason(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

bool UartLoop::LockTheUart() {
  lockFd_ = ::open(kLockFile, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (lockFd_ < 0) return false;
  const auto deadline = std::chrono::steady_clock::now() + kLockPatience;
  while (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

void UartLoop::SetUp() {
  struct stat st {};
  if (::stat(kPath, &st) != 0) {
    GTEST_SKIP() << "no " << kPath << ": these tests need a 16550-class UART there";
  }
  ASSERT_TRUE(LockTheUart()) << "another test run kept " << kPath << " (" << kLockFile << ")";
  fd = ::open(kPath, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    GTEST_SKIP() << Reason(kPath) << " (these tests need root or the dialout group)";
  }
  serial_struct info{};
  if (::ioctl(fd, TIOCGSERIAL, &info) != 0 || info.type == PORT_UNKNOWN) {
    GTEST_SKIP() << kPath << " is not a UART";
  }
  ASSERT_EQ(::tcgetattr(fd, &savedSettings_), 0) << Reason("tcgetattr");
  ASSERT_EQ(::ioctl(fd, TIOCMGET, &savedBits_), 0) << Reason("TIOCMGET");
  saved_ = true;

  termios raw = savedSettings_;
  ::cfmakeraw(&raw);
  raw.c_cflag |= CLOCAL | CREAD;
  ASSERT_EQ(::tcsetattr(fd, TCSANOW, &raw), 0) << Reason("tcsetattr");
  SetLoopback(true);
  if (!(ModemBits() & kLoop)) GTEST_SKIP() << kPath << " refuses loopback";
  ::tcflush(fd, TCIOFLUSH);
  const char probe = 0x55;
  ASSERT_EQ(::write(fd, &probe, 1), 1) << Reason("write");
  pollfd p{fd, POLLIN, 0};
  char echo = 0;
  if (::poll(&p, 1, 1000) != 1 || ::read(fd, &echo, 1) != 1 || echo != probe) {
    GTEST_SKIP() << kPath << " does not echo in loopback";
  }
  ConfigureLikeTheProgram(port, "COM1");
}

void UartLoop::TearDown() {
  ClearHandlers(port);
  try {
    port.ClosePort();
  } catch (const std::exception& e) {
    ADD_FAILURE() << "closing: " << e.what();
  }
  Restore();
  if (fd >= 0) ::close(fd);
  fd = -1;
  if (lockFd_ >= 0) ::close(lockFd_);  // also releases the lock
  lockFd_ = -1;
}

// Loopback off and the outputs and settings as they were.
void UartLoop::Restore() {
  if (!saved_) return;
  ::tcflush(fd, TCIOFLUSH);
  const int outputs = TIOCM_RTS | TIOCM_DTR | kOut1 | kOut2 | kLoop;
  SetOutputs(outputs & ~savedBits_, false);
  SetOutputs(outputs & savedBits_, true);
  EXPECT_EQ(::tcsetattr(fd, TCSANOW, &savedSettings_), 0) << Reason("restoring the settings");
  saved_ = false;
}

void UartLoop::SetOutputs(int bits, bool on) {
  if (bits == 0) return;
  ASSERT_EQ(::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits), 0) << Reason("TIOCMBIS/TIOCMBIC");
}

void UartLoop::SetLoopback(bool on) {
  SetOutputs(kLoop, on);
}

int UartLoop::ModemBits() {
  int bits = 0;
  EXPECT_EQ(::ioctl(fd, TIOCMGET, &bits), 0) << Reason("TIOCMGET");
  return bits;
}

termios UartLoop::Settings() {
  termios t{};
  EXPECT_EQ(::tcgetattr(fd, &t), 0) << Reason("tcgetattr");
  return t;
}

uint32_t UartLoop::Rate() {
  uint32_t rate = 0;
  EXPECT_EQ(ReadLineRate(fd, &rate), 0);
  return rate;
}

TLineCounters UartLoop::Counters() {
  serial_icounter_struct c{};
  EXPECT_EQ(::ioctl(fd, TIOCGICOUNT, &c), 0) << Reason("TIOCGICOUNT");
  TLineCounters counters;
  counters.cts = c.cts;
  counters.dsr = c.dsr;
  counters.rng = c.rng;
  counters.dcd = c.dcd;
  counters.frame = c.frame;
  counters.overrun = c.overrun;
  counters.parity = c.parity;
  counters.brk = c.brk;
  counters.bufOverrun = c.buf_overrun;
  return counters;
}

void UartLoop::Break(std::chrono::milliseconds length) {
  ASSERT_EQ(::ioctl(fd, TIOCSBRK), 0) << Reason("TIOCSBRK");
  std::this_thread::sleep_for(length);
  ASSERT_EQ(::ioctl(fd, TIOCCBRK), 0) << Reason("TIOCCBRK");
}
