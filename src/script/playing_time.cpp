#include "playing_time.h"

#include <algorithm>

#include "playback.h"

namespace {

// Playback's host with no arm: it only adds up the waits of each command.
class TimingHost : public PlaybackHost {
 public:
  TimingHost(const ServoState& start, const ServoTables& tables, const MotionConfig& motion,
             std::vector<int64_t>& waits)
      : state_(start), tables_(tables), motion_(motion), waits_(waits), clock_(waits) {}

  ServoState& servoState() override { return state_; }
  const ServoTables& servoTables() const override { return tables_; }
  void StopTick() override {}
  void StartTick() override {}
  void UpdateGauges() override {}
  void SendFrames(const ByteString& frames) override {
    if (!frames.empty()) clock_.SleepFor(kPauseAfterWrite);
  }
  void ShowPlaying(bool) override {}
  void PumpEvents() override {}
  ScheduleClock& Clock() override { return clock_; }
  MotionConfig Motion() const override { return motion_; }
  void CommandStarting(int, int) override { waits_.push_back(0); }

 private:
  // Time that passes only by waiting, each wait counted to the command in progress.
  class CountingClock : public ScheduleClock {
   public:
    explicit CountingClock(std::vector<int64_t>& waits) : waits_(waits) {}
    TimePoint Now() override { return now_; }
    void SleepUntil(TimePoint when) override {
      const TimePoint until = std::max(when, now_);  // a time already past costs nothing
      waits_.back() += std::chrono::duration_cast<std::chrono::milliseconds>(until - now_).count();
      now_ = until;
    }

   private:
    std::vector<int64_t>& waits_;
    TimePoint now_{};
  };

  ServoState state_;
  const ServoTables& tables_;
  const MotionConfig& motion_;
  std::vector<int64_t>& waits_;
  CountingClock clock_;
};

}  // namespace

std::vector<int64_t> CommandWaits(const TRoboPath& script, const ServoState& start,
                                  const ServoTables& tables, const MotionConfig& motion) {
  std::vector<int64_t> waits;
  TimingHost host(start, tables, motion, waits);
  int stop = 0;
  PlayScript(script, host, stop);
  return waits;
}

std::vector<int64_t> WaitsLeft(const std::vector<int64_t>& waits) {
  std::vector<int64_t> left(waits.size() + 1, 0);
  for (size_t i = waits.size(); i-- > 0;) left[i] = left[i + 1] + waits[i];
  return left;
}
