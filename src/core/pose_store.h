// Where the arm was left: the last pose sent on each port, kept across runs in
// $XDG_STATE_HOME/vantrel/ (~/.local/state/vantrel/), so the next run starts from it instead of
// assuming the arm is where the settings say.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "servo_state.h"
#include "unSerialLink.h"

// Positions of servos 1..6 (slot 0 unused).
using ServoPose = std::array<int32_t, kServoCount + 1>;

// The folder of the remembered poses: $XDG_STATE_HOME/vantrel when that is an absolute path,
// else ~/.local/state/vantrel; empty when there is no home folder either.
std::string PoseFolder();

// The file that holds the pose of the port at `portPath` in `folder`.
std::string PoseFileOf(const std::string& folder, const std::string& portPath);

// The pose remembered for the port, if a readable one is there.
std::optional<ServoPose> ReadRememberedPose(const std::string& folder, const std::string& portPath);
// Replaces the remembered pose at once (all or nothing), making the folder when needed.
bool WriteRememberedPose(const std::string& folder, const std::string& portPath,
                         const ServoPose& pose);

// Sets in `pose` the positions that `frames` carry to the servos they address.
void ApplySentFrames(ServoPose& pose, const ByteString& frames, const ServoTables& tables);

// Keeps the pose sent on one port: written at most once a second while frames go out, and
// whatever is left by Flush (at exit).
class TPoseKeeper {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration kWriteInterval = std::chrono::seconds(1);

  TPoseKeeper() = default;
  ~TPoseKeeper() { Flush(); }
  TPoseKeeper(const TPoseKeeper&) = delete;
  TPoseKeeper& operator=(const TPoseKeeper&) = delete;

  // Follows the port at `portPath`, whose arm stands at the positions of `state`; the pose of
  // the port followed before is flushed first. An empty folder keeps nothing.
  void Follow(std::string folder, std::string portPath, const ServoState& state);
  const std::string& portPath() const { return portPath_; }

  // `frames` went out at `now`. Answers how long until a pose still unwritten is due, to be
  // written then by FlushIfDue; nothing when it has been written or nothing is followed.
  std::optional<Clock::duration> Sent(const ByteString& frames, const ServoTables& tables,
                                      Clock::time_point now);
  void FlushIfDue(Clock::time_point now);
  void Flush();

 private:
  std::string folder_;
  std::string portPath_;
  ServoPose pose_{};
  bool dirty_ = false;
  std::optional<Clock::time_point> lastWrite_;
};
