#include "gauge_geometry.h"

#include <cmath>
#include <numbers>

namespace {
// Halves go to the even neighbour, as every rounding of the gauge does.
int RoundEven(double x) {
  return static_cast<int>(std::nearbyint(x));
}
}  // namespace

std::optional<NeedleLine> GaugeNeedle(int width, int height, int32_t value) {
  const int cx = RoundEven(width / 2.0);
  const int cy = RoundEven(height / 2.0 + 1);
  if (value < 0 || value > 100) return std::nullopt;
  if (value == 0) return NeedleLine{cx, cy, width - 3, cy};
  if (value == 100) return NeedleLine{cx, cy, 3, cy};
  const double a = value / 100.0 * std::numbers::pi;
  const double r = cx - 3;
  return NeedleLine{cx, cy, cx + RoundEven(std::cos(a) * r), cy - RoundEven(std::sin(a) * r)};
}

int32_t GaugeValue(int32_t position) {
  return static_cast<int32_t>(std::lround(static_cast<double>(position) * 100.0 / 254.0));
}
