#include "port_reply_line.h"

#include <algorithm>

#include "com_send.h"

void PortReplyLine::Send(const ByteString& bytes) {
  // A late answer or an echo still waiting would be taken for the answer to this question.
  char scrap[256];
  for (int pending = port_.PendingInputCount(); pending > 0; pending = port_.PendingInputCount()) {
    if (port_.ReceiveBytes(scrap, std::min<int>(pending, sizeof scrap)) <= 0) break;
  }
  SendAllText(port_, bytes);
}

std::string PortReplyLine::Receive(size_t count) {
  std::string received(count, '\0');
  received.resize(
      static_cast<size_t>(port_.ReceiveBytes(received.data(), static_cast<int>(count))));
  return received;
}
