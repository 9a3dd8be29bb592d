// High-pass: cutoff limits, coefficient and DC blocking.
#include "engine/filter/Hpf.h"

#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

TEST(Hpf, CutoffIsHeldBetween1HzAnd049OfTheRate) {
  Hpf f;
  f.Prepare(-1.0);
  EXPECT_DOUBLE_EQ(f.Coefficient(), std::exp(-2.0 * std::numbers::pi * 20.0 / 48000.0));
  f.SetCutoff(0.5);
  EXPECT_EQ(f.CutoffHz(), 1.0);
  f.SetCutoff(30000.0);
  EXPECT_EQ(f.CutoffHz(), 0.49 * 48000.0);
  f.SetCutoff(std::nan(""));
  EXPECT_EQ(f.CutoffHz(), 1.0);
}

TEST(Hpf, BlocksDcAndPassesSteps) {
  Hpf f;
  f.Prepare(48000.0);
  EXPECT_NEAR(f.Process(1.0), f.Coefficient(), 1e-15);
  double y = 0.0;
  for (int i = 0; i < 48000; ++i)
    y = f.Process(1.0);
  EXPECT_LT(std::fabs(y), 1e-10);
  f.Reset();
  EXPECT_NEAR(f.Process(0.0), 0.0, 1e-15);
}
