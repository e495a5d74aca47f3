// Reads servo frames back from a byte stream, as a servo controller would: for test peers
// and virtual controllers listening on the other end of the line.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "unSerialLink.h"

struct DecodedFrame {
  uint8_t servoByte = 0;
  uint8_t position = 0;
  // The controller address the servo byte was made from.
  uint8_t address() const { return static_cast<uint8_t>(servoByte - kAddressOffset); }
};

// Feed it chunks of any size; a frame may be split across chunks. Bytes outside frames are
// skipped up to the next 0xFF. A frame with a wrong check byte counts as bad and is dropped,
// and the search for the next frame restarts right after its header, since servo bytes and
// positions may themselves be 0xFF.
class FrameDecoder {
 public:
  using FrameSink = std::function<void(const DecodedFrame&)>;

  void Feed(std::string_view bytes, const FrameSink& sink);
  std::vector<DecodedFrame> Feed(std::string_view bytes);

  uint64_t goodFrames() const { return good_; }
  // Bad frames never overlap: bytes of a counted bad frame do not start another count.
  uint64_t badFrames() const { return bad_; }
  // Bytes dropped while looking for a header.
  uint64_t skippedBytes() const { return skipped_; }
  // True while the start of a frame waits for the rest.
  bool midFrame() const { return count_ != 0; }
  void Reset() { *this = FrameDecoder(); }

 private:
  void CompleteFrame(const FrameSink& sink);

  uint8_t pending_[kFrameSize] = {};
  int count_ = 0;
  uint64_t offset_ = 0;        // stream offset of the next byte fed
  uint64_t pendingStart_ = 0;  // stream offset of pending_[0]
  uint64_t badEnd_ = 0;        // stream offset just past the last counted bad frame
  uint64_t good_ = 0;
  uint64_t bad_ = 0;
  uint64_t skipped_ = 0;
};
