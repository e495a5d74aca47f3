// The Maestro-class USB board on its compact protocol: a command byte with the top bit set,
// then data bytes with it clear. Targets and positions travel in quarter microseconds.
#include "virtual_board.h"

namespace {

constexpr int kChannels = 24;

enum : uint8_t {
  kSetTarget = 0x84,
  kSetSpeed = 0x87,
  kSetAcceleration = 0x89,
  kGetPosition = 0x90,
  kGetMoving = 0x93,
  kGetErrors = 0xA1,
  kGoHome = 0xA2,
};

// Data bytes that follow each command byte; -1 for a command the board does not know.
int DataBytesOf(uint8_t command) {
  switch (command) {
    case kSetTarget:
    case kSetSpeed:
    case kSetAcceleration:
      return 3;
    case kGetPosition:
      return 1;
    case kGetMoving:
    case kGetErrors:
    case kGoHome:
      return 0;
    default:
      return -1;
  }
}

class MaestroBoard : public VirtualBoard {
 protected:
  void Feed(uint8_t byte, std::string& reply) override {
    if (byte & 0x80) {
      if (expected_ > 0) Bad();  // the command before it broke off
      command_ = byte;
      count_ = 0;
      expected_ = DataBytesOf(byte);
      if (expected_ < 0) {
        Bad();
        expected_ = 0;
        command_ = 0;
      } else if (expected_ == 0) {
        Run(reply);
      }
      return;
    }
    if (command_ == 0 || expected_ == 0) {
      Bad();  // a data byte with no command waiting for it
      return;
    }
    data_[count_++] = byte;
    if (count_ == expected_) Run(reply);
  }

 private:
  void Run(std::string& reply) {
    const uint8_t command = command_;
    command_ = 0;
    expected_ = 0;
    if (command == kGetMoving) {
      Answered();
      reply += '\0';  // moves are done at once
      return;
    }
    if (command == kGetErrors) {
      Answered();
      reply += std::string(2, '\0');
      return;
    }
    if (command == kGoHome) return;
    const int ch = data_[0];
    if (ch >= kChannels) {
      Bad();
      return;
    }
    if (command == kGetPosition) {
      Answered();
      const int quarters = channel(ch).present * 4;
      reply += static_cast<char>(quarters & 0xFF);
      reply += static_cast<char>((quarters >> 8) & 0xFF);
      return;
    }
    if (command == kSetTarget) Move(ch, (data_[1] | data_[2] << 7) / 4);
  }

  uint8_t command_ = 0;
  int expected_ = 0;
  int count_ = 0;
  uint8_t data_[3] = {};
};

}  // namespace

std::unique_ptr<VirtualBoard> MakeMaestroBoard() {
  return std::make_unique<MaestroBoard>();
}
