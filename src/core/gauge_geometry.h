// Where a gauge's needle goes: pivot and end point for a value 0..100 on a W x H surface.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>

struct NeedleLine {
  int pivotX, pivotY, endX, endY;
  auto operator<=>(const NeedleLine&) const = default;
};

// Nothing for a value outside 0..100: the gauge keeps its previous needle.
std::optional<NeedleLine> GaugeNeedle(int width, int height, int32_t value);

// A position mapped to the gauge's 0..100 scale, rounded to the nearest integer.
int32_t GaugeValue(int32_t position);
