// The arithmetic of one Move: solving the arm and turning its angles into servo positions,
// beside the bare library calls of one solution.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

#include "move_to_point.h"
#include "unMoveLibrary.h"

namespace {

const ArmGeometry kArm{5, 10, 10, 5};

// SolveArm and the four AngleToPosition calls a Move makes (base, shoulder, elbow, wrist).
void BM_SolveArmAndPositions(benchmark::State& state) {
  float x = 3;
  for (auto _ : state) {
    x = x >= 25 ? 3 : x + 1;
    const CylindricalPoint c = CartesianToCylindrical(x, 7, 4);
    const ArmAngles a = SolveArm(0, c.reach, c.height, kArm);
    benchmark::DoNotOptimize(AngleToPosition(c.baseAngle));
    benchmark::DoNotOptimize(AngleToPosition(-a.shoulderAngle));
    benchmark::DoNotOptimize(AngleToPosition(a.elbowAngle));
    benchmark::DoNotOptimize(AngleToPosition(a.wristAngle));
  }
}
BENCHMARK(BM_SolveArmAndPositions);

// The reference: the library calls a solution cannot do without (two square roots, two arc
// tangents, the sine and cosine of the wrist's pitch and two arc cosines) on the same inputs,
// in the extended precision the solution computes in.
void BM_TrigOfOneSolution(benchmark::State& state) {
  long double x = 3;
  for (auto _ : state) {
    x = x >= 25 ? 3 : x + 1;
    const long double reach = std::sqrt(x * x + 16);
    const long double d = std::sqrt(reach * reach + 49);
    const long double e = std::min(0.99L, d / 20);
    benchmark::DoNotOptimize(std::atan(4 / x) + std::atan2(7.0L, reach) + std::sin(e) +
                             std::cos(e) + std::acos(e) + std::acos(e / 2));
  }
}
BENCHMARK(BM_TrigOfOneSolution);

// The whole Move logic: parsing the fields, solving, clamping and building six frames.
void BM_MoveToPoint(benchmark::State& state) {
  ServoState servos;
  ServoTables tables;
  for (int i = 1; i <= kServoCount; ++i) {
    tables.Maxval[i] = 254;
    tables.Address[i] = i;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(MoveToPoint("15", "5", "0", kArm, servos, tables));
  }
}
BENCHMARK(BM_MoveToPoint);

}  // namespace

BENCHMARK_MAIN();
