#include "remote_session.h"

#include <exception>

#include "errors.h"
#include "translate.h"

namespace {

// The text the window's error box shows: the message and, after a dash, the detail.
std::string WindowText(const std::exception& error) {
  const std::string detail = DetailOf(error);
  return detail.empty() ? error.what() : std::string(error.what()) + " - " + detail;
}

bool IsMotion(RemoteCommand::Kind kind) {
  using Kind = RemoteCommand::Kind;
  return kind == Kind::Move || kind == Kind::MoveTo || kind == Kind::Home || kind == Kind::Play;
}

}  // namespace

RemoteSession::RemoteSession(BrokerLink& link, RemoteArm& arm, SessionOptions options)
    : link_(link), arm_(arm), options_(std::move(options)) {}

void RemoteSession::SayNotices() {
  for (const std::string& notice : link_.TakeNotices()) {
    if (options_.say) options_.say(notice);
  }
}

void RemoteSession::Serve() {
  SayNotices();
  HandlePending();
  PublishState();
}

void RemoteSession::HandlePending() {
  for (BrokerLink::Message& message : link_.Take()) pending_.push_back(std::move(message));
  while (!pending_.empty() && !haltAsked_) {
    const BrokerLink::Message message = std::move(pending_.front());
    pending_.pop_front();
    Handle(message);
  }
}

void RemoteSession::Answer(const std::string& id, const std::string& error) {
  if (!error.empty()) lastError_ = error;
  link_.Reply(ReplyJson(id, error));
}

void RemoteSession::Handle(const BrokerLink::Message& message) {
  const ParsedCommand parsed = ParseRemoteCommand(
      message.size > kMaxCommandBytes ? std::string_view() : std::string_view(message.payload));
  if (message.size > kMaxCommandBytes) {
    Answer("null",
           TrFormat("the command is larger than {1} bytes", {std::to_string(kMaxCommandBytes)}));
    return;
  }
  const RemoteCommand& command = parsed.command;
  if (!parsed.ok) return Answer(command.id, parsed.error);
  if (!options_.control) {
    return Answer(command.id, Tr("this arm takes no commands (mqttControl is 0)"));
  }
  const auto age = Clock::now() - message.arrived;
  if (age > options_.maxAge) {
    return Answer(
        command.id,
        TrFormat(
            "the command waited {1} ms, longer than mqttMaxAge",
            {std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(age).count())}));
  }
  if (busy_) {
    if (command.kind == RemoteCommand::Kind::Halt) {
      haltAsked_ = true;
      return Answer(command.id);
    }
    if (IsMotion(command.kind)) return Answer(command.id, Tr("busy with another motion"));
  }
  Run(command);
}

void RemoteSession::Run(const RemoteCommand& command) {
  using Kind = RemoteCommand::Kind;
  const HaltCheck halted = [this] { return BetweenTicks(); };
  try {
    switch (command.kind) {
      case Kind::Halt:
        arm_.Halt();
        break;
      case Kind::Speed:
        speed_ = command.speedPercent;
        break;
      case Kind::Continue:
        arm_.Continue();
        break;
      default: {
        busy_ = true;
        haltAsked_ = false;
        struct Idle {
          bool& busy;
          bool& halt;
          ~Idle() { busy = halt = false; }
        } idle{busy_, haltAsked_};
        // A halt that came with this command, after it, ends it before it starts.
        if (!BetweenTicks()) Move(command, halted);
        if (haltAsked_ || (options_.stopping && options_.stopping())) {
          Answer(command.id, Tr("halted"));
          PublishState();
          return;
        }
      }
    }
  } catch (const std::exception& e) {
    Answer(command.id, WindowText(e));
    PublishState();
    return;
  }
  Answer(command.id);
  PublishState();
}

void RemoteSession::Move(const RemoteCommand& command, const HaltCheck& halted) {
  using Kind = RemoteCommand::Kind;
  switch (command.kind) {
    case Kind::Move:
      return arm_.MovePose(command.pose, halted);
    case Kind::MoveTo:
      return arm_.MoveTo(command.xyz, halted);
    case Kind::Home:
      return arm_.Home(halted);
    default:
      return arm_.Play(command.script, command.speedGiven ? command.speedPercent : speed_,
                       command.repeat, halted);
  }
}

bool RemoteSession::BetweenTicks() {
  if (!haltAsked_) {
    SayNotices();
    HandlePending();
  }
  PublishState();
  return haltAsked_ || (options_.stopping && options_.stopping());
}

void RemoteSession::PublishState() {
  RemoteState state = arm_.State();
  state.speed = speed_;
  state.moving = busy_;
  state.error = lastError_;
  const std::string json = StateJson(state);
  const auto now = Clock::now();
  if (json == published_ || now - publishedAt_ < arm_.Tick()) return;
  published_ = json;
  publishedAt_ = now;
  link_.PublishState(json);
}
