#include "remote_command.h"

#include <cmath>
#include <initializer_list>

#include "json_value.h"
#include "translate.h"

namespace {

using Kind = RemoteCommand::Kind;

struct CommandName {
  const char* name;
  Kind kind;
  // The members the command takes besides "id" and "do".
  std::initializer_list<const char*> members;
};

const CommandName kNames[] = {
    {"move", Kind::Move, {"pose", "xyz"}},
    {"home", Kind::Home, {}},
    {"halt", Kind::Halt, {}},
    {"play", Kind::Play, {"script", "speed", "repeat"}},
    {"speed", Kind::Speed, {"percent"}},
    {"continue", Kind::Continue, {}},
};

class Refusal : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A whole number within [min, max]; 1e2 and 100.0 are whole numbers too.
int WholeNumber(const JsonValue& value, const char* name, int min, int max) {
  if (value.kind != JsonValue::Kind::Number || value.number != std::floor(value.number) ||
      value.number < min || value.number > max) {
    throw Refusal(TrFormat("'{1}' takes a whole number from {2} to {3}",
                           {name, std::to_string(min), std::to_string(max)}));
  }
  return static_cast<int>(value.number);
}

const JsonValue& Numbers(const JsonValue& value, const char* name, size_t count) {
  if (value.kind != JsonValue::Kind::Array || value.items.size() != count) {
    throw Refusal(TrFormat("'{1}' takes a list of {2} numbers", {name, std::to_string(count)}));
  }
  return value;
}

RemoteCommand Read(const JsonValue& object, std::string& id) {
  if (object.kind != JsonValue::Kind::Object) throw Refusal(Tr("a command is a JSON object"));
  if (const JsonValue* given = object.Member("id")) id = given->raw;
  const JsonValue* what = object.Member("do");
  if (!what || what->kind != JsonValue::Kind::String) {
    throw Refusal(Tr("'do' must name the command as a text"));
  }
  const CommandName* name = nullptr;
  for (const CommandName& n : kNames) {
    if (what->text == n.name) name = &n;
  }
  if (!name) throw Refusal(TrFormat("'{1}' is not a command", {what->text}));
  for (const auto& [key, value] : object.members) {
    bool known = key == "id" || key == "do";
    for (const char* member : name->members) known = known || key == member;
    if (!known) throw Refusal(TrFormat("'{1}' takes no '{2}'", {what->text, key}));
  }

  RemoteCommand command;
  command.kind = name->kind;
  const JsonValue* pose = object.Member("pose");
  const JsonValue* xyz = object.Member("xyz");
  switch (name->kind) {
    case Kind::Move:
      if ((pose == nullptr) == (xyz == nullptr)) {
        throw Refusal(Tr("'move' takes either 'pose' or 'xyz'"));
      }
      if (pose) {
        for (size_t i = 0; i < 6; ++i) {
          command.pose[i] = WholeNumber(Numbers(*pose, "pose", 6).items[i], "pose", 0, 254);
        }
      } else {
        command.kind = Kind::MoveTo;
        for (size_t i = 0; i < 3; ++i) {
          const JsonValue& n = Numbers(*xyz, "xyz", 3).items[i];
          if (n.kind != JsonValue::Kind::Number) {
            throw Refusal(TrFormat("'{1}' takes a list of {2} numbers", {"xyz", "3"}));
          }
          command.xyz[i] = n.number;
        }
      }
      break;
    case Kind::Play: {
      const JsonValue* script = object.Member("script");
      if (!script || script->kind != JsonValue::Kind::String) {
        throw Refusal(Tr("'play' takes the script as a text in 'script'"));
      }
      command.script = script->text;
      if (const JsonValue* speed = object.Member("speed")) {
        command.speedPercent = WholeNumber(*speed, "speed", 10, 400);
        command.speedGiven = true;
      }
      if (const JsonValue* repeat = object.Member("repeat")) {
        if (repeat->kind == JsonValue::Kind::String && repeat->text == "forever") {
          command.repeat = 0;
        } else {
          command.repeat = WholeNumber(*repeat, "repeat", 1, 999);
        }
      }
      break;
    }
    case Kind::Speed: {
      const JsonValue* percent = object.Member("percent");
      if (!percent) throw Refusal(Tr("'speed' takes the percentage in 'percent'"));
      command.speedPercent = WholeNumber(*percent, "percent", 10, 400);
      break;
    }
    default:
      break;
  }
  return command;
}

}  // namespace

ParsedCommand ParseRemoteCommand(std::string_view payload) {
  ParsedCommand parsed;
  if (payload.size() > kMaxCommandBytes) {
    parsed.error =
        TrFormat("the command is larger than {1} bytes", {std::to_string(kMaxCommandBytes)});
    return parsed;
  }
  try {
    const JsonValue object = ParseJson(payload);
    parsed.command = Read(object, parsed.command.id);
    if (const JsonValue* id = object.Member("id")) parsed.command.id = id->raw;
    parsed.ok = true;
  } catch (const JsonError& e) {
    parsed.error = TrFormat("not JSON: {1}", {e.what()});
  } catch (const Refusal& e) {
    parsed.error = e.what();
  }
  return parsed;
}
