#include <gtest/gtest.h>

#include "unSerialLink.h"

namespace {

ByteString Bytes(std::initializer_list<int> values) {
  ByteString s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

TEST(ServoFrame, EncodesHeaderServoPositionAndCheck) {
  EXPECT_EQ(EncodeServoFrame(1, 127), Bytes({0xFF, 0xA1, 0x7F, 0xDE}));
  EXPECT_EQ(EncodeServoFrame(1, 0), Bytes({0xFF, 0xA1, 0x00, 0xA1}));
  EXPECT_EQ(EncodeServoFrame(0xFF, 254), Bytes({0xFF, 0x9F, 0xFE, 0x61}));
  EXPECT_EQ(EncodeServoFrame(2, 255), Bytes({0xFF, 0xA2, 0xFF, 0x5D}));
}

TEST(ServoFrame, KeepsZeroBytesAndWrapsTheServoByte) {
  const ByteString zero = EncodeServoFrame(0x60, 0);
  ASSERT_EQ(zero.size(), 4u);
  EXPECT_EQ(zero, Bytes({0xFF, 0x00, 0x00, 0x00}));
  EXPECT_EQ(EncodeServoFrame(0x5F, 1)[1], static_cast<char>(0xFF));
  EXPECT_EQ(EncodeServoFrame(0, 1)[1], static_cast<char>(0xA0));
  // An address of 257 in the settings reaches the wire as its low byte.
  EXPECT_EQ(EncodeServoFrame(static_cast<uint8_t>(257), 5), EncodeServoFrame(1, 5));
}

TEST(ServoFrame, FramesJoinByConcatenation) {
  EXPECT_EQ(EncodeServoFrame(1, 127) + EncodeServoFrame(2, 130),
            Bytes({0xFF, 0xA1, 0x7F, 0xDE, 0xFF, 0xA2, 0x82, 0x20}));
}

}  // namespace
