#include "bus_packet.h"

uint8_t InvertedSum(std::string_view bytes) {
  unsigned sum = 0;
  for (const char c : bytes) sum += static_cast<uint8_t>(c);
  return static_cast<uint8_t>(~sum);
}

void AppendBusPacket(ByteString& out, uint8_t header, int id, int lengthOwnByte, uint8_t first,
                     std::string_view rest) {
  const size_t start = out.size();
  out += Byte(header);
  out += Byte(header);
  out += Byte(id);
  out += Byte(rest.size() + 2 + lengthOwnByte);
  out += Byte(first);
  out += rest;
  out += Byte(InvertedSum(std::string_view(out).substr(start + 2)));
}

std::string_view SkipEcho(std::string_view received, std::string_view query, bool& echoPending) {
  echoPending = false;
  if (received.starts_with(query)) return received.substr(query.size());
  if (!received.empty() && query.starts_with(received)) {
    echoPending = true;
    return {};
  }
  return received;
}
