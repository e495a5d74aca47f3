#include "arm_gate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "board_factory.h"
#include "translate.h"

EArmBusy::EArmBusy() : EDetailedError(Tr("The arm is busy: a motion is running")) {}

Pose HeldWithin(const Pose& pose, const ServoTables& tables) {
  Pose held = pose;
  for (int s = 1; s <= kServoCount; ++s) {
    if (tables.Minval[s] > held[s]) held[s] = tables.Minval[s];
    if (tables.Maxval[s] < held[s]) held[s] = tables.Maxval[s];
  }
  return held;
}

ArmGate::ArmGate(ArmLine& line) : line_(line) {
  Configure({});
}

ArmGate::~ArmGate() = default;

void ArmGate::Configure(const GateSettings& settings) {
  settings_ = settings;
  BoardConfig board;
  if (settings.board) {
    board = *settings.board;
  } else {
    for (int s = 1; s <= kServoCount; ++s) board.servos[s].channel = tables().Address[s];
  }
  board_ = MakeBoard(board);
}

void ArmGate::Place(const Pose& pose) {
  received_ = HeldWithin(pose, tables());
}

ByteString ArmGate::FramesOf(const Pose& pose, std::span<const int> servos) const {
  // Built for every write of a run: a tick's few servos stay on the stack.
  std::array<ServoTarget, 2 * kServoCount> few;
  std::vector<ServoTarget> many;
  std::span<ServoTarget> targets(few.data(), servos.size());
  if (servos.size() > few.size()) {
    many.resize(servos.size());
    targets = many;
  }
  for (size_t k = 0; k < servos.size(); ++k) targets[k] = {servos[k], pose[servos[k]]};
  return board_->EncodeTick(targets);
}

bool ArmGate::Stopped() {
  if (!stopped_ && busy_ && line_.Halted()) stopped_ = true;
  return stopped_;
}

bool ArmGate::Send(const Pose& pose, std::span<const int> servos) {
  if (Stopped()) return false;
  if (servos.empty()) return true;
  // A write that raises leaves the pose as it was: the arm did not get it.
  if (!line_.Write(line_.TakesBytes() ? FramesOf(pose, servos) : ByteString())) {
    stopped_ = busy_;
    return false;
  }
  ++writes_;
  const Pose before = received_;
  for (const int s : servos) received_[s] = pose[s];
  line_.Received(before, received_);
  return true;
}

bool ArmGate::Jog(const Pose& pose, std::span<const int> servos) {
  if (busy_) return false;
  return Send(pose, servos);
}

bool ArmGate::MoveTo(const Pose& target, const std::optional<ToolPoint>& along) {
  ArmRun run(*this);
  const Pose held = HeldWithin(target, tables());
  if (!settings_.motion.smooth) {
    static constexpr int kAll[] = {1, 2, 3, 4, 5, 6};
    return Send(held, kAll);
  }
  if (along && settings_.moveLine) return RunLine(*along, run);
  return run.Glide(held);
}

ArmRun::ArmRun(ArmGate& gate, double pace)
    : gate_(gate),
      pace_(pace > 0 ? pace : 1),
      timeline_(gate.line_.Clock()),
      budget_(gate.settings_.motion.framesPerTick) {
  if (gate_.busy_) throw EArmBusy();
  gate_.busy_ = true;
  gate_.stopped_ = false;
}

ArmRun::~ArmRun() {
  gate_.busy_ = false;
  gate_.stopped_ = false;
}

bool ArmRun::Step(int servo, int value) {
  if (servo < 1 || servo > kServoCount) return !stopped();
  Pose target = gate_.received_;
  // The wait follows the distance to the raw value, even when the limit stops short of it.
  const int64_t distance = std::llabs(int64_t{target[servo]} - value);
  // Only this servo is sent: only it is held within its limits, the minimum first.
  const ServoTables& tables = gate_.tables();
  target[servo] = std::min(std::max(value, tables.Minval[servo]), tables.Maxval[servo]);
  const auto due = timeline_.FrameDue();
  const int servos[] = {servo};
  if (!gate_.Send(target, servos)) return false;
  timeline_.WaitFrom(due, kPauseAfterWrite + Paced(distance * kClassicMsPerPosition));
  return !stopped();
}

ScheduleClock::Duration ArmRun::Paced(ScheduleClock::Duration span) const {
  return std::chrono::duration_cast<ScheduleClock::Duration>(
      std::chrono::duration<double, ScheduleClock::Duration::period>(span.count() / pace_));
}

bool ArmRun::Pause(ScheduleClock::Duration span) {
  const MotionConfig& motion = gate_.settings_.motion;
  if (!motion.smooth) {
    timeline_.Wait(Paced(span));
    return !stopped();
  }
  // On the tick grid, so a move behind on the line's budget catches up meanwhile.
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(Paced(span)).count();
  return Run(MotionPlan::Hold(gate_.received_, motion.tickMs, ms));
}

bool ArmRun::Moves(std::span<const ServoMove> moves, int64_t requestedMs,
                   const std::function<void(size_t)>& starting) {
  if (!gate_.settings_.motion.smooth) {
    for (size_t k = 0; k < moves.size(); ++k) {
      if (starting) starting(k);
      if (!Step(moves[k].servo, moves[k].value)) return false;
    }
    return true;
  }
  Pose target = gate_.received_;
  for (size_t k = 0; k < moves.size(); ++k) {
    if (starting) starting(k);
    if (moves[k].servo >= 1 && moves[k].servo <= kServoCount) {
      target[moves[k].servo] = moves[k].value;
    }
  }
  return Glide(target, requestedMs);
}

bool ArmRun::Glide(const Pose& target, int64_t requestedMs) {
  const MotionConfig& motion = gate_.settings_.motion;
  const auto scaledMs = static_cast<int64_t>(std::ceil(static_cast<double>(requestedMs) / pace_));
  return Run(MotionPlan(gate_.received_, target, LimitsOf(gate_.tables(), motion), motion.tickMs,
                        scaledMs, pace_));
}

bool ArmRun::Run(const MotionPlan& plan) {
  const std::chrono::milliseconds tick(plan.tickMs());
  for (int k = 1; k <= plan.ticks() || Behind(plan.target(), gate_.received_); ++k) {
    timeline_.Wait(tick);
    if (!SendDue(plan.poseAt(k))) return false;
  }
  return !stopped();
}

bool ArmRun::Through(std::span<const Pose> poses) {
  const std::chrono::milliseconds tick(gate_.settings_.motion.tickMs);
  for (const Pose& pose : poses) {
    timeline_.Wait(tick);
    if (!SendDue(pose)) return false;
  }
  // Servos the budget left behind are served on the ticks after.
  while (!poses.empty() && Behind(poses.back(), gate_.received_)) {
    timeline_.Wait(tick);
    if (!SendDue(poses.back())) return false;
  }
  return !stopped();
}

bool ArmRun::Taught(std::span<const TimedSample> samples,
                    const std::function<void(size_t)>& starting) {
  const MotionConfig& motion = gate_.settings_.motion;
  if (!motion.smooth) {
    for (size_t j = 0; j < samples.size(); ++j) {
      if (starting) starting(j);
      for (int s = 1; s <= kServoCount; ++s) {
        if (samples[j].pose[s] != gate_.received_[s] && !Step(s, samples[j].pose[s])) return false;
      }
    }
    return !stopped();
  }
  // At another speed the samples come sooner or later and the limits scale as for any move.
  std::vector<TimedSample> paced(samples.begin(), samples.end());
  for (TimedSample& sample : paced) {
    sample.ms = static_cast<int64_t>(std::ceil(static_cast<double>(sample.ms) / pace_));
  }
  MotionLimits limits = LimitsOf(gate_.tables(), motion);
  for (ServoLimits& l : limits) {
    l.speed = static_cast<int32_t>(l.speed * pace_);
    l.accel = static_cast<int32_t>(l.accel * pace_ * pace_);
  }
  const TimedPath path(gate_.received_, paced, limits, motion.tickMs);
  std::vector<Pose> poses;
  size_t sample = 0;
  if (starting) starting(0);
  for (int k = 1; k <= path.ticks(); ++k) {
    const auto now = static_cast<size_t>(path.sampleAt(k));
    if (now != sample) {
      // The ticks so far are run before the next sample is reported.
      if (!Through(poses)) return false;
      poses.clear();
      for (++sample; sample <= now; ++sample) {
        if (starting) starting(sample);
      }
      sample = now;
    }
    poses.push_back(path.poseAt(k));
  }
  return Through(poses);
}

bool ArmRun::SendDue(const Pose& wanted) {
  if (stopped()) return false;
  std::array<int, kServoCount> servos{};
  const int count = budget_.Pick(wanted, gate_.received_, servos);
  return gate_.Send(wanted, std::span<const int>(servos.data(), static_cast<size_t>(count)));
}
