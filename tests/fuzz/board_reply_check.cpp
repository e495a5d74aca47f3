#include "board_reply_check.h"

#include <string>

#include "board_factory.h"
#include "fuzz_support.h"

void CheckBoardReplies(BoardFamily family, std::string_view data) {
  FuzzReader reader(data);
  const uint8_t choice = reader.Byte();
  const auto board = MakeBoard(FamilyConfig(family));
  std::vector<BoardQuery> queries;
  for (const QueryKind kind : {QueryKind::Pose, QueryKind::Moving, QueryKind::Health}) {
    for (const BoardQuery& q : board->Queries(kind)) queries.push_back(q);
  }
  const BoardQuery& query = queries.at(choice % queries.size());
  // A copy of exactly the bytes received, so a read past them trips the sanitizer.
  const std::string received(reader.Rest());
  const ReplyResult result = board->DecodeReply(query, received);

  if (result.ok()) {
    for (int s = 0; s <= kServoCount; ++s) {
      const ServoReading& servo = result.reading.servos[s];
      if (s != query.servo) FUZZ_CHECK(servo == ServoReading{});
    }
    if (query.kind == QueryKind::Pose) {
      const ServoReading& asked = result.reading.servos[query.servo];
      FUZZ_CHECK(asked.position.has_value() != asked.noTarget);
    }
  }
  if (result.fault != ReplyFault::Short) {
    FUZZ_CHECK(board->DecodeReply(query, received + '\x55') == result);
  }
  const bool bus = family == BoardFamily::Sts || family == BoardFamily::Lx16a;
  const bool startsLikeEcho =
      received.starts_with(query.bytes) || std::string_view(query.bytes).starts_with(received);
  if (bus && !startsLikeEcho) {
    FUZZ_CHECK(board->DecodeReply(query, query.bytes + received) == result);
  }
}
