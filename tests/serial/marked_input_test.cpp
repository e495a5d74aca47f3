#include "marked_input.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<TReceivedByte>;

Bytes Decoded(TMarkedInput& input, const std::string& read) {
  Bytes bytes{{'?', true}};  // replaced, not added to
  input.Decode(read, bytes);
  return bytes;
}

TEST(MarkedInput, MarksGiveAnErrorByteAndADoubled0xFFOneByte) {
  TMarkedInput input;
  EXPECT_EQ(Decoded(input, std::string("a\377\0b\377\377c", 7)),
            (Bytes{{'a', false}, {'b', true}, {'\377', false}, {'c', false}}));
  EXPECT_EQ(Decoded(input, std::string("\377\0\0", 3)), (Bytes{{'\0', true}}));
  EXPECT_EQ(Decoded(input, ""), Bytes{});
}

TEST(MarkedInput, AMarkCutOffByTheEndOfAReadIsFinishedByTheNext) {
  TMarkedInput input;
  EXPECT_EQ(Decoded(input, "x\377"), (Bytes{{'x', false}}));
  EXPECT_EQ(Decoded(input, std::string("\0", 1)), Bytes{});
  EXPECT_EQ(Decoded(input, "yz"), (Bytes{{'y', true}, {'z', false}}));
  EXPECT_EQ(Decoded(input, "\377"), Bytes{});
  EXPECT_EQ(Decoded(input, "\377q"), (Bytes{{'\377', false}, {'q', false}}));
  // Cleared, the unfinished mark is forgotten.
  EXPECT_EQ(Decoded(input, "\377"), Bytes{});
  input.Clear();
  EXPECT_EQ(Decoded(input, std::string("\0k", 2)), (Bytes{{'\0', false}, {'k', false}}));
}

TEST(MarkedInput, NeverMoreBytesThanWereRead) {
  TMarkedInput input;
  EXPECT_EQ(Decoded(input, "\377"), Bytes{});
  // A \377 before anything but \377 or \0 is no mark the terminal makes.
  EXPECT_EQ(Decoded(input, "ab"), (Bytes{{'a', false}, {'b', false}}));
  EXPECT_EQ(Decoded(input, "\377ab"), (Bytes{{'a', false}, {'b', false}}));
  // At the very end of a read too: nothing is kept back for the next.
  EXPECT_EQ(Decoded(input, "\377a"), (Bytes{{'a', false}}));
  EXPECT_EQ(Decoded(input, "b"), (Bytes{{'b', false}}));
}

}  // namespace
