#include "frame_decoder.h"

#include <algorithm>

void FrameDecoder::Feed(std::string_view bytes, const FrameSink& sink) {
  for (const char c : bytes) {
    const auto b = static_cast<uint8_t>(c);
    if (count_ == 0) {
      if (b != kFrameHeader) {
        ++skipped_;
        ++offset_;
        continue;
      }
      pendingStart_ = offset_;
    }
    pending_[count_++] = b;
    ++offset_;
    if (count_ == kFrameSize) CompleteFrame(sink);
  }
}

std::vector<DecodedFrame> FrameDecoder::Feed(std::string_view bytes) {
  std::vector<DecodedFrame> frames;
  Feed(bytes, [&](const DecodedFrame& f) { frames.push_back(f); });
  return frames;
}

void FrameDecoder::CompleteFrame(const FrameSink& sink) {
  const DecodedFrame frame{pending_[1], pending_[2]};
  if ((frame.servoByte ^ frame.position) == pending_[3]) {
    ++good_;
    count_ = 0;
    if (sink) sink(frame);
    return;
  }
  if (pendingStart_ >= badEnd_) {
    ++bad_;
    badEnd_ = pendingStart_ + kFrameSize;
  }
  // The real next frame may begin inside the broken one.
  uint8_t* next = std::find(pending_ + 1, pending_ + kFrameSize, kFrameHeader);
  const auto shift = static_cast<int>(next - pending_);
  std::copy(next, pending_ + kFrameSize, pending_);
  count_ = kFrameSize - shift;
  pendingStart_ += static_cast<uint64_t>(shift);
}
