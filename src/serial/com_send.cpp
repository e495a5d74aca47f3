#include "com_send.h"

#include <cstdio>

namespace {

std::string TimeoutMessage(int sent, int asked) {
  char text[96];
  std::snprintf(text, sizeof text, "Serial write timed out: %d of %d bytes sent", sent, asked);
  return text;
}

}  // namespace

EComWriteTimeout::EComWriteTimeout(int sent, int asked, const std::string& device)
    : EDetailedError(TimeoutMessage(sent, asked), device), sent(sent), asked(asked) {}

void SendAllText(TCustomComPort& port, const ByteString& text) {
  const int asked = static_cast<int>(text.size());
  const int sent = port.SendText(text);
  if (sent < asked) throw EComWriteTimeout(sent, asked, port.DevicePath());
}
