// Cutoff curve: every breakpoint both ways, log interpolation between them, and the ends.
#include "engine/filter/CutoffCurve.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

TEST(CutoffCurve, EveryBreakpointMapsBothWays) {
  for (int i = 0; i < kCutoffCurvePoints; ++i) {
    EXPECT_NEAR(CutoffFrequencyToPercent(kCutoffCurveHz[i]), kCutoffCurvePercent[i], 1e-9) << i;
    EXPECT_NEAR(CutoffPercentToFrequency(kCutoffCurvePercent[i]), kCutoffCurveHz[i],
                kCutoffCurveHz[i] * 1e-12)
        << i;
    EXPECT_DOUBLE_EQ(CutoffLog2Table()[i], std::log2(kCutoffCurveHz[i]));
  }
  EXPECT_EQ(CutoffFrequencyToPercent(548.75), 50.0);
}

TEST(CutoffCurve, InterpolatesInLogFrequency) {
  // Halfway between 0 % (5 Hz) and 15 % (20 Hz) lies the geometric mean, 10 Hz.
  EXPECT_NEAR(CutoffPercentToFrequency(7.5), 10.0, 1e-12);
  EXPECT_NEAR(CutoffFrequencyToPercent(10.0), 7.5, 1e-12);
  for (double p = 0.25; p < 100.0; p += 0.5)
    EXPECT_NEAR(CutoffFrequencyToPercent(CutoffPercentToFrequency(p)), p, 1e-9) << p;
}

TEST(CutoffCurve, EndsAreHeld) {
  EXPECT_EQ(CutoffFrequencyToPercent(5.0), 0.0);
  EXPECT_EQ(CutoffFrequencyToPercent(-3.0), 0.0);
  EXPECT_EQ(CutoffFrequencyToPercent(std::nan("")), 0.0);
  EXPECT_EQ(CutoffFrequencyToPercent(30000.0), 100.0);
  EXPECT_EQ(CutoffFrequencyToPercent(1e9), 100.0);
  // Percent 0 has no breakpoint before it to interpolate from: it is 5 Hz.
  EXPECT_EQ(CutoffPercentToFrequency(0.0), 5.0);
  EXPECT_EQ(CutoffPercentToFrequency(-10.0), 5.0);
  EXPECT_EQ(CutoffPercentToFrequency(std::nan("")), 5.0);
  EXPECT_DOUBLE_EQ(CutoffPercentToFrequency(100.0), 30000.0);
  EXPECT_DOUBLE_EQ(CutoffPercentToFrequency(250.0), 30000.0);
  EXPECT_GT(CutoffPercentToFrequency(1e-9), 5.0);
}

TEST(CutoffCurve, ALookupFromAnyRememberedSegmentGivesTheSearchedValue) {
  // Stale, neighbouring and far segments, percents on and between every breakpoint and past the top.
  for (std::uint32_t remembered = 1; remembered < kCutoffCurvePoints; ++remembered)
    for (double p = 0.125; p <= 101.0; p += 0.125) {
      std::uint32_t segment = remembered;
      const double hz = CutoffPercentToFrequency(p, segment);
      EXPECT_EQ(hz, CutoffPercentToFrequency(p)) << p << " from " << remembered;
      EXPECT_TRUE(kCutoffCurvePercent[segment - 1] < std::min(p, 100.0) &&
                  std::min(p, 100.0) <= kCutoffCurvePercent[segment])
          << p << " from " << remembered;
    }
}
