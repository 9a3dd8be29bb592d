// Smoother: exponential approach, exact landing on the target and the time-constant formula.
#include "engine/oversampling/SmoothedValue.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(SmoothedValue, SettledValueIsReturnedUnchanged) {
  SmoothedValue s;
  s.SetCoefficient(0.5);
  s.SnapTo(0.3);
  EXPECT_EQ(s.Next(), 0.3);
  EXPECT_EQ(s.Current(), 0.3);
}

TEST(SmoothedValue, HalvesTheDistanceAndSnapsExactlyOnceWithinTolerance) {
  SmoothedValue s;
  s.SetCoefficient(0.5);
  s.SetTarget(1.0);
  EXPECT_EQ(s.Next(), 0.5);
  EXPECT_EQ(s.Next(), 0.75);
  int steps = 2;
  while (s.Current() != 1.0 && steps < 100) {
    s.Next();
    ++steps;
    if (steps == 28)
      EXPECT_EQ(s.Current(), 1.0 - std::ldexp(1.0, -28)); // 3.7e-9 away: still approaching
  }
  EXPECT_EQ(steps, 29); // 2^-29 < 2e-9 <= 2^-28
}

TEST(SmoothedValue, CoefficientMatchesTimeConstantAndFallsBackWithoutRate) {
  EXPECT_DOUBLE_EQ(SmoothedValue::CoefficientFor(5.0, 48000.0), 1.0 - std::exp(-1.0 / 240.0));
  EXPECT_EQ(SmoothedValue::CoefficientFor(5.0, 0.0), 1.0);
  // One time constant covers 1 - 1/e of a step.
  SmoothedValue s;
  s.SetTimeConstant(10.0, 48000.0);
  s.SetTarget(1.0);
  for (int i = 0; i < 480; ++i)
    s.Next();
  EXPECT_NEAR(s.Current(), 1.0 - std::exp(-1.0), 1e-9);
}

} // namespace
