// FastTanh: exact limits, odd symmetry and its error against tanh.
#include "engine/filter/FastTanh.h"

#include <cmath>

#include <gtest/gtest.h>

TEST(FastTanh, IsExactlyOneBeyondTheLimitsAndZeroAtZero) {
  EXPECT_EQ(FastTanh(9.3), 1.0);
  EXPECT_EQ(FastTanh(-9.3), -1.0);
  EXPECT_EQ(FastTanh(1e300), 1.0);
  EXPECT_EQ(FastTanh(-INFINITY), -1.0);
  EXPECT_EQ(FastTanh(std::nextafter(9.2, 10.0)), 1.0);
  EXPECT_EQ(FastTanh(std::nextafter(-9.2, -10.0)), -1.0);
  EXPECT_EQ(FastTanh(0.0), 0.0);
  // At the limits the rational form itself is within rounding of +-1.
  EXPECT_NEAR(FastTanh(9.2), 1.0, 1e-7);
  EXPECT_NEAR(FastTanh(-9.2), -1.0, 1e-7);
}

TEST(FastTanh, StaysCloseToTanhAndIsOdd) {
  double worst = 0.0;
  for (int i = -920000; i <= 920000; ++i) {
    const double x = i * 1e-5;
    const double y = FastTanh(x);
    worst = std::max(worst, std::fabs(y - std::tanh(x)));
    ASSERT_EQ(FastTanh(-x), -y) << x;
    ASSERT_LE(std::fabs(y), 1.0) << x;
  }
  EXPECT_LT(worst, 2.5e-8); // the largest error sits at the limits
}
