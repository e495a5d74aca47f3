#include "frame_decoder.h"

#include <gtest/gtest.h>

#include <random>

namespace {

ByteString Bytes(std::initializer_list<int> values) {
  ByteString s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

// Address/position pairs of the decoded frames, for comparison.
std::vector<std::pair<int, int>> Pairs(const std::vector<DecodedFrame>& frames) {
  std::vector<std::pair<int, int>> out;
  for (const DecodedFrame& f : frames) out.emplace_back(f.address(), f.position);
  return out;
}

// Frames whose servo byte or position is 0xFF or 0x00 next to ordinary ones.
const std::vector<std::pair<int, int>> kAwkward = {{1, 127}, {0x5F, 255}, {0x60, 0}, {0x5F, 0},
                                                   {2, 255}, {0xFF, 254}, {1, 0}};

ByteString Encode(const std::vector<std::pair<int, int>>& frames) {
  ByteString s;
  for (auto [address, position] : frames) s += EncodeServoFrame(address, position);
  return s;
}

TEST(FrameDecoder, DecodesFramesSplitAtEveryByte) {
  const ByteString stream = Encode(kAwkward);
  for (size_t cut = 0; cut <= stream.size(); ++cut) {
    FrameDecoder decoder;
    auto frames = decoder.Feed(std::string_view(stream).substr(0, cut));
    EXPECT_EQ(decoder.midFrame(), cut % 4 != 0);
    const auto rest = decoder.Feed(std::string_view(stream).substr(cut));
    frames.insert(frames.end(), rest.begin(), rest.end());
    EXPECT_EQ(Pairs(frames), kAwkward) << "cut at " << cut;
    EXPECT_EQ(decoder.badFrames(), 0u);
    EXPECT_EQ(decoder.skippedBytes(), 0u);
  }
  FrameDecoder byByte;
  std::vector<DecodedFrame> frames;
  for (char c : stream) byByte.Feed(std::string_view(&c, 1), [&](auto& f) { frames.push_back(f); });
  ASSERT_EQ(frames.size(), kAwkward.size());
  EXPECT_EQ(Pairs(frames), kAwkward);
  EXPECT_EQ(byByte.goodFrames(), kAwkward.size());
  EXPECT_EQ(frames[1].servoByte, 0xFF);
}

TEST(FrameDecoder, SkipsGarbageUpToTheNextHeader) {
  FrameDecoder decoder;
  const auto frames = decoder.Feed(Bytes({0x00, 0x7F, 0xA1}) + EncodeServoFrame(3, 9) +
                                   Bytes({0xA1, 0x00}) + EncodeServoFrame(4, 0));
  EXPECT_EQ(Pairs(frames), (std::vector<std::pair<int, int>>{{3, 9}, {4, 0}}));
  EXPECT_EQ(decoder.skippedBytes(), 5u);
  EXPECT_EQ(decoder.badFrames(), 0u);
}

TEST(FrameDecoder, CountsAndDropsFramesWithAWrongCheck) {
  const ByteString good = EncodeServoFrame(2, 0x82);
  struct Case {
    ByteString stream;
    uint64_t bad;
  };
  const Case cases[] = {
      {Bytes({0xFF, 0xA1, 0x7F, 0x00}) + good, 1},  // wrong check
      {Bytes({0xFF, 0xA1, 0xFF, 0x00}) + good, 1},  // 0xFF inside the broken frame
      {Bytes({0xFF, 0xA1}) + good, 1},              // two bytes lost
      {Bytes({0xFF}) + good, 1},  // a lone header: the frame starts at its second byte
      {Bytes({0xFF, 0xA1, 0x7F, 0x00, 0xFF, 0xA1, 0x7F, 0x01}) + good, 2},
  };
  for (const Case& c : cases) {
    FrameDecoder decoder;
    const auto frames = decoder.Feed(EncodeServoFrame(1, 1) + c.stream);
    EXPECT_EQ(Pairs(frames), (std::vector<std::pair<int, int>>{{1, 1}, {2, 0x82}}));
    EXPECT_EQ(decoder.badFrames(), c.bad);
    EXPECT_EQ(decoder.goodFrames(), 2u);
    // The same as the very first bytes on the line.
    FrameDecoder first;
    EXPECT_EQ(Pairs(first.Feed(c.stream)), (std::vector<std::pair<int, int>>{{2, 0x82}}));
    EXPECT_EQ(first.badFrames(), c.bad);
  }
}

TEST(FrameDecoder, RecoversEveryFrameFromNoisyChunkedStreams) {
  std::mt19937 rng(7);
  for (int round = 0; round < 50; ++round) {
    std::vector<std::pair<int, int>> sent;
    ByteString stream;
    for (int i = 0; i < 200; ++i) {
      while (rng() % 3 == 0) stream.push_back(static_cast<char>(rng() % 255));  // never 0xFF
      sent.emplace_back(rng() % 256, rng() % 256);
      stream += EncodeServoFrame(sent.back().first, sent.back().second);
    }
    FrameDecoder decoder;
    std::vector<DecodedFrame> frames;
    for (size_t at = 0; at < stream.size();) {
      const size_t size = 1 + rng() % 9;
      decoder.Feed(std::string_view(stream).substr(at, size),
                   [&](auto& f) { frames.push_back(f); });
      at += size;
    }
    ASSERT_EQ(Pairs(frames), sent);
    ASSERT_EQ(decoder.badFrames(), 0u);
  }
}

}  // namespace
