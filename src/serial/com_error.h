// Every failure of the serial port component: a message number 1..23 and, for a failed
// system call, the errno at that call.
#pragma once

#include <string>

#include "errors.h"

inline constexpr int kPortMessageCount = 23;
inline constexpr const char* kPortTextDomain = "cport";

class EComPort : public EDetailedError {
 public:
  // text + ": " + the system's reason + " (error %d)"; `detail` names the port and says why.
  EComPort(int code, int systemError, std::string detail = {});
  explicit EComPort(int code);  // text alone, systemError -1

  int messageNumber;
  int systemError;
};

// Binds the "cport" text domain to `localeDir` and translates the 23 texts once. Without a
// call, or without a catalogue, every text is its English original.
void InitPortMessages(const std::string& localeDir);
// A catalogue is outside input: its error-code suffix is used only when it formats one int and
// nothing else.
bool IsSafeSuffix(const std::string& text);

// The (translated) text of message `code`, 1..23.
const std::string& PortMessages(int code);

// The second line of a failed open or write: the device path, the system's text for `error`
// and, where the operator can do something about it, what.
std::string PortErrorDetail(const std::string& path, int error);

// The device went away while the port was open: "Serial device %s disconnected".
class EComDisconnected : public EDetailedError {
 public:
  explicit EComDisconnected(const std::string& path);
};
