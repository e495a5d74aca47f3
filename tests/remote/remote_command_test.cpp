// What becomes of a payload on an arm's command topic: the command, or the reason it is
// refused; and the state and replies as other programs read them.
#include <gtest/gtest.h>

#include "json_value.h"
#include "remote_command.h"
#include "remote_state.h"

namespace {

using Kind = RemoteCommand::Kind;

struct Refused {
  const char* payload;
  const char* error;
  const char* id;  // as echoed
};

class RefusedCommand : public testing::TestWithParam<Refused> {};

TEST_P(RefusedCommand, NamesTheReason) {
  const ParsedCommand parsed = ParseRemoteCommand(GetParam().payload);
  EXPECT_FALSE(parsed.ok);
  EXPECT_EQ(parsed.error, GetParam().error);
  EXPECT_EQ(parsed.command.id, GetParam().id);
}

INSTANTIATE_TEST_SUITE_P(
    Payloads, RefusedCommand,
    testing::Values(
        Refused{"", "not JSON: a value expected at byte 1", "null"},
        Refused{"{\"do\":\"home\"", "not JSON: '}' expected at byte 13", "null"},
        Refused{"{\"do\":\"home\",\"do\":\"halt\"}", "not JSON: 'do' given twice at byte 18",
                "null"},
        Refused{"{\"a\":\"\\ud800\"}", "not JSON: a broken \\u escape at byte 13", "null"},
        Refused{"[[[[[[[[[[[[[[[[[[1]]]]]]]]]]]]]]]]]]", "not JSON: nested too deeply at byte 18",
                "null"},
        Refused{"[1]", "a command is a JSON object", "null"},
        Refused{"{\"id\":7}", "'do' must name the command as a text", "7"},
        Refused{"{\"id\":\"a\",\"do\":\"dance\"}", "'dance' is not a command", "\"a\""},
        Refused{"{\"id\":[1, 2],\"do\":\"home\",\"fast\":true}", "'home' takes no 'fast'",
                "[1, 2]"},
        Refused{"{\"do\":\"move\"}", "'move' takes either 'pose' or 'xyz'", "null"},
        Refused{"{\"do\":\"move\",\"pose\":[1,2,3,4,5,6],\"xyz\":[1,2,3]}",
                "'move' takes either 'pose' or 'xyz'", "null"},
        Refused{"{\"do\":\"move\",\"pose\":[1,2,3,4,5]}", "'pose' takes a list of 6 numbers",
                "null"},
        Refused{"{\"do\":\"move\",\"pose\":[1,2,3,4,5,255]}",
                "'pose' takes a whole number from 0 to 254", "null"},
        Refused{"{\"do\":\"move\",\"pose\":[1,2,3,4,5,6.5]}",
                "'pose' takes a whole number from 0 to 254", "null"},
        Refused{"{\"do\":\"play\"}", "'play' takes the script as a text in 'script'", "null"},
        Refused{"{\"do\":\"play\",\"script\":\"\",\"speed\":401}",
                "'speed' takes a whole number from 10 to 400", "null"},
        Refused{"{\"do\":\"play\",\"script\":\"\",\"repeat\":\"always\"}",
                "'repeat' takes a whole number from 1 to 999", "null"},
        Refused{"{\"do\":\"speed\"}", "'speed' takes the percentage in 'percent'", "null"}));

TEST(RemoteCommand, ReadsEachCommandWithItsValues) {
  ParsedCommand move = ParseRemoteCommand(
      " {\"id\": \"m1\", \"do\": \"move\", \"pose\": [0, 254, 1e2, 127.0, 5, 6]} ");
  ASSERT_TRUE(move.ok) << move.error;
  EXPECT_EQ(move.command.kind, Kind::Move);
  EXPECT_EQ(move.command.id, "\"m1\"");
  EXPECT_EQ(move.command.pose, (std::array<int, 6>{0, 254, 100, 127, 5, 6}));

  ParsedCommand to = ParseRemoteCommand("{\"do\":\"move\",\"xyz\":[15.5,-0.25,0]}");
  ASSERT_TRUE(to.ok) << to.error;
  EXPECT_EQ(to.command.kind, Kind::MoveTo);
  EXPECT_EQ(to.command.xyz, (std::array<double, 3>{15.5, -0.25, 0}));
  EXPECT_EQ(to.command.id, "null");

  ParsedCommand play = ParseRemoteCommand(
      "{\"do\":\"play\",\"script\":\"M;1;100\\r\\nP;0;1\\u00e9\",\"speed\":200,\"repeat\":"
      "\"forever\"}");
  ASSERT_TRUE(play.ok) << play.error;
  EXPECT_EQ(play.command.script, "M;1;100\r\nP;0;1\xc3\xa9");
  EXPECT_EQ(play.command.speedPercent, 200);
  EXPECT_TRUE(play.command.speedGiven);
  EXPECT_EQ(play.command.repeat, 0);

  ParsedCommand speed = ParseRemoteCommand("{\"do\":\"speed\",\"percent\":10}");
  ASSERT_TRUE(speed.ok);
  EXPECT_EQ(speed.command.speedPercent, 10);
  for (const char* name : {"home", "halt", "continue"}) {
    EXPECT_TRUE(ParseRemoteCommand(std::string("{\"do\":\"") + name + "\"}").ok) << name;
  }
}

TEST(RemoteCommand, APayloadOverOneMegabyteIsRefusedBySize) {
  std::string payload = "{\"do\":\"home\",\"id\":\"" + std::string(kMaxCommandBytes, 'x') + "\"}";
  const ParsedCommand parsed = ParseRemoteCommand(payload);
  EXPECT_FALSE(parsed.ok);
  EXPECT_EQ(parsed.error, "the command is larger than 1048576 bytes");
}

TEST(RemoteState, ReadsAsJsonWithNullForWhatIsNotThere) {
  RemoteState state;
  state.pose = {1, 2, 3, 4, 5, 254};
  state.connected = true;
  state.error = "a \"quoted\"\nline\x01";
  EXPECT_EQ(StateJson(state),
            "{\"pose\":[1,2,3,4,5,254],\"poseRead\":null,\"connected\":true,\"moving\":false,"
            "\"playing\":false,\"line\":null,\"waiting\":false,\"speed\":100,"
            "\"error\":\"a \\\"quoted\\\"\\nline\\u0001\"}");
  state.poseRead = std::array<int, 6>{9, 9, 9, 9, 9, 9};
  state.line = 3;
  state.error.clear();
  const JsonValue read = ParseJson(StateJson(state));
  EXPECT_EQ(read.Member("poseRead")->raw, "[9,9,9,9,9,9]");
  EXPECT_EQ(read.Member("line")->number, 3);
  EXPECT_EQ(read.Member("error")->kind, JsonValue::Kind::Null);
  EXPECT_EQ(ReplyJson("\"a\""), "{\"id\":\"a\",\"ok\":true}");
  EXPECT_EQ(ReplyJson("null", "busy"), "{\"id\":null,\"ok\":false,\"error\":\"busy\"}");
}

}  // namespace
