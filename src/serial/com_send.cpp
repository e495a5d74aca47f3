#include "com_send.h"

#include <string>

#include "translate.h"

namespace {

std::string TimeoutMessage(int sent, int asked) {
  return TrFormat("Serial write timed out: {1} of {2} bytes sent",
                  {std::to_string(sent), std::to_string(asked)});
}

}  // namespace

EComWriteTimeout::EComWriteTimeout(int sent, int asked, const std::string& device)
    : EDetailedError(TimeoutMessage(sent, asked), device), sent(sent), asked(asked) {}

void SendAllText(TCustomComPort& port, const ByteString& text) {
  const int asked = static_cast<int>(text.size());
  const int sent = port.SendText(text);
  if (sent < asked) throw EComWriteTimeout(sent, asked, port.DevicePath());
}
