#include "com_error.h"

#include <libintl.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "translate.h"

namespace {

constexpr std::array<const char*, kPortMessageCount> kEnglish = {
    "Unable to open com port",
    "WriteFile function failed",
    "ReadFile function failed",
    "Invalid Async parameter",
    "PurgeComm function failed",
    "Unable to get async status",
    "SetCommState function failed",
    "SetCommTimeouts failed",
    "SetupComm function failed",
    "ClearCommError function failed",
    "GetCommModemStatus function failed",
    "EscapeCommFunction function failed",
    "TransmitCommChar function failed",
    "Cannot set property while connected",
    "EnumPorts function failed",
    "Failed to store settings",
    "Failed to load settings",
    "Link (un)registration failed",
    "Cannot change led state if ComPort is selected",
    "Cannot wait for event if event thread is created",
    "WaitForEvent method failed",
    "A component is linked to OnRxBuf event",
    "Registry error",
};

// The system's number after its reason, where scripts and users may look for it.
constexpr const char* kSuffix = " (error %d)";

std::array<std::string, kPortMessageCount>& Table() {
  static std::array<std::string, kPortMessageCount> table = [] {
    std::array<std::string, kPortMessageCount> t;
    for (int i = 0; i < kPortMessageCount; ++i) t[i] = kEnglish[i];
    return t;
  }();
  return table;
}

std::string WithSystemError(int code, int systemError) {
  const char* translated = ::dgettext(kPortTextDomain, kSuffix);
  const char* suffix = IsSafeSuffix(translated) ? translated : kSuffix;
  char number[96];
  std::snprintf(number, sizeof number, suffix, systemError);
  return PortMessages(code) + ": " + std::strerror(systemError) + number;
}

}  // namespace

bool IsSafeSuffix(const std::string& text) {
  const size_t at = text.find('%');
  return at != std::string::npos && text.compare(at, 2, "%d") == 0 &&
         text.find('%', at + 2) == std::string::npos;
}

void InitPortMessages(const std::string& localeDir) {
  ::bindtextdomain(kPortTextDomain, localeDir.c_str());
  ::bind_textdomain_codeset(kPortTextDomain, "UTF-8");
  for (int i = 0; i < kPortMessageCount; ++i) {
    Table()[i] = ::dgettext(kPortTextDomain, kEnglish[i]);
  }
}

const std::string& PortMessages(int code) {
  return Table().at(static_cast<size_t>(code - 1));
}

EComPort::EComPort(int code, int systemError, std::string detail)
    : EDetailedError(WithSystemError(code, systemError), std::move(detail)),
      messageNumber(code),
      systemError(systemError) {}

EComPort::EComPort(int code)
    : EDetailedError(PortMessages(code)), messageNumber(code), systemError(-1) {}

std::string PortErrorDetail(const std::string& path, int error) {
  if (path.empty()) return Tr("no port name is set");
  const std::string reason = std::strerror(error);
  if (error == EACCES) {
    return TrFormat("{1}: {2}; your user needs access to the port (on Debian: the dialout group)",
                    {path, reason});
  }
  if (error == EBUSY || error == EAGAIN) {
    return TrFormat("{1}: {2}; the port is in use by another program", {path, reason});
  }
  return path + ": " + reason;
}

EComDisconnected::EComDisconnected(const std::string& path)
    : EDetailedError(TrFormat("Serial device {1} disconnected", {path})) {}
