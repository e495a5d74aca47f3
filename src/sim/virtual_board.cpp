#include "virtual_board.h"

#include "frame_decoder.h"

std::string VirtualBoard::Take(std::string_view bytes) {
  std::string reply;
  for (char c : bytes) Feed(static_cast<uint8_t>(c), reply);
  return reply;
}

bool VirtualBoard::MoveByHand(int ch, int32_t units) {
  BoardChannel& c = channel(ch);
  if (!HasTorqueSwitch() || c.torque) return false;
  c.present = units;
  return true;
}

void VirtualBoard::Move(int ch, int32_t units) {
  ++moves_;
  BoardChannel& c = channel(ch);
  c.target = units;
  // A limp servo holds no target: it stays where the hand left it.
  if (c.torque) c.present = units;
}

namespace {

// Vantrel's own frames: FF, address + A0, position, check byte. The channel is the address.
class FrameBoard : public VirtualBoard {
 protected:
  void Feed(uint8_t byte, std::string&) override {
    const uint64_t bad = decoder_.badFrames();
    decoder_.Feed(std::string_view(reinterpret_cast<const char*>(&byte), 1),
                  [this](const DecodedFrame& f) { Move(f.address(), f.position); });
    if (decoder_.badFrames() != bad) Bad();
  }

 private:
  FrameDecoder decoder_;
};

// Mini SSC: FF, servo 0..254, position 0..254. A byte outside a frame is bad; FF always
// starts a frame afresh.
class MiniSscBoard : public VirtualBoard {
 protected:
  void Feed(uint8_t byte, std::string&) override {
    if (byte == 0xFF) {
      if (count_ != 0) Bad();
      count_ = 1;
      return;
    }
    if (count_ == 0) {
      Bad();
      return;
    }
    if (count_ == 1) {
      servo_ = byte;
      count_ = 2;
      return;
    }
    count_ = 0;
    Move(servo_, byte);
  }

 private:
  int count_ = 0;
  uint8_t servo_ = 0;
};

}  // namespace

std::unique_ptr<VirtualBoard> MakeFrameBoard() {
  return std::make_unique<FrameBoard>();
}

std::unique_ptr<VirtualBoard> MakeMiniSscBoard() {
  return std::make_unique<MiniSscBoard>();
}

std::unique_ptr<VirtualBoard> MakeVirtualBoard(BoardFamily family) {
  switch (family) {
    case BoardFamily::Ssc32:
      return MakeAsciiBoard();
    case BoardFamily::Maestro:
      return MakeMaestroBoard();
    case BoardFamily::MiniSsc:
      return MakeMiniSscBoard();
    case BoardFamily::Sts:
      return MakeStsBoard();
    case BoardFamily::Lx16a:
      return MakeLx16aBoard();
    case BoardFamily::Vantrel:
      break;
  }
  return MakeFrameBoard();
}
