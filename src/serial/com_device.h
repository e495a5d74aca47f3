// The serial device itself: the only code that opens, configures, polls, reads and writes the
// tty. Every call answers 0 or an errno; the port turns those into its messages.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "com_types.h"

// Line settings in the classic serial-port record layout: the port fills it from its
// settings alone and the device gives every field its meaning on Linux.
struct TDcb {
  uint32_t DCBlength = 28;
  uint32_t BaudRate = 0;
  uint32_t Flags = 0;
  uint16_t XonLim = 0;
  uint16_t XoffLim = 0;
  uint8_t ByteSize = 8;
  uint8_t Parity = 0;    // 0..4: none, odd, even, mark, space
  uint8_t StopBits = 0;  // 0, 1, 2: one, one and a half, two
  uint8_t XonChar = 0;
  uint8_t XoffChar = 0;
  uint8_t ErrorChar = 0;
  uint8_t EofChar = 0;
  uint8_t EvtChar = 0;
};

namespace dcb {
inline constexpr uint32_t fBinary = 0x0001;
inline constexpr uint32_t fParity = 0x0002;
inline constexpr uint32_t fOutxCtsFlow = 0x0004;
inline constexpr uint32_t fOutxDsrFlow = 0x0008;
inline constexpr uint32_t fDtrControlShift = 4;  // two bits: 0, 1, 2
inline constexpr uint32_t fDtrControlMask = 0x0030;
inline constexpr uint32_t fDsrSensitivity = 0x0040;
inline constexpr uint32_t fTXContinueOnXoff = 0x0080;
inline constexpr uint32_t fOutX = 0x0100;
inline constexpr uint32_t fInX = 0x0200;
inline constexpr uint32_t fErrorChar = 0x0400;
inline constexpr uint32_t fNull = 0x0800;
inline constexpr uint32_t fRtsControlShift = 12;  // two bits: 0, 1, 2, 3
inline constexpr uint32_t fRtsControlMask = 0x3000;
}  // namespace dcb

// Time-outs in milliseconds with the classic meaning; all bits set (0xFFFFFFFF) is "maximum".
struct TCommTimeouts {
  uint32_t ReadIntervalTimeout = 0;
  uint32_t ReadTotalTimeoutMultiplier = 0;
  uint32_t ReadTotalTimeoutConstant = 0;
  uint32_t WriteTotalTimeoutMultiplier = 0;
  uint32_t WriteTotalTimeoutConstant = 0;
};

// The kernel's running counters of line events (TIOCGICOUNT).
struct TLineCounters {
  int cts = 0, dsr = 0, rng = 0, dcd = 0;
  int frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
};

using TComClock = std::chrono::steady_clock;

// The device path of a port name: "COMn" is /dev/ttyS(n-1), a name that starts with "/" is a
// path, any other name lives under /dev. An empty name has no path.
std::string PortDevicePath(const std::string& port);

class TComDevice {
 public:
  // The kernel's own input buffer: the most a tty holds unread.
  static constexpr int kKernelInputBuffer = 4096;

  TComDevice() = default;
  ~TComDevice();
  TComDevice(const TComDevice&) = delete;
  TComDevice& operator=(const TComDevice&) = delete;

  // Opens a tty exclusively: no second opener, not even another program of root's.
  int Open(const std::string& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  int Handle() const { return fd_; }

  int SetLine(const TDcb& dcb);
  int SetTimeouts(const TCommTimeouts& timeouts);
  int SetQueueSizes(int input, int output);
  // The input count at which the queue counts as 80 % full.
  int InputHighWater() const;
  void SetEventMask(uint32_t mask) { eventMask_ = mask; }
  uint32_t EventMask() const { return eventMask_; }

  // One write attempt without waiting (RTS raised first under rtsToggle).
  int StartWrite(const char* data, size_t count, size_t* written);
  // Writes the rest as room appears and waits for the output queue to drain, until the
  // deadline; a deadline that passes is not a failure (*timedOut tells). ECANCELED: the
  // cancel descriptor became readable meanwhile.
  int FinishWrite(const char* data, size_t count, size_t* written, TComClock::time_point deadline,
                  bool hasDeadline, bool* timedOut);
  // Reads up to `count` bytes as the read time-outs decide.
  int Read(char* buffer, size_t count, size_t* got);

  int InputCount(int* count) const;
  int OutputCount(int* count) const;
  // Without modem lines (a pseudo-terminal) the set is empty and *hasLines false.
  int ModemStatus(TModemLineSet* lines, bool* hasLines) const;
  int Counters(TLineCounters* counters, bool* hasCounters) const;
  // Blocks until one of the modem inputs in `lines` changes. EINTR: a signal ended the wait;
  // ENOTTY or EINVAL: the driver cannot wait so.
  int WaitModemChange(TModemLineSet lines) const;
  // The UART runs in loopback: its modem inputs follow its own outputs, the line is cut off.
  bool InLoopback() const;
  // Flips RTS and puts it back.
  int PulseRts();
  int Flush(bool input, bool output);

  bool ChecksParity() const { return markedInput_; }
  // A descriptor that, once readable, ends a write in progress (a stop asked for by a signal
  // handler through a pipe); -1 for none.
  void SetCancelFd(int fd) { cancelFd_ = fd; }

 private:
  int SetModemLine(int line, bool on);

  int fd_ = -1;
  int cancelFd_ = -1;
  TCommTimeouts timeouts_;
  std::atomic<int> inputSize_{0};  // the event thread reads it
  int outputSize_ = 0;
  uint32_t eventMask_ = 0;
  bool rtsToggle_ = false;
  bool markedInput_ = false;
  bool outputQueue_ = true;      // false where a write is out once write() took it
  int64_t byteNanos_ = 1041666;  // one byte at 9600 baud, 8N1
};

// Waits for activity on a device or for a wake-up from another thread, without spinning:
// input is reported once per arrival, not while unread bytes merely sit there.
class TEventWatch {
 public:
  struct Result {
    bool input = false;
    bool hangup = false;
    bool woken = false;
    int error = 0;
  };

  explicit TEventWatch(const TComDevice& device);
  ~TEventWatch();
  TEventWatch(const TEventWatch&) = delete;
  TEventWatch& operator=(const TEventWatch&) = delete;

  int error() const { return error_; }
  void Wake();
  Result Wait(int timeoutMs);

 private:
  int epoll_ = -1;
  int wake_ = -1;
  int device_ = -1;
  int error_ = 0;
};
