// The servo controller's wire format: one frame per servo command.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// Frames travel as std::string throughout the program: a counted byte string that may
// hold 0x00 bytes. Never treat it as zero-terminated text.
using ByteString = std::string;

inline constexpr uint8_t kFrameHeader = 0xFF;
inline constexpr uint8_t kAddressOffset = 0xA0;
inline constexpr int kFrameSize = 4;
// The pause that follows every write to the line.
inline constexpr std::chrono::milliseconds kPauseAfterWrite{2};

// FF, (address + 0xA0) mod 256, position, servo byte XOR position.
ByteString EncodeServoFrame(uint8_t address, uint8_t position);
