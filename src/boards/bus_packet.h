// What the two bus-servo protocols share: a checksum that is the inverted low byte of a sum,
// and a half-duplex line on which the adapter hands back what was sent before the answer.
#pragma once

#include <cstdint>
#include <string_view>

#include "board.h"

// ~(sum of the bytes) & 0xFF.
uint8_t InvertedSum(std::string_view bytes);

// Two `header` bytes, the id, the length, `first` (instruction or status), `rest` and the
// inverted sum from the id on. The length counts `first`, `rest` and the sum, and itself too
// when `lengthOwnByte` is 1 (LX-16A).
void AppendBusPacket(ByteString& out, uint8_t header, int id, int lengthOwnByte, uint8_t first,
                     std::string_view rest);

// `received` with the echo of `query` taken off its front when it is there. A received text
// that is only the start of the echo leaves nothing to read: `echoPending` says so.
std::string_view SkipEcho(std::string_view received, std::string_view query, bool& echoPending);

// A servo's bytes as the line carries them.
inline char Byte(int64_t value) {
  return static_cast<char>(static_cast<uint8_t>(value));
}
inline uint8_t At(std::string_view bytes, size_t i) {
  return static_cast<uint8_t>(bytes[i]);
}
