// The decoder finds the same frames however the stream is cut into chunks, and encoded
// frames decode to their address and position. The input is up to 16 chunk lengths (0 to 15,
// used in turn), then the stream.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "frame_decoder.h"
#include "fuzz_support.h"
#include "unSerialLink.h"

namespace {

constexpr size_t kChunkLengths = 16;

// Servo byte and position of each frame, in order.
using Frames = std::vector<std::pair<uint8_t, uint8_t>>;

struct Decoded {
  Frames frames;
  uint64_t good = 0, bad = 0, skipped = 0;
  bool midFrame = false;
};

bool operator==(const Decoded& a, const Decoded& b) {
  return a.frames == b.frames && a.good == b.good && a.bad == b.bad && a.skipped == b.skipped &&
         a.midFrame == b.midFrame;
}

Decoded Decode(std::string_view stream, std::string_view chunkLengths) {
  FrameDecoder decoder;
  Decoded out;
  const auto sink = [&](const DecodedFrame& f) {
    out.frames.emplace_back(f.servoByte, f.position);
  };
  if (chunkLengths.empty()) {
    decoder.Feed(stream, sink);
  } else {
    for (size_t at = 0, turn = 0; at < stream.size(); ++turn) {
      const size_t length = static_cast<uint8_t>(chunkLengths[turn % chunkLengths.size()]) % 16;
      decoder.Feed(stream.substr(at, length), sink);
      at += length;
      // A run of empty chunks must not stall the stream.
      if (length == 0 && turn % chunkLengths.size() == chunkLengths.size() - 1) {
        decoder.Feed(stream.substr(at, 1), sink);
        ++at;
      }
    }
  }
  out.good = decoder.goodFrames();
  out.bad = decoder.badFrames();
  out.skipped = decoder.skippedBytes();
  out.midFrame = decoder.midFrame();
  FUZZ_CHECK(out.good == out.frames.size());
  return out;
}

}  // namespace

void FuzzFrameDecoder(std::string_view data) {
  const size_t split = std::min(kChunkLengths, data.size());
  const std::string_view chunkLengths = data.substr(0, split);
  const std::string_view stream = data.substr(split);

  FUZZ_CHECK(Decode(stream, chunkLengths) == Decode(stream, {}));

  // The stream read as pairs of address and position, sent as frames.
  ByteString encoded;
  Frames sent;
  for (size_t i = 0; i + 1 < stream.size(); i += 2) {
    const auto address = static_cast<uint8_t>(stream[i]);
    const auto position = static_cast<uint8_t>(stream[i + 1]);
    encoded += EncodeServoFrame(address, position);
    sent.emplace_back(static_cast<uint8_t>(address + kAddressOffset), position);
  }
  const Decoded received = Decode(encoded, chunkLengths);
  FUZZ_CHECK(received.frames == sent);
  FUZZ_CHECK(received.bad == 0 && received.skipped == 0 && !received.midFrame);
  // The controller's side of the address: what the servo byte was made from.
  for (size_t i = 0; i < received.frames.size(); ++i) {
    const DecodedFrame frame{received.frames[i].first, received.frames[i].second};
    FUZZ_CHECK(frame.address() == static_cast<uint8_t>(stream[2 * i]));
  }
}

VANTREL_FUZZ_ENTRY(FuzzFrameDecoder)
