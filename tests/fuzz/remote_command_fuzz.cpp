// Any payload on an arm's command topic is either a command with every value in its range or
// a refusal with a reason; nothing escapes, and the reply built from it is JSON that carries
// the id and the reason back unchanged.
#include <cmath>

#include "fuzz_support.h"
#include "json_value.h"
#include "remote_command.h"
#include "remote_state.h"

void FuzzRemoteCommand(std::string_view data) {
  const ParsedCommand parsed = ParseRemoteCommand(data);
  FUZZ_CHECK(parsed.ok == parsed.error.empty());
  const RemoteCommand& c = parsed.command;
  if (parsed.ok) {
    for (const int p : c.pose) FUZZ_CHECK(p >= 0 && p <= 254);
    for (const double v : c.xyz) FUZZ_CHECK(std::isfinite(v));
    FUZZ_CHECK(c.speedPercent >= 10 && c.speedPercent <= 400);
    FUZZ_CHECK(c.repeat >= 0 && c.repeat <= 999);
  }
  JsonValue reply;
  try {
    reply = ParseJson(ReplyJson(c.id, parsed.error));
  } catch (const JsonError&) {
    FUZZ_CHECK(!"the reply is JSON");
  }
  FUZZ_CHECK(reply.Member("id") && reply.Member("id")->raw == c.id);
  FUZZ_CHECK(reply.Member("ok")->boolean == parsed.ok);
  if (!parsed.ok) FUZZ_CHECK(reply.Member("error")->text == parsed.error);
}

VANTREL_FUZZ_ENTRY(FuzzRemoteCommand)
