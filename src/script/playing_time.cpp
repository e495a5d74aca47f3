#include "playing_time.h"

#include "dry_run.h"
#include "script_flow.h"

namespace {

class Timing : public DryRun {
 public:
  using DryRun::DryRun;
  std::vector<int64_t> starts;

 private:
  void Starting(int) override { starts.push_back(NowMs()); }
};

}  // namespace

std::vector<int64_t> CommandWaits(const TRoboPath& script, const Pose& start,
                                  const GateSettings& settings, int speedPercent) {
  Timing run(settings, start);
  run.Play(script, speedPercent);
  std::vector<int64_t> waits(run.starts.size());
  for (size_t k = 0; k < waits.size(); ++k) {
    waits[k] = (k + 1 < waits.size() ? run.starts[k + 1] : run.NowMs()) - run.starts[k];
  }
  return waits;
}

bool RepeatsForever(const TRoboPath& script) {
  for (const auto& c : script.commands) {
    if (c->letter == kJumpLetter && c->value == kJumpForever) return true;
  }
  return false;
}

std::vector<int64_t> WaitsLeft(const std::vector<int64_t>& waits) {
  std::vector<int64_t> left(waits.size() + 1, 0);
  for (size_t i = waits.size(); i-- > 0;) left[i] = left[i + 1] + waits[i];
  return left;
}
