#include "unSerialLink.h"

ByteString EncodeServoFrame(uint8_t address, uint8_t position) {
  const auto servo = static_cast<uint8_t>(address + kAddressOffset);
  ByteString frame(kFrameSize, '\0');
  frame[0] = static_cast<char>(kFrameHeader);
  frame[1] = static_cast<char>(servo);
  frame[2] = static_cast<char>(position);
  frame[3] = static_cast<char>(servo ^ position);
  return frame;
}
